// The board firmware's side of the mailbox: one packet in, status and reply data out.
#include <cstring>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr uint8_t kDone = 0x01;
constexpr uint8_t kError = 0x02;

struct Packet {
  Board& board;
  uint8_t selector() const { return board.mailbox[0]; }
  uint8_t opcode() const { return board.mailbox[2]; }
  int address7() const { return board.mailbox[4]; }
  uint32_t U32(size_t at) const {
    uint32_t v;
    std::memcpy(&v, board.mailbox.data() + at, 4);
    return v;
  }
  uint16_t U16(size_t at) const {
    uint16_t v;
    std::memcpy(&v, board.mailbox.data() + at, 2);
    return v;
  }
  int addressLength() const { return static_cast<int>(U32(16) & 0xFF); }
  int length() const { return static_cast<int>(U32(20)); }
  uint8_t* payload() { return board.mailbox.data() + 32; }
  void PutU32(size_t at, uint32_t v) { std::memcpy(board.mailbox.data() + at, &v, 4); }
  void Finish(bool ok) { board.mailbox[1] = ok ? kDone : (kDone | kError); }
};

bool FitsMailbox(int addressLength, int length) {
  return addressLength >= 0 && length >= 0 && 32u + static_cast<size_t>(addressLength) + static_cast<size_t>(length) <= kMailboxSize;
}

void RegisterWrite(Packet& p, int bus) {
  const int a = p.addressLength();
  const int n = p.length();
  if (!FitsMailbox(a, n)) return p.Finish(false);
  const std::vector<uint8_t> reg(p.payload(), p.payload() + a);
  p.Finish(I2cWrite(p.board, bus, p.address7(), reg, p.payload() + a, n));
}

void RegisterRead(Packet& p, int bus) {
  const int a = p.addressLength();
  const int n = p.length();
  if (!FitsMailbox(a, n)) return p.Finish(false);
  const std::vector<uint8_t> reg(p.payload(), p.payload() + a);
  std::vector<uint8_t> data(static_cast<size_t>(n));
  const bool ok = I2cRead(p.board, bus, p.address7(), reg, data.data(), n);
  std::memcpy(p.payload(), data.data(), data.size());
  p.Finish(ok);
}

// A write timed to the frame's vertical sync answers with the bytes it wrote.
void VSyncWrite(Packet& p) {
  const int a = p.addressLength();
  const int n = p.length();
  RegisterWrite(p, kSimBusSys);
  if (FitsMailbox(a, n)) std::memmove(p.payload(), p.payload() + a, static_cast<size_t>(n));
}

void DeviceWrite(Packet& p, int bus) {
  const int n = p.length();
  if (!FitsMailbox(0, n)) return p.Finish(false);
  p.Finish(I2cWrite(p.board, bus, p.address7(), {}, p.payload(), n));
}

void DeviceRead(Packet& p, int bus) {
  const int n = p.length();
  if (!FitsMailbox(0, n)) return p.Finish(false);
  std::vector<uint8_t> data(static_cast<size_t>(n));
  const bool ok = I2cRead(p.board, bus, p.address7(), {}, data.data(), n);
  std::memcpy(p.payload(), data.data(), data.size());
  p.Finish(ok);
}

void Dio(Packet& p) {
  Board& b = p.board;
  if (EffectiveFaults(b)->dioTimeout) return;  // never answers
  const int bank = static_cast<int>(p.U32(32) & (p.opcode() == 0x60 || p.opcode() == 0x61 ? 0xFFFF : 0xFFFFFFFF));
  if (bank < 0 || bank > 7) return p.Finish(false);
  const size_t i = static_cast<size_t>(bank);
  switch (p.opcode()) {
    case 0x60: b.dioDirection[i] = p.U32(36); break;
    case 0x61: p.PutU32(32, b.dioDirection[i]); break;
    case 0x62: {
      const double levelBefore = b.IoLevelVolts();
      b.dioLatch[i] = p.U32(36);
      if (b.IoLevelVolts() != levelBefore) {
        VelkaraSimEvent level = MakeEvent(b.index, kSimEventIoLevel);
        level.value = b.IoLevelVolts();
        Record(level);
      }
      VelkaraSimEvent e = MakeEvent(b.index, kSimEventDioWrite);
      e.channel = bank;
      e.value = b.dioLatch[i];
      Record(e);
      break;
    }
    default:
      if (bank == kActuatorBank) ActuatorPinsBeforeRead(b);
      p.PutU32(32, b.DioLevels(bank));
      break;
  }
  if (p.opcode() == 0x60 || p.opcode() == 0x62) ActuatorPinsChanged(b);
  p.Finish(true);
}

