// The open/short bench on the board's open/short bus and the module's connector pins behind it:
// relay expanders pick one pin and a path, a plain or calibrated source drives it, a 16-bit
// converter reads the pin's voltage (open/short) or its leakage.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr int kPinExpander = 0x44 >> 1;
constexpr int kGuardExpander = 0x4E >> 1;
constexpr int kSourceDac = 0x40 >> 1;
constexpr int kCalibratedSource = 0x58 >> 1;
constexpr int kConverter = 0x90 >> 1;
constexpr int kCalibrationEeprom = 0xA0 >> 1;
constexpr uint8_t kRegisterClear = 0x98;
constexpr uint8_t kRegisterPattern = 0x88;

constexpr double kVoltsPerCount = 0.000123595;
constexpr double kDacCodesPerVolt = 310.0;
constexpr double kCalibratedVoltsPerCode = 9.803921699523926 / 1000.0;
constexpr double kShortVolts = 0.012;
constexpr double kShortLeakageCounts = 30000.0;
constexpr double kLeakyCountsPerVolt = 300.0;

constexpr uint8_t kPathLeakage = 0xA6;
constexpr uint8_t kPathOn = 0x20;
constexpr uint8_t kPathDacSource = 0x80;
constexpr uint8_t kPathPositive = 0x01;
constexpr uint8_t kPathNegative = 0x02;
constexpr uint8_t kConfigNegative = 0xC3;
constexpr uint8_t kConfigPositive = 0xD3;

// The pin the relays connect: one bit set (pin relay alone) or all pins but one (the others to
// guard); 0 for none or for a pattern that joins several pins.
int SelectedPin(const OsBench& os) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(os.pinRelays[static_cast<size_t>(i)]) << (8 * i);
  bits &= (1u << kModulePins) - 1u;
  const int count = std::popcount(bits);
  if (count == 1) return std::countr_zero(bits) + 1;
  if (count == kModulePins - 1) return std::countr_zero(~bits) + 1;
  return 0;
}

ModulePin EffectivePin(const Board& b, int pin) {
  ModulePin p = b.services.pins[static_cast<size_t>(pin)];
  const std::shared_ptr<const Faults> all = EffectiveFaults(b);
  const ServiceFaults& faults = all->services;
  if (faults.leakyPins.count(pin)) p.leakageCountsPerVolt = kLeakyCountsPerVolt;
  if (faults.openPins.count(pin)) p.state = kPinOpen;
  if (faults.shortPins.count(pin)) p.state = kPinShort;
  return p;
}

double SourceVolts(const OsBench& os, uint8_t path) {
  if (path & kPathDacSource) return (os.dacCode & 0x3FF) / kDacCodesPerVolt;
  return os.calibratedCode * kCalibratedVoltsPerCode;
}

// Volts at the pin: a good pin clamps at its protection diode, an open one lets the source's full
// voltage through, a short holds it near ground. No pin selected is an open path.
double PinVolts(const Board& b, double source, int pin) {
  if (source <= 0) return 0;
  if (pin == 0) return source;
  const ModulePin p = EffectivePin(b, pin);
  if (p.state == kPinOpen) return source;
  if (p.state == kPinShort) return std::min(source, kShortVolts);
  return std::min(source, p.diodeVolts);
}

double LeakageCounts(const Board& b, double source, int pin) {
  if (source <= 0 || pin == 0) return 0;
  const ModulePin p = EffectivePin(b, pin);
  if (p.state == kPinOpen) return 0;
  if (p.state == kPinShort) return kShortLeakageCounts;
  return p.leakageCountsPerVolt * source;
}

// The converter's input follows the path's polarity; read through the wrong input it sees nothing.
uint16_t Convert(const Board& b, uint8_t configHigh) {
  const OsBench& os = b.services.os;
  const uint8_t path = os.guardRelays[4];
  const int pin = SelectedPin(os);
  const double source = SourceVolts(os, path);
  double counts = 0;
  if (path == kPathLeakage) {
    if (configHigh == kConfigNegative) counts = LeakageCounts(b, source, pin);
  } else if (path & kPathOn) {
    const bool positive = (path & (kPathPositive | kPathNegative)) == kPathPositive;
    if (configHigh == (positive ? kConfigPositive : kConfigNegative)) counts = PinVolts(b, source, pin) / kVoltsPerCount;
  }
  return static_cast<uint16_t>(std::clamp(std::round(counts), 0.0, 65535.0));
}

bool ExpanderWrite(std::array<uint8_t, 5>& pattern, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  if (reg.size() != 1 || n < 0 || n > 5) return false;
  if (reg[0] == kRegisterClear) return true;
  if (reg[0] != kRegisterPattern) return false;
  pattern.fill(0);
  std::copy(data, data + n, pattern.begin());
  return true;
}

bool ConverterWrite(Board& b, const uint8_t* data, int n) {
  if (n < 1) return false;
  OsConverter& conv = b.services.os.converter;
  conv.pointer = data[0];
  if (data[0] == 1 && n == 3) {
    conv.configHigh = data[1];
    conv.configLow = data[2];
    conv.pollsLeft = 1;
    conv.result = Convert(b, data[1]);
  }
  return true;
}

bool ConverterRead(Board& b, uint8_t* out, int n) {
  OsConverter& conv = b.services.os.converter;
  if (conv.pointer == 1) {
    const bool done = !EffectiveFaults(b)->adcNeverReady && conv.pollsLeft-- <= 0;
    if (n >= 1) out[0] = static_cast<uint8_t>(done ? (conv.configHigh | 0x80) : (conv.configHigh & 0x7F));
    if (n >= 2) out[1] = conv.configLow;
    return true;
  }
  if (n >= 1) out[0] = static_cast<uint8_t>(conv.result >> 8);
  if (n >= 2) out[1] = static_cast<uint8_t>(conv.result);
  return true;
}

bool CalibrationRead(const Board& b, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  if (EffectiveFaults(b)->services.osEepromNak || reg.size() != 1) return false;
  uint8_t bytes[32];
  std::memcpy(bytes, b.services.os.calibration.data(), sizeof bytes);  // four little-endian doubles
  for (int i = 0; i < n; ++i) {
    const size_t at = static_cast<size_t>(reg[0]) + static_cast<size_t>(i);
    out[i] = at < sizeof bytes ? bytes[at] : 0xFF;
  }
  return true;
}

}  // namespace

bool OsBusWrite(Board& b, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  OsBench& os = b.services.os;
  switch (address7) {
    case kPinExpander: return ExpanderWrite(os.pinRelays, reg, data, n);
    case kGuardExpander: return ExpanderWrite(os.guardRelays, reg, data, n);
    case kSourceDac:
      if (!reg.empty() || n != 3 || data[0] != 0) return false;
      os.dacCode = static_cast<uint16_t>(data[1] | (data[2] << 8));
      return true;
    case kCalibratedSource:
      if (!reg.empty() || n != 2 || data[0] != 0) return false;
      os.calibratedCode = data[1];
      return true;
    case kConverter: return reg.empty() && ConverterWrite(b, data, n);
    case kCalibrationEeprom: return false;  // written at the factory only
    default: return true;                   // the external repeater takes everything else
  }
}

bool OsBusRead(Board& b, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  switch (address7) {
    case kConverter: return reg.empty() && ConverterRead(b, out, n);
    case kCalibrationEeprom: return CalibrationRead(b, reg, out, n);
    case kPinExpander: case kGuardExpander: case kSourceDac: case kCalibratedSource: return false;
    default: return true;
  }
}

}  // namespace velkarasim
