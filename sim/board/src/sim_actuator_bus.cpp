// The actuator devices on the sensor bus: the analogue front end (16-bit registers, values high byte
// first) and the stabilisation driver's step devices.
#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr int kRequestDevice = 0xE8 >> 1;
constexpr int kRecordDevice = 0xEA >> 1;
constexpr int kPlainCommandDevice = 0xEC >> 1;
constexpr int kTriggerDevice = 0x40 >> 1;
constexpr uint16_t kTriggerRegister = 0x0129;
constexpr uint16_t kValueRegister = 0x012A;
constexpr int kStepCommandBytes = 5;

uint16_t Register16(const std::vector<uint8_t>& reg) {
  return reg.size() == 2 ? static_cast<uint16_t>((reg[0] << 8) | reg[1]) : 0;
}

bool FrontEndConfigured(const Actuators& a) {
  const auto it = a.frontEndRegisters.find(0x0049);
  return it != a.frontEndRegisters.end() && it->second == 0x0601;
}

uint16_t FrontEndValue(const Actuators& a, uint16_t reg) {
  const auto reading = a.frontEndReadings.find(reg);
  if (reading != a.frontEndReadings.end()) return FrontEndConfigured(a) ? reading->second.second : reading->second.first;
  const auto stored = a.frontEndRegisters.find(reg);
  return stored == a.frontEndRegisters.end() ? 0 : stored->second;
}

bool FrontEndWrite(Actuators& a, const std::vector<uint8_t>& reg, const uint8_t* d, int n) {
  if (reg.empty() && n == 4) {
    a.frontEndRegisters[static_cast<uint16_t>((d[0] << 8) | d[1])] = static_cast<uint16_t>((d[2] << 8) | d[3]);
    return true;
  }
  if (reg.size() != 2 || n % 2) return false;
  for (int i = 0; i < n; i += 2) {
    a.frontEndRegisters[static_cast<uint16_t>(Register16(reg) + i / 2)] = static_cast<uint16_t>((d[i] << 8) | d[i + 1]);
  }
  return true;
}

bool FrontEndRead(const Actuators& a, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  if (reg.size() != 2 || n % 2) return false;
  for (int i = 0; i < n; i += 2) {
    const uint16_t value = FrontEndValue(a, static_cast<uint16_t>(Register16(reg) + i / 2));
    out[i] = static_cast<uint8_t>(value >> 8);
    out[i + 1] = static_cast<uint8_t>(value);
  }
  return true;
}

bool StepWrite(Actuators& a, int address7, const uint8_t* d, int n) {
  switch (address7) {
    case kRequestDevice:
      if (n != 4 || d[0] != 0x00) return false;
      if (d[1] == 0x0A) return d[2] == 0x00 && d[3] == 0x01;
      if (d[1] != 0x0B || !SweepRecordSize((d[2] << 8) | d[3])) return false;
      a.stepKind = static_cast<uint16_t>((d[2] << 8) | d[3]);
      return true;
    case kRecordDevice:
    case kPlainCommandDevice:
      if (n != kStepCommandBytes) return false;
      a.stepCommand.assign(d, d + n);
      return true;
    default:
      if (n != 3 || ((d[0] << 8) | d[1]) != kTriggerRegister || d[2] != 0x01) return false;
      ++a.triggers;
      return true;
  }
}

bool StepRead(const Actuators& a, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  if (address7 == kTriggerDevice) {
    if (Register16(reg) != kValueRegister || n != 2) return false;
    out[0] = static_cast<uint8_t>(a.triggers >> 8);
    out[1] = static_cast<uint8_t>(a.triggers);
    return true;
  }
  if (address7 != kRecordDevice || n != SweepRecordSize(a.stepKind) || a.stepCommand.empty()) return false;
  for (int j = 0; j < n; ++j) out[j] = static_cast<uint8_t>(a.stepKind + j + a.stepCommand[0]);
  return true;
}

bool IsStepDevice(int address7) {
  return address7 == kRequestDevice || address7 == kRecordDevice || address7 == kPlainCommandDevice ||
         address7 == kTriggerDevice;
}

}  // namespace

bool ActuatorBusWrite(Board& b, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n,
                      bool* handled) {
  Actuators& a = ActuatorsOf(b);
  *handled = address7 == a.frontEndAddress7 || IsStepDevice(address7);
  if (!*handled || !b.ModulePowered() || Naks(b, kSimBusSys, address7)) return false;
  if (address7 == a.frontEndAddress7) return FrontEndWrite(a, reg, data, n);
  return reg.empty() && StepWrite(a, address7, data, n);
}

bool ActuatorBusRead(Board& b, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n, bool* handled) {
  Actuators& a = ActuatorsOf(b);
  *handled = address7 == a.frontEndAddress7 || IsStepDevice(address7);
  if (!*handled || !b.ModulePowered() || Naks(b, kSimBusSys, address7)) return false;
  if (address7 == a.frontEndAddress7) return FrontEndRead(a, reg, out, n);
  return StepRead(a, address7, reg, out, n);
}

}  // namespace velkarasim
