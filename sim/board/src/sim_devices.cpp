// The I2C devices of the board and of the module, by bus and 7-bit address.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr int kPll = 0xAA >> 1;
constexpr int kIoLevelDac = 0x4C >> 1;
constexpr int kSupplyDac = 0x1A >> 1;
constexpr int kSfp = 0xA2 >> 1;
constexpr int kEeprom = 0xA0 >> 1;
constexpr double kDynamicScale = 0.047326174829409;
constexpr double kDynamicScaleChannel4 = 0.0566689689918544;
constexpr double kStandbyScale = 0.0825058363615785;
constexpr int kDynamicZeroCounts = 12;
constexpr double kOverCurrentFactor = 10.0;
constexpr int kStandbyZeroCounts = 30;
constexpr int kCurrentSwitchBank = 2;
// The sensor ends each line with its CRC trailer while bit 0 of this register is set; the model's register
// script sets it when its test checks the lines.
constexpr uint32_t kLineCrcRegister = 0x3100;

uint32_t RegisterOf(const std::vector<uint8_t>& bytes) {
  uint32_t reg = 0;
  for (uint8_t b : bytes) reg = (reg << 8) | b;
  return reg;
}

void RecordWrite(Board& b, int bus, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  VelkaraSimEvent e = MakeEvent(b.index, kSimEventI2cWrite);
  e.bus = bus;
  e.address = address7;
  std::vector<uint8_t> bytes(reg);
  bytes.insert(bytes.end(), data, data + n);
  e.length = static_cast<int>(std::min<size_t>(bytes.size(), sizeof e.data));
  std::memcpy(e.data, bytes.data(), static_cast<size_t>(e.length));
  Record(e);
}

void RecordValue(Board& b, int kind, int channel, double value) {
  VelkaraSimEvent e = MakeEvent(b.index, kind);
  e.channel = channel;
  e.value = value;
  Record(e);
}

bool SensorAnswers(const Board& b, int address7) {
  if (EffectiveFaults(b)->sensorNak || !b.ModulePowered()) return false;
  return b.sensorAddress < 0 || b.sensorAddress == address7;
}

bool SensorWrite(Board& b, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  if (!SensorAnswers(b, address7)) return false;
  const bool streamingBefore = b.SensorStreaming();
  const uint32_t start = RegisterOf(reg);
  for (int i = 0; i < n; ++i) b.sensorRegisters[start + static_cast<uint32_t>(i)] = data[i];
  if (kLineCrcRegister >= start && kLineCrcRegister < start + static_cast<uint32_t>(n))
    b.crcTrailer = (data[kLineCrcRegister - start] & 1) != 0;
  if (b.SensorStreaming() != streamingBefore) RecordValue(b, kSimEventStream, 0, b.SensorStreaming() ? 1 : 0);
  return true;
}

bool SensorRead(Board& b, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  if (!SensorAnswers(b, address7)) return false;
  const uint32_t start = RegisterOf(reg);
  for (int i = 0; i < n; ++i) {
    const auto it = b.sensorRegisters.find(start + static_cast<uint32_t>(i));
    out[i] = it == b.sensorRegisters.end() ? 0 : it->second;
  }
  return true;
}

void DecodePll(Board& b) {
  const auto& r = b.pllRegisters;  // r[0] = register 5 ... r[6] = register 11
  const uint32_t f = r[0] | (r[1] << 8) | (r[2] << 16) | ((r[3] & 0x1Fu) << 24);
  const uint32_t i = (r[3] >> 5) | ((r[4] & 0x3Fu) << 3);
  const uint32_t n = r[5] | ((r[6] & 0x3u) << 8);
  const uint32_t d = (r[6] >> 4) & 0x7u;
  const double m = i + f / 536870912.0;
  b.clockMhz = n ? 31.98 * m / (n * static_cast<double>(1u << d)) : 0.0;
  RecordValue(b, kSimEventClock, 0, b.clockMhz);
}

bool PllWrite(Board& b, int address7, const uint8_t* data, int n) {
  if (address7 != kPll || n < 1) return false;
  if (data[0] == 5 && n == 8) {
    std::copy(data + 1, data + 8, b.pllRegisters.begin());
    DecodePll(b);
  }
  return true;
}

bool IoLevelWrite(Board& b, int address7, const uint8_t* data, int n) {
  if (address7 != kIoLevelDac || n != 2) return false;
  const double before = b.IoLevelVolts();
  b.ioLevelCode = static_cast<uint16_t>((data[0] | (data[1] << 8)) & 0x3FF);
  b.ioLevelCodeSet = true;
  if (b.IoLevelVolts() != before) RecordValue(b, kSimEventIoLevel, 0, b.IoLevelVolts());
  return true;
}