void SetResolution(Packet& p) {
  p.board.height = p.U16(32);
  p.board.width = p.U16(34);
  p.board.resolutionGiven = true;
  p.Finish(true);
}

void GetResolution(Packet& p) {
  Board& b = p.board;
  b.FollowStream();
  p.PutU32(32, static_cast<uint32_t>(b.width));
  p.PutU32(36, static_cast<uint32_t>(b.height));
  p.PutU32(40, b.LineBytes());
  p.PutU32(44, static_cast<uint32_t>(b.height));
  p.Finish(true);
}

void FrameRequest(Packet& p) {
  Board& b = p.board;
  b.FollowStream();
  if (!b.receiving || !b.SensorStreaming() || b.width <= 0 || b.height <= 0) return p.Finish(false);
  RenderFrame(b);
  b.counterSteps = b.height > 8191 ? b.height / 2 : b.height;
  b.linesReady = 0;
  p.PutU32(32, static_cast<uint32_t>(kFrameAddress));
  p.Finish(true);
}

void DpInit(Packet& p) {
  p.board.bits = p.payload()[0];
  p.Finish(true);
}

void DpLinkDone(Packet& p) {
  const bool up = !EffectiveFaults(p.board)->linkDown && p.board.SensorStreaming();
  p.PutU32(32, up ? 0x07070707u : 0x01010101u);
  p.Finish(true);
}

void Temperature(Packet& p) {
  p.PutU32(32, 455);  // tenths of a degree
  p.PutU32(36, 0);
  p.Finish(true);
}

void FirmwareDate(Packet& p) {
  p.PutU32(32, 0x12401040);  // host board: top nibble 1
  p.PutU32(36, 0x02401040);  // receiver board: below 0x10000000
  p.Finish(true);
}

void Ordinary(Packet& p) {
  switch (p.opcode()) {
    case 0x10: return RegisterWrite(p, kSimBusSys);
    case 0x17: return VSyncWrite(p);
    case 0x11: case 0x14: return RegisterRead(p, kSimBusSys);
    case 0x20: return RegisterWrite(p, kSimBusMcu);
    case 0x21: case 0x23: return RegisterRead(p, kSimBusMcu);
    case 0x30: return RegisterWrite(p, kSimBusRpt);
    case 0x31: return RegisterRead(p, kSimBusRpt);
    case 0x90: return RegisterWrite(p, kSimBusOs);
    case 0x91: return RegisterRead(p, kSimBusOs);
    case 0x9A: return RegisterWrite(p, kSimBusSfp);
    case 0x9B: return RegisterRead(p, kSimBusSfp);
    case 0x41: return DeviceWrite(p, kSimBusPll);
    case 0x42: {
      p.board.clockMhz = 0;
      VelkaraSimEvent e = MakeEvent(p.board.index, kSimEventClock);
      Record(e);
      return p.Finish(true);
    }
    case 0x33: return DeviceWrite(p, kSimBusDac);
    case 0x43: return DeviceWrite(p, kSimBusAdc);
    case 0x44: return DeviceRead(p, kSimBusAdc);
    case 0x50: return DeviceWrite(p, kSimBusPwr);
    case 0x51: return DeviceRead(p, kSimBusPwr);
    case 0x60: case 0x61: case 0x62: case 0x63: return Dio(p);
    case 0x70: return GetResolution(p);
    case 0x71: return SetResolution(p);
    case 0xF0: p.board.receiving = true; return p.Finish(true);
    case 0xC2: return DpInit(p);
    case 0xC7: return DpLinkDone(p);
    case 0xE0: return Temperature(p);
    default: return p.Finish(true);  // resets, clocks, fans: taken
  }
}

}  // namespace

void HandleCommand(Board& board) {
  if (HandleServiceCommand(board)) return;
  Packet p{board};
  switch (p.selector()) {
    case 4: return Ordinary(p);
    case 1: return FrameRequest(p);
    case 5: return FirmwareDate(p);
    case 0xF1: board.receiving = false; return p.Finish(true);
    case 0x9A: return RegisterWrite(p, kSimBusSfp);
    case 0x9B: return RegisterRead(p, kSimBusSfp);
    case 0x30: return RegisterWrite(p, kSimBusRxE2p);
    case 0x31: return RegisterRead(p, kSimBusRxE2p);
    case 0xE0: return Temperature(p);
    case 0xD4: board.frameInfo = p.U16(32); return p.Finish(true);
    default: return p.Finish(true);  // board and link resets, block RAM
  }
}

}  // namespace velkarasim
