#include "current_adc.h"

#include <algorithm>
#include <numeric>

#include "PCI_LX40.h"

namespace board {
namespace {

template <typename Step>
bool WithOneRetry(int32_t board, int32_t initValue, Step step) {
  if (step()) return true;
  PCI_I2C_ADC_Init(board, initValue);
  return step();
}

}  // namespace

ConversionStep Convert(int32_t board, const ConversionSetup& s, uint16_t& raw) {
  const uint8_t config[3] = {0x01, s.configHigh, s.configLow};
  if (!WithOneRetry(board, s.initValue, [&] { return PCI_I2C_ADC_Write(board, s.slave, 3, config) == 1; })) {
    return ConversionStep::kConfig;
  }
  bool ready = false;
  for (int poll = 0; poll < s.maxPolls && !ready; ++poll) {
    uint8_t status = 0;
    if (PCI_I2C_ADC_Read(board, s.slave, 1, &status) != 1) {
      PCI_I2C_ADC_Init(board, s.initValue);
      continue;
    }
    ready = (status & 0x80) != 0;
  }
  if (!ready) return ConversionStep::kNeverReady;
  const uint8_t select[1] = {0x00};
  if (!WithOneRetry(board, s.initValue, [&] { return PCI_I2C_ADC_Write(board, s.slave, 1, select) == 1; })) {
    return ConversionStep::kSelect;
  }
  uint8_t bytes[2] = {};
  if (!WithOneRetry(board, s.initValue, [&] { return PCI_I2C_ADC_Read(board, s.slave, 2, bytes) == 1; })) {
    return ConversionStep::kRead;
  }
  raw = static_cast<uint16_t>(bytes[0] * 256 + bytes[1]);
  return ConversionStep::kOk;
}

int64_t CombineSamples(std::vector<int64_t> values) {
  const int64_t n = static_cast<int64_t>(values.size());
  if (n == 0) return 0;
  if (n == 1) return values[0];
  if (n == 2) return (values[0] + values[1]) / 2;
  std::sort(values.begin(), values.end());
  return std::accumulate(values.begin() + 1, values.end() - 1, int64_t{0}) / (n - 2);
}

}  // namespace board