bool SupplyWrite(Board& b, int address7, const uint8_t* data, int n) {
  if (address7 != kSupplyDac || n != 3 || data[0] < 0x30 || data[0] > 0x37) return false;
  const int channel = data[0] - 0x30;
  b.supplyCode[static_cast<size_t>(channel)] = static_cast<uint16_t>((data[1] << 8) | data[2]);
  RecordValue(b, kSimEventSupply, channel, b.SupplyVolts(channel));
  return true;
}

// Converters 0x90/0x92 (standby) and 0x94/0x96 (dynamic), four supplies each.
bool IsConverter(int address7) { return address7 >= (0x90 >> 1) && address7 <= (0x96 >> 1); }

uint16_t Convert(const Board& b, int address7, uint8_t configHigh) {
  const bool dynamic = address7 >= (0x94 >> 1);
  const int input = ((configHigh >> 4) & 0xF) - 0xC;
  const int channel = (address7 & 1) * 4 + std::clamp(input, 0, 3);
  const size_t c = static_cast<size_t>(channel);
  const bool standbyPath = (b.dioLatch[kCurrentSwitchBank] >> channel) & 1u;
  double counts = 0;
  if (b.supplyCode[c] != 0 && dynamic && !standbyPath) {
    const double ma = EffectiveFaults(b)->overCurrent ? b.dynamicMa[c] * kOverCurrentFactor : b.dynamicMa[c];
    counts = ma / (channel == 4 ? kDynamicScaleChannel4 : kDynamicScale);
  } else if (b.supplyCode[c] != 0 && !dynamic && standbyPath) {
    counts = b.standbyUa[c] / kStandbyScale;
  }
  const double raw = std::round(counts) + (dynamic ? kDynamicZeroCounts : kStandbyZeroCounts);
  return static_cast<uint16_t>(std::min(raw, 65535.0));
}

bool ConverterWrite(Board& b, int address7, const uint8_t* data, int n) {
  if (!IsConverter(address7) || n < 1) return false;
  Converter& conv = b.converters[address7];
  conv.pointer = data[0];
  if (data[0] == 1 && n == 3) {
    conv.configHigh = data[1];
    conv.configLow = data[2];
    conv.pollsLeft = 1;
    conv.result = Convert(b, address7, data[1]);
  }
  return true;
}

bool ConverterRead(Board& b, int address7, uint8_t* out, int n) {
  if (!IsConverter(address7)) return false;
  Converter& conv = b.converters[address7];
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

bool EepromWrite(std::array<uint8_t, 256>& memory, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  // The first byte (register or data) sets the address; the rest are stored from there.
  std::vector<uint8_t> bytes(reg);
  bytes.insert(bytes.end(), data, data + n);
  if (bytes.empty()) return true;
  uint8_t at = bytes[0];
  for (size_t i = 1; i < bytes.size(); ++i) memory[at++] = bytes[i];
  return true;
}

}  // namespace

bool I2cWrite(Board& b, int bus, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int n) {
  RecordWrite(b, bus, address7, reg, data, n);
  switch (bus) {
    case kSimBusSys: {
      bool actuator = false;
      const bool ok = ActuatorBusWrite(b, address7, reg, data, n, &actuator);
      return actuator ? ok : SensorWrite(b, address7, reg, data, n);
    }
    case kSimBusMcu: return McuWrite(b, address7, reg, data, n);
    case kSimBusPll: return PllWrite(b, address7, data, n);
    case kSimBusDac: return IoLevelWrite(b, address7, data, n);
    case kSimBusPwr: return SupplyWrite(b, address7, data, n);
    case kSimBusAdc: return address7 == kEeprom ? HostEepromWrite(b, data, n) : ConverterWrite(b, address7, data, n);
    case kSimBusRxE2p: return address7 == kEeprom && EepromWrite(b.rxEeprom, reg, data, n);
    case kSimBusOs: return OsBusWrite(b, address7, reg, data, n);
    case kSimBusRpt: return true;  // the repeater passes everything on
    default: return false;
  }
}

bool I2cRead(Board& b, int bus, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int n) {
  switch (bus) {
    case kSimBusSys: {
      bool actuator = false;
      const bool ok = ActuatorBusRead(b, address7, reg, out, n, &actuator);
      return actuator ? ok : SensorRead(b, address7, reg, out, n);
    }
    case kSimBusMcu: return McuRead(b, address7, reg, out, n);
    case kSimBusAdc: return address7 == kEeprom ? HostEepromRead(b, out, n) : ConverterRead(b, address7, out, n);
    case kSimBusSfp:
      if (address7 != kSfp) return false;
      if (n >= 1) out[0] = 38;   // whole degrees
      if (n >= 2) out[1] = 128;  // 1/256 degrees
      return true;
    case kSimBusRxE2p:
      if (address7 != kEeprom) return false;
      for (int i = 0; i < n; ++i) out[i] = b.rxEeprom[static_cast<uint8_t>(RegisterOf(reg) + static_cast<uint32_t>(i))];
      return true;
    case kSimBusOs: return OsBusRead(b, address7, reg, out, n);
    case kSimBusRpt: return true;
    default: return false;
  }
}

}  // namespace velkarasim
