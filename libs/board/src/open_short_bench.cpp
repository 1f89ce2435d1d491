#include "open_short_bench.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "current_adc.h"

namespace board {
namespace {

constexpr uint8_t kPinExpander = 0x44;
constexpr uint8_t kGuardExpander = 0x4E;
constexpr uint8_t kSourceDac = 0x40;
constexpr uint8_t kCalibratedSource = 0x58;
constexpr uint8_t kConverter = 0x90;
constexpr uint8_t kCalibrationEeprom = 0xA0;
constexpr uint32_t kRegisterClear = 0x98;
constexpr uint32_t kRegisterPattern = 0x88;
constexpr int kRelayPins = 28;  // rows 0 (no pin) to 27
constexpr int kMaxPolls = 100;
constexpr uint8_t kConfigNegative = 0xC3;
constexpr uint8_t kConfigPositive = 0xD3;
// The leakage reading uses the negative input: the pin leaks towards the source.
constexpr uint8_t kConfigLeakage = kConfigNegative;
constexpr uint8_t kConfigLow = 0xE3;
constexpr double kCalibratedBase = 500.0;
constexpr double kCalibratedStep = 9.803921699523926;
constexpr double kSettleAfterReadMs = 5;

using Row = std::array<uint8_t, 5>;

constexpr Row RelayRow(int pin) {
  Row row{};
  if (pin >= 1) row[static_cast<size_t>((pin - 1) / 8)] = static_cast<uint8_t>(1u << ((pin - 1) % 8));
  return row;
}

constexpr Row RelayInverseRow(int pin) {
  if (pin < 1) return Row{};
  Row row{0xFF, 0xFF, 0xFF, 0x0F, 0x00};
  const Row single = RelayRow(pin);
  for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(row[i] & ~single[i]);
  return row;
}

uint8_t PathByte(int mode) {
  static constexpr uint8_t kPath[] = {0xA6, 0x22, 0x21, 0xA2, 0xA1, 0x00};
  return mode >= 0 && mode <= kOsIdle ? kPath[mode] : 0x00;
}

uint8_t ConfigHigh(int mode) {
  if (mode == kOsMode2 || mode == kOsMode4) return kConfigPositive;
  if (mode == kOsLeakage) return kConfigLeakage;
  return kConfigNegative;
}

bool WriteOs(int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, const uint8_t* data, int32_t len) {
  return PCI_I2C_OS_Write(board, slave, addrLen, reg, len, data) == 1;
}

bool WriteExpander(int32_t board, uint8_t slave, uint32_t reg, const Row& row) {
  return WriteOs(board, slave, 1, reg, row.data(), static_cast<int32_t>(row.size()));
}

Row GuardPattern(int mode, int releaseEach, const Row& r, uint8_t path) {
  if (releaseEach != 1) return {0x00, 0x00, 0x00, 0x00, path};
  const auto minus = [](int from, uint8_t value) { return static_cast<uint8_t>(from - value); };
  if (mode == kOsMode1 || mode == kOsMode3) {
    return {minus(0xFF, r[0]), minus(0xFF, r[1]), minus(0xFF, r[2]), minus(0xF7, r[3]), minus(path, r[4])};
  }
  return {0x00, minus(0xFF, r[1]), minus(0xFF, r[2]), minus(0xFF, r[3]), minus(path, r[4])};
}

// One conversion: configuration, poll of the ready bit, result select, result read.
int ConvertOnce(int32_t board, const uint8_t (&config)[3], int64_t& value) {
  if (!WriteOs(board, kConverter, 0, 0, config, 3)) return -1;
  bool ready = false;
  for (int poll = 0; poll < kMaxPolls && !ready; ++poll) {
    uint8_t status = 0;
    if (PCI_I2C_OS_Read(board, kConverter, 0, 0, 1, &status) != 1) return -1;
    ready = (status & 0x80) != 0;
  }
  if (!ready) return -2;
  const uint8_t select[1] = {0x00};
  if (!WriteOs(board, kConverter, 0, 0, select, 1)) return -3;
  uint8_t bytes[2] = {};
  if (PCI_I2C_OS_Read(board, kConverter, 0, 0, 2, bytes) != 1) return -4;
  value = bytes[0] * 256 + bytes[1];
  return 1;
}

}  // namespace

OsTestState& OsStateOf(int32_t board) {
  static PerChannel<OsTestState> states;
  return OfCallingChannel(states, board);
}

OsCalibration& OsCalibrationOf(int32_t board) {
  static PerChannel<OsCalibration> calibrations{};
  return OfCallingChannel(calibrations, board);
}

int SelectOsRelay(int32_t board, int32_t pin) {
  if (!IsBoardIndex(board) || pin < 0 || pin >= kRelayPins) return 0;
  const OsTestState& state = OsStateOf(board);
  const int mode = state.mode.load();
  const uint8_t path = PathByte(mode);
  const Row none{};
  if (!WriteExpander(board, kPinExpander, kRegisterClear, none) || !WriteExpander(board, kGuardExpander, kRegisterClear, none)) {
    return 0;
  }
  if (mode == kOsIdle && !WriteExpander(board, kPinExpander, kRegisterPattern, none)) return 0;
  const Row row = RelayRow(pin);
  if (!WriteExpander(board, kGuardExpander, kRegisterPattern, GuardPattern(mode, state.releaseEach.load(), row, path))) {
    return 0;
  }
  if (mode == kOsIdle) return 1;
  const bool single = mode == kOsMode1 || mode == kOsMode3;
  return WriteExpander(board, kPinExpander, kRegisterPattern, single ? row : RelayInverseRow(pin)) ? 1 : 0;
}

int SetOsSourceVoltage(int32_t board, float volts) {
  const float a = std::fabs(volts);
  if (!(a <= 3.3f)) return -1;
  const int code = static_cast<int>(a * 310.0f);
  const uint8_t message[3] = {0x00, static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8)};
  return PCI_I2C_OS_Write(board, kSourceDac, 0, 0, 3, message);
}

