// DUT supplies: programming, range switches, current measurement and zero offsets.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "current_adc.h"
#include "trace.h"

namespace {

using board::ConversionSetup;
using board::ConversionStep;

constexpr int kSupplies = 8;
constexpr uint8_t kSupplyDacSlave = 0x1A;
constexpr int kMaxSamples = 500;
constexpr int kOffsetConversions = 30;
constexpr double kSettleMs = 1000;

bool IsSupply(int32_t channel) { return static_cast<uint32_t>(channel) < kSupplies; }

ConversionSetup DynamicSetup(int32_t channel, int maxPolls) {
  return {static_cast<uint8_t>(channel < 4 ? 0x94 : 0x96), static_cast<uint8_t>(0xC3 + 16 * (channel % 4)), 0xE3, 4,
          maxPolls};
}

ConversionSetup StandbySetup(int32_t channel, uint8_t configLow, int32_t initValue) {
  return {static_cast<uint8_t>(channel < 4 ? 0x90 : 0x92), static_cast<uint8_t>(0xC5 + 16 * (channel % 4)), configLow,
          initValue, 100};
}

int MeasureCode(ConversionStep step) {
  switch (step) {
    case ConversionStep::kConfig: return -1;
    case ConversionStep::kNeverReady: return -2;
    case ConversionStep::kSelect: return -3;
    case ConversionStep::kRead: return -4;
    case ConversionStep::kOk: return 1;
  }
  return 0;
}

// Measures samples conversions, subtracting the offset and clamping at 0; the combined value or a code.
int Measure(int32_t board, const ConversionSetup& setup, int32_t offset, int32_t samples, int64_t& combined) {
  std::vector<int64_t> values;
  for (int i = 0; i < samples; ++i) {
    uint16_t raw = 0;
    const ConversionStep step = board::Convert(board, setup, raw);
    if (step != ConversionStep::kOk) return MeasureCode(step);
    values.push_back(std::max<int64_t>(0, int64_t{raw} - offset));
  }
  combined = board::CombineSamples(std::move(values));
  return 1;
}

// The mean of the middle 28 of 30 raw conversions; 0 for a bus step that failed twice, -2 never ready.
int MeasureOffset(int32_t board, const ConversionSetup& setup, int32_t& offset) {
  std::array<int64_t, kOffsetConversions> raws{};
  for (int64_t& value : raws) {
    uint16_t raw = 0;
    const ConversionStep step = board::Convert(board, setup, raw);
    if (step == ConversionStep::kNeverReady) return -2;
    if (step != ConversionStep::kOk) return 0;
    value = raw;
  }
  std::sort(raws.begin(), raws.end());
  int64_t sum = 0;
  for (int i = 1; i < kOffsetConversions - 1; ++i) sum += raws[static_cast<size_t>(i)];
  offset = static_cast<int32_t>(sum / (kOffsetConversions - 2));
  return 1;
}

int SetSwitch(int32_t board, int index, int level) { return VKL_GPIOWrite_Current(board, index, level) == 1; }

int SetRanges(int32_t board, const int32_t* modes, int32_t commonMode) {
  int result = 1;
  for (int i = 0; i < kSupplies; ++i) {
    const int32_t mode = modes ? modes[i] : commonMode;
    if (mode != 0 && mode != 1) continue;
    if (!SetSwitch(board, i, mode)) result = 0;
    if (!SetSwitch(board, 8 + i, 0)) result = 0;
  }
  return result;
}

// Supplies on (enabled ones) and the IO level; false at the first failure.
bool PowerUp(int32_t board, const bool* enabled, const float* volts, float ioLevel) {
  for (int i = 0; i < kSupplies; ++i) {
    if (enabled[i] && VKL_Program_PowerSetM(board, i, volts[i]) != 1) return false;
  }
  if (VKL_IOlevel_Set(board, ioLevel) != 1) return false;
  pSleep(kSettleMs);
  return true;
}

bool PowerDown(int32_t board, const bool* enabled) {
  for (int i = 0; i < kSupplies; ++i) {
    if (enabled[i] && VKL_Program_PowerSetM(board, i, 0) != 1) return false;
  }
  return VKL_IOlevel_Set(board, 0) == 1;
}

struct OffsetRun {
  int32_t board;
  int32_t* offset;
  std::array<bool, kSupplies> enabled;
  std::array<float, kSupplies> volts;
  float ioLevel;
  bool powerUp;
};

int32_t DynamicOffset(const OffsetRun& run) {
  if (!run.offset) return 0;
  bool switched = true;
  for (int i = 0; i < kSupplies; ++i) switched &= SetSwitch(run.board, i, 0) != 0;
  if (!switched) return -2;
  if (run.powerUp && !PowerUp(run.board, run.enabled.data(), run.volts.data(), run.ioLevel)) return 0;
  for (int i = 0; i < kSupplies; ++i) {
    if (!run.enabled[static_cast<size_t>(i)]) {
      run.offset[i] = 0;
      continue;
    }
    const int result = MeasureOffset(run.board, DynamicSetup(i, 100), run.offset[i]);
    if (result != 1) return result;
  }
  if (run.powerUp && !PowerDown(run.board, run.enabled.data())) return 0;
  return 1;
}

int32_t StandbyOffset(const OffsetRun& run) {
  if (!board::IsBoardIndex(run.board) || !run.offset) return 0;
  for (int i = 0; i < kSupplies; ++i) {
    SetSwitch(run.board, i, 1);
    SetSwitch(run.board, 8 + i, 0);
  }
  if (run.powerUp && !PowerUp(run.board, run.enabled.data(), run.volts.data(), run.ioLevel)) return 0;
  bool timedOut = false;
  for (int i = 0; i < kSupplies; ++i) {
    if (!run.enabled[static_cast<size_t>(i)]) {
      run.offset[i] = 0;
      continue;
    }
    int32_t value = 0;
    const int result = MeasureOffset(run.board, StandbySetup(i, 0x83, 4), value);
    if (result == 0) return 0;
    timedOut |= result == -2;
    run.offset[i] = timedOut ? -1 : value;
  }
  bool reset = true;
  for (int i = 0; i < kSupplies; ++i) reset &= SetSwitch(run.board, i, 0) != 0;
  if (!reset) return -3;
  if (run.powerUp && !PowerDown(run.board, run.enabled.data())) return 0;
  return 1;
}

OffsetRun AllSupplies(int32_t board, int32_t* offset, std::array<float, kSupplies> volts, float ioLevel,
                      int32_t powerUp) {
  OffsetRun run{board, offset, {}, volts, ioLevel, powerUp != 0};
  run.enabled.fill(true);
  return run;
}

OffsetRun EnabledSupplies(int32_t board, int32_t* offset, const int32_t* enable, const float* volts, float ioLevel,
                          int32_t powerUp) {
  OffsetRun run{board, offset, {}, {}, ioLevel, powerUp != 0};
  for (int i = 0; i < kSupplies; ++i) {
    run.enabled[static_cast<size_t>(i)] = enable && enable[i] != 0;
    run.volts[static_cast<size_t>(i)] = volts ? volts[i] : 0.0f;
  }
  if (!enable || !volts) run.offset = nullptr;
  return run;
}

float StandbyScale(int64_t combined) {
  if (combined < 500) return static_cast<float>(combined * 0.0828288363615785);
  if (combined < 5000) return static_cast<float>(combined * 0.0825058363615785);
  return static_cast<float>(combined * 0.0823754130161322);
}

}  // namespace

