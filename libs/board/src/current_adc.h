#pragma once
// One conversion of the board's current converters and the combination of samples.
#include <cstdint>
#include <vector>

namespace board {

struct ConversionSetup {
  uint8_t slave;
  uint8_t configHigh;
  uint8_t configLow;
  int32_t initValue;  // bus re-initialisation value after a failed step
  int maxPolls;
};

enum class ConversionStep { kOk, kConfig, kNeverReady, kSelect, kRead };

// Configuration write, poll of the done bit, result select, result read; each step retried once after
// re-initialising the bus (the poll re-initialises after every failed read).
ConversionStep Convert(int32_t board, const ConversionSetup& setup, uint16_t& raw);

// One sample: itself; two: their mean; more: the mean without the smallest and the largest.
int64_t CombineSamples(std::vector<int64_t> values);

}  // namespace board
