// The leakage test of the module's connector pins: every supply and the IO level off, then the
// plain source on one pin at a time and the converter's reading turned into a leakage value.
#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "open_short_bench.h"
#include "port/clock.h"

namespace {

using board::OsStateOf;
using board::OsTestState;

constexpr int kSupplies = 8;
constexpr int32_t kMaxPin = 27;  // the relay matrix has no rows beyond
constexpr int32_t kMaxSamples = 100;
constexpr int64_t kSourceSettleMs = 100;
constexpr int64_t kRelaySettleMs = 50;

float LeakageValue(float raw) {
  if (raw < 0.0f) return 0.0f;
  if (raw > 52.0f) return raw / (1.92f - 12.5f / raw);
  return raw * 0.596f;
}

}  // namespace

int32_t VKL_LeakageTest_StartM(int32_t board) {
  if (!board::IsBoardIndex(board)) return 0;
  bool allOff = true;
  for (int channel = 0; channel < kSupplies; ++channel) allOff &= VKL_Program_PowerSetM(board, channel, 0.0f) == 1;
  allOff &= VKL_IOlevel_Set(board, 0.0f) == 1;
  if (!allOff) return -1;
  OsTestState& state = OsStateOf(board);
  state.lastVolts.store(0.0f);
  state.mode.store(board::kOsLeakage);
  if (board::SelectOsRelay(board, 0) != 1) {
    state.started.store(0);  // the mode has changed under a previous start
    return -2;
  }
  state.started.store(1);
  return 1;
}

int32_t VKL_LeakageTest_UnitPinM(int32_t board, int32_t pin, float volts, int32_t samples, float* result) {
  if (samples < 1 || samples > kMaxSamples || pin < 1 || pin > kMaxPin || !result) return -1;
  if (!board::IsBoardIndex(board)) return -1;
  OsTestState& state = OsStateOf(board);
  if (state.started.load() == 0) return -2;
  // The source counts as set only once written, so a repeat after a failure tries it again.
  if (volts != state.lastVolts.load()) {
    if (board::SetOsSourceVoltage(board, volts) != 1) return -3;
    state.lastVolts.store(volts);
    port::clock::SleepMs(kSourceSettleMs);
  }
  if (board::SelectOsRelay(board, pin) != 1) return -4;
  port::clock::SleepMs(kRelaySettleMs);
  float raw = 0;
  if (board::ReadOsAdcTrimmedMean(board, samples, &raw) != 1) return -5;
  *result = LeakageValue(raw);
  return 1;
}

int32_t VKL_LeakageTest_End(int32_t board) {
  if (!board::IsBoardIndex(board)) return 0;
  OsTestState& state = OsStateOf(board);
  state.mode.store(board::kOsIdle);
  state.started.store(0);
  state.lastVolts.store(0.0f);
  const uint8_t zero[3] = {0x00, 0x00, 0x00};
  if (PCI_I2C_OS_Write(board, 0x40, 0, 0, 3, zero) != 1) return -1;
  return board::SelectOsRelay(board, 0) == 1 ? 1 : -2;
}