int32_t VKL_Program_PowerSetM(int32_t board, int32_t channel, float volts) {
  if (!IsSupply(channel) || std::isnan(volts)) return -1;
  const board::TraceTimer timer;
  uint32_t code = 0;
  float used = volts;
  if (static_cast<double>(volts) > 0.1) {
    const float limit = channel >= 6 ? 7.0f : 5.0f;
    if (volts > limit) return -1;
    float v = static_cast<float>(static_cast<double>(volts) + 0.015);
    if (channel < 6 && v >= 5.0f) v = 5.0f;
    used = v;
    code = static_cast<uint32_t>(v * 13107.0f);
    if (channel >= 6) code = static_cast<uint32_t>(code / 1.5);
  }
  const uint8_t message[3] = {static_cast<uint8_t>(0x30 + channel), static_cast<uint8_t>(code >> 8),
                              static_cast<uint8_t>(code)};
  const int32_t result = PCI_I2C_PWR_Write(board, kSupplyDacSlave, 3, message);
  TRACE(timer, TRACE_F21, board, channel, static_cast<double>(used), result);
  return result;
}

int32_t VKL_Program_PowerOffAll(int32_t board) {
  int32_t result = 1;
  for (int channel = 0; channel < kSupplies; ++channel) result &= VKL_Program_PowerSetM(board, channel, 0);
  return result & VKL_IOlevel_Set(board, 0);
}

