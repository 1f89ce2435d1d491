#pragma once
// The open/short bench on the board's open/short bus: relay expanders, the plain and the calibrated
// source, the converter and the calibration EEPROM, with each board's test state.
#include <array>
#include <atomic>
#include <cstdint>

namespace board {

enum OsMode : int { kOsLeakage = 0, kOsMode1 = 1, kOsMode2 = 2, kOsMode3 = 3, kOsMode4 = 4, kOsIdle = 5 };

struct OsTestState {
  std::atomic<int> releaseEach{0};
  std::atomic<int> mode{kOsIdle};
  std::atomic<int> started{0};
  std::atomic<float> lastVolts{0.0f};
};

// The board's state; the index must have been checked.
OsTestState& OsStateOf(int32_t board);

// The calibrated source's polynomial c3, c2, c1, c0 of one board: each board's start reads its own,
// so two boards tested at once never measure with each other's coefficients.
using OsCalibration = std::array<std::atomic<double>, 4>;
OsCalibration& OsCalibrationOf(int32_t board);

// Both expanders set for the pin in the board's mode (pin 0: none). 1 or 0.
int SelectOsRelay(int32_t board, int32_t pin);
// The plain source DAC; -1 when |volts| is above 3.3 (or not a number).
int SetOsSourceVoltage(int32_t board, float volts);
// The calibrated source, through the traced bus export.
int SetOsSourceFromCalibration(int32_t board, float volts);
// The code the calibrated source gets for a polynomial value.
int CalibratedSourceCode(double polynomial);
// The converter, samples times, combined; 1, 0 for negative samples, -1 to -4 for the failing step.
int ReadOsAdcTrimmedMean(int32_t board, int32_t samples, float* raw);
// One coefficient (0 to 3) from the calibration EEPROM; 1 or 0.
int ReadOsCalibration(int32_t board, int index, double* value);

}  // namespace board