int CalibratedSourceCode(double p) {
  if (!(p > kCalibratedBase)) return 0;
  const double x = (p - kCalibratedBase) / kCalibratedStep;
  if (x >= 255.0) return 255;
  const int whole = static_cast<int>(x);
  const int firstDecimal = static_cast<int>(x * 10.0) % 10;
  return std::min(255, whole + (firstDecimal >= 5 ? 1 : 0));
}

int SetOsSourceFromCalibration(int32_t board, float volts) {
  const OsCalibration& c = OsCalibrationOf(board);
  const double v = volts;
  const double p = c[0].load() * v * v * v + c[1].load() * v * v + c[2].load() * v + c[3].load();
  const uint8_t message[2] = {0x00, static_cast<uint8_t>(CalibratedSourceCode(p))};
  return VKL_I2C_OS_Write(board, kCalibratedSource, 0, 0, 2, message);
}

int ReadOsAdcTrimmedMean(int32_t board, int32_t samples, float* raw) {
  if (samples < 0 || !raw) return 0;
  const OsTestState& state = OsStateOf(board);
  const uint8_t config[3] = {0x01, ConfigHigh(state.mode.load()), kConfigLow};
  std::vector<int64_t> values;
  for (int32_t i = 0; i < samples; ++i) {
    int64_t value = 0;
    const int step = ConvertOnce(board, config, value);
    if (step != 1) return step;
    values.push_back(value);
  }
  *raw = static_cast<float>(CombineSamples(std::move(values)));
  if (state.releaseEach.load() != 0 && !WriteExpander(board, kPinExpander, kRegisterPattern, Row{})) return 0;
  pSleep(kSettleAfterReadMs);
  return 1;
}

int ReadOsCalibration(int32_t board, int index, double* value) {
  uint8_t bytes[8] = {};
  for (int k = 0; k < 8; ++k) {
    const uint32_t reg = static_cast<uint32_t>(8 * index + k);
    if (VKL_I2C_OS_Read(board, kCalibrationEeprom, 1, reg, 1, &bytes[k]) != 1) return 0;
  }
  std::memcpy(value, bytes, sizeof bytes);  // little-endian IEEE double
  return 1;
}

}  // namespace board