int32_t VKL_CurrentMeasure_Start(int32_t board, int32_t mode) { return SetRanges(board, nullptr, mode); }

int32_t VKL_CurrentMeasure_Start_Ex(int32_t board, const int32_t* mode) {
  if (!mode) return 0;
  return SetRanges(board, mode, 0);
}

int32_t VKL_CurrentMeasure_End(int32_t board) { return SetRanges(board, nullptr, 0); }

int32_t VKL_DynamicMeasure(int32_t board, int32_t channel, int32_t offset, int32_t samples, float* current) {
  if (samples < 0 || samples > kMaxSamples || !IsSupply(channel) || !current) return 0;
  int64_t combined = 0;
  const int result = Measure(board, DynamicSetup(channel, 200), offset, samples, combined);
  if (result != 1) return result;
  *current = static_cast<float>(combined * (channel == 4 ? 0.0566689689918544 : 0.047326174829409));
  return 1;
}

int32_t VKL_StandbyMeasure(int32_t board, int32_t channel, int32_t offset, int32_t samples, float* current) {
  if (samples < 0 || samples > kMaxSamples || !IsSupply(channel) || !current) return 0;
  int64_t combined = 0;
  const int result = Measure(board, StandbySetup(channel, 0xE3, 10), offset, samples, combined);
  if (result != 1) return result;
  *current = StandbyScale(combined);
  return 1;
}

int32_t VKL_DynamicOffset(int32_t board, int32_t* offset, float v0, float v1, float v2, float v3, float v4, float v5,
                          float v6, float v7, float ioLevel, int32_t powerUp) {
  return DynamicOffset(AllSupplies(board, offset, {v0, v1, v2, v3, v4, v5, v6, v7}, ioLevel, powerUp));
}

int32_t VKL_DynamicOffset_Ex(int32_t board, int32_t* offset, const int32_t* enable, const float* volts, float ioLevel,
                             int32_t powerUp) {
  return DynamicOffset(EnabledSupplies(board, offset, enable, volts, ioLevel, powerUp));
}

int32_t VKL_StandbyOffset(int32_t board, int32_t* offset, float v0, float v1, float v2, float v3, float v4, float v5,
                          float v6, float v7, float ioLevel, int32_t powerUp) {
  return StandbyOffset(AllSupplies(board, offset, {v0, v1, v2, v3, v4, v5, v6, v7}, ioLevel, powerUp));
}

int32_t VKL_StandbyOffset_Ex(int32_t board, int32_t* offset, const int32_t* enable, const float* volts, float ioLevel,
                             int32_t powerUp) {
  return StandbyOffset(EnabledSupplies(board, offset, enable, volts, ioLevel, powerUp));
}
