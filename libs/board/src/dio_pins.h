#pragma once
// Board pins on the digital-I/O banks: direction switch and read-modify-write of the latch under
// the bank's lock.
#include <cstdint>

namespace board {

struct DioPin {
  uint16_t bank;
  uint16_t bit;
  uint16_t writable;
  uint16_t readable;
};

inline constexpr DioPin kSensorEnablePin{1, 0, 1, 0};
inline constexpr DioPin kSensorResetPin{1, 1, 1, 0};
inline constexpr DioPin kExternalPowerPin{1, 8, 1, 0};
inline constexpr DioPin kBoardResetPin{1, 9, 1, 0};
inline constexpr DioPin kIoLevelEnablePin{1, 10, 1, 0};
inline constexpr DioPin kSerialNumberPin{1, 12, 1, 0};

inline constexpr int kCurrentSwitchFirstEntry = 16;

// 1 and level 0 or 1; 0 on failure (level untouched).
int ReadDioPin(int32_t board, const DioPin& pin, uint32_t* level);
// 1 or 0.
int WriteDioPin(int32_t board, const DioPin& pin, int on);
// Entry of the numbered pin families; null past the table.
const DioPin* BoardPin(int entry);
// Makes one bit of a bank an output when it is an input: 1 when switched, 0 when it already was an
// output or the bank failed.
int MakeDioOutput(int32_t board, uint16_t bank, uint32_t bit);

}  // namespace board
