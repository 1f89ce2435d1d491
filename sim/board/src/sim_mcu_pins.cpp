// The controller's supply, reset, boot and handshake lines on bank 4 (supply: bank 1 bit 8).
#include <memory>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

constexpr int kSupplyBank = 1;
constexpr uint32_t kSupplyBit = 1u << 8;

// A pin the board does not drive is pulled up by the module.
bool BoardLevel(const Board& b, int bank, uint32_t bit) {
  const size_t i = static_cast<size_t>(bank);
  const bool output = (b.dioDirection[i] & bit) == 0;
  return output ? (b.dioLatch[i] & bit) != 0 : true;
}

void ResetController(Actuators& a) {
  a.framed.stage = FramedController::Stage::kHead;
  a.framed.reply.clear();
  a.framedBoot.active = false;
  a.busyUntil = port::clock::Now();
}

}  // namespace

Actuators::Actuators() {
  framedBoot.base = 0x08020000;
  framedBoot.start = {0x16, 0x16, 0x16, 0x16, 0x55, 0x01};
  framedBoot.finish = {0x16, 0x16, 0x16, 0x16, 0x03, 0x01};
  otherBoot.base = 0x08040000;
  otherBoot.start = {0x15, 0x15, 0x15, 0x15, 0x55, 0xFA};
  otherBoot.finish = {0x17, 0x17, 0x17, 0x17, 0x03, 0x01};
  otherBoot.shiftedReadBack = true;
  frontEndReadings[554] = {1000, 2000};
  frontEndReadings[555] = {1500, 1500};
  frontEndReadings[556] = {2000, 1000};
  frontEndReadings[463] = {0x0010, 0x0020};
  frontEndReadings[464] = {0x0FF0, 0x0FF0};
  frontEndReadings[465] = {0x0800, 0x07FF};
}

Actuators& ActuatorsOf(Board& b) {
  if (!b.actuators) b.actuators = std::make_shared<Actuators>();
  return *b.actuators;
}

bool Naks(Board& b, int bus, int address7) { return ActuatorsOf(b).naks.count({bus, address7}) != 0; }

void ActuatorPinsChanged(Board& b) {
  Actuators& a = ActuatorsOf(b);
  const bool powered = (b.dioLatch[kSupplyBank] & kSupplyBit) != 0 && (b.dioDirection[kSupplyBank] & kSupplyBit) == 0;
  const bool running = powered && BoardLevel(b, kActuatorBank, kNrstBit);
  const bool boot = BoardLevel(b, kActuatorBank, kBootBit);
  if (!powered) a.otherBoot.active = false;
  if (running != a.running) ResetController(a);
  if (boot && !a.bootLevel) {
    if (powered) EnterBoot(a.otherBoot);
    if (running) EnterBoot(a.framedBoot);
  }
  a.powered = powered;
  a.running = running;
  a.bootLevel = boot;
}

bool ReadyHigh(Board& b) {
  Actuators& a = ActuatorsOf(b);
  return !EffectiveFaults(b)->mcuNoHandshake && port::clock::Now() >= a.busyUntil;
}

void MarkBusy(Board& b) {
  Actuators& a = ActuatorsOf(b);
  a.busyUntil = port::clock::Now() + std::chrono::milliseconds(a.busyMs);
}

// An unsupplied module drives nothing: the inputs keep what the test set.
void ActuatorPinsBeforeRead(Board& b) {
  Actuators& a = ActuatorsOf(b);
  if (!a.powered) return;
  uint32_t& inputs = b.dioInputs[kActuatorBank];
  const bool ready = ReadyHigh(b);
  inputs = a.running && ready ? (inputs | kReadyBit) : (inputs & ~kReadyBit);
  inputs = a.otherBoot.active && ready ? (inputs | kDownloadReadyBit) : (inputs & ~kDownloadReadyBit);
}

}  // namespace velkarasim
