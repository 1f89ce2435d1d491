// The open/short test of the module's connector pins: start in one of four modes, measure pins,
// end with the relays idle.
#include <algorithm>
#include <cmath>

#include "board_exports.h"
#include "board_state.h"
#include "open_short_bench.h"
#include "trace.h"

namespace {

using board::OsStateOf;
using board::OsTestState;
using board::TraceTimer;

constexpr uint32_t kMaxPin = 27;
constexpr uint32_t kMaxSamples = 100;
constexpr double kSourceSettleMs = 10;
constexpr double kStartSettleMs = 10;
constexpr double kVoltsPerCount = 0.000123595;
constexpr float kMaxVolts = 1.8f;

bool NegatedMode(int mode) { return mode == board::kOsMode1 || mode == board::kOsMode3; }
bool PlainSourceMode(int mode) { return mode == board::kOsMode3 || mode == board::kOsMode4; }

void TracePhase(const char* format, const TraceTimer& timer) {
  if (board::TraceOn()) board::WriteDebugLog(format, timer.Ms());
}

// All four coefficients or none: a half-read set never reaches the source.
bool ReadCalibrationSet(int32_t board) {
  double coefficients[4] = {};
  for (int index = 0; index < 4; ++index) {
    if (!board::ReadOsCalibration(board, index, &coefficients[index])) return false;
  }
  board::OsCalibration& calibration = board::OsCalibrationOf(board);
  for (int index = 0; index < 4; ++index) calibration[static_cast<size_t>(index)].store(coefficients[index]);
  return true;
}

int32_t ProgramSource(int32_t board, OsTestState& state, float volts) {
  const TraceTimer timer;
  const int mode = state.mode.load();
  const int result = PlainSourceMode(mode) ? board::SetOsSourceVoltage(board, volts)
                                           : board::SetOsSourceFromCalibration(board, volts);
  if (result != 1) return -3;
  state.lastVolts.store(volts);
  pSleep(kSourceSettleMs);
  TracePhase("[OS Measure]Input Source(+Sleep100) : %8.3fms", timer);
  return 1;
}

}  // namespace

int32_t VKL_OSTest_StartM(int32_t board, int32_t polarity, int32_t source, int32_t releaseEach) {
  if (!board::IsBoardIndex(board)) return 0;
  OsTestState& state = OsStateOf(board);
  state.lastVolts.store(0.0f);
  if ((polarity != 0 && polarity != 1) || (source != 0 && source != 1)) return -1;
  state.mode.store((polarity == 0 ? board::kOsMode3 : board::kOsMode4) - (source == 0 ? 2 : 0));
  state.releaseEach.store(releaseEach);
  // The mode has changed: a start that fails from here leaves the board not started.
  const TraceTimer eeprom;
  if (source == 0 && !ReadCalibrationSet(board)) {
    state.started.store(0);
    return -2;
  }
  TracePhase("[OS Start]EEROM Read : %8.3fms", eeprom);
  const TraceTimer relays;
  if (VKL_IOlevel_Set(board, 0.0f) == 0) {
    state.started.store(0);
    return -3;
  }
  if (board::SelectOsRelay(board, 0) == 0) {
    state.started.store(0);
    return -4;
  }
  pSleep(kStartSettleMs);
  TracePhase("[OS Start]Relay Control(+Sleep100) : %8.3fms", relays);
  state.started.store(1);
  return 1;
}

int32_t VKL_OSTest_UnitPinM(int32_t board, int32_t pin, float volts, int32_t samples, float* result, int32_t settleMs) {
  if (static_cast<uint32_t>(samples) > kMaxSamples || static_cast<uint32_t>(pin) > kMaxPin || !result) return -1;
  if (!board::IsBoardIndex(board)) return -1;
  OsTestState& state = OsStateOf(board);
  if (state.started.load() == 0) return -2;
  const float a = std::fabs(volts);
  if (a != state.lastVolts.load() && ProgramSource(board, state, a) != 1) return -3;
  const TraceTimer relays;
  if (board::SelectOsRelay(board, pin) != 1) return -4;
  const int settle = std::clamp(settleMs, 1, 1000);
  pSleep(settle);
  if (board::TraceOn()) board::WriteDebugLog("[OS Measure]Relay Control(+Sleep%d) : %8.3fms", settle, relays.Ms());
  const TraceTimer read;
  float raw = 0;
  const int converted = board::ReadOsAdcTrimmedMean(board, samples, &raw);
  TracePhase("[OS Measure]Data Read : %8.3fms", read);
  if (converted != 1) return -5;
  float v = static_cast<float>(raw * kVoltsPerCount);
  if (v > kMaxVolts) v = kMaxVolts;
  if (NegatedMode(state.mode.load())) v = -v;
  *result = v;
  return 1;
}

int32_t VKL_OSTest_End(int32_t board) {
  if (!board::IsBoardIndex(board)) return 0;
  OsTestState& state = OsStateOf(board);
  state.mode.store(board::kOsIdle);
  state.started.store(0);
  const TraceTimer relays;
  const int32_t result = board::SelectOsRelay(board, 0);
  TracePhase("[OS End]Relay Control : %8.3fms", relays);
  return result;
}
