// Test control and observation of the module's actuator controller and devices.
#include <algorithm>
#include <mutex>

#include "sim_board.h"
#include "sim_mcu.h"

namespace velkarasim {
namespace {

template <typename Fn>
void ForActuators(int board, Fn fn) {
  ForBoards(board, [&](Board& b) { fn(ActuatorsOf(b)); });
}

int CopyOut(const std::vector<uint8_t>& bytes, uint8_t* out, int capacity) {
  if (out && capacity > 0) std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), static_cast<size_t>(capacity)), out);
  return static_cast<int>(bytes.size());
}

BootLoader* LoaderAt(Actuators& a, int address8) {
  if (address8 == 0xB0) return &a.framedBoot;
  if (address8 == 0x60) return &a.otherBoot;
  return nullptr;
}

}  // namespace
}  // namespace velkarasim

using namespace velkarasim;

void VelkaraSim_SetMcuBusyMs(int board, int ms) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) { a.busyMs = std::max(ms, 0); });
}

void VelkaraSim_SetMcuReply(int board, int group, int id, const uint8_t* data, int length) {
  std::lock_guard lock(StateLock());
  const uint16_t key = static_cast<uint16_t>(((group & 0xFF) << 8) | (id & 0xFF));
  ForActuators(board, [&](Actuators& a) {
    if (data && length > 0) a.framed.replies[key].assign(data, data + length);
    else a.framed.replies.erase(key);
  });
}

void VelkaraSim_SetMcuStatus(int board, uint32_t status) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) { a.framed.status = status; });
}

void VelkaraSim_SetMcuBadPage(int board, int page, int byte) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) {
    a.badPage = page;
    a.badByte = byte;
  });
}

void VelkaraSim_FailMcuChunkOnce(int board, int chunk) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) { a.framed.failChunksOnce.insert(chunk); });
}

void VelkaraSim_SetI2cNak(int board, int bus, int address7, int on) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) {
    if (on) a.naks.insert({bus, address7});
    else a.naks.erase({bus, address7});
  });
}

void VelkaraSim_SetFrontEnd(int board, int address7, int reg, int before, int after) {
  std::lock_guard lock(StateLock());
  ForActuators(board, [&](Actuators& a) {
    a.frontEndAddress7 = address7 & 0x7F;
    if (reg >= 0) a.frontEndReadings[static_cast<uint16_t>(reg)] = {static_cast<uint16_t>(before), static_cast<uint16_t>(after)};
  });
}

int VelkaraSim_McuReceived(int board, int group, int id, uint8_t* out, int capacity) {
  if (board < 0) return -1;
  std::lock_guard lock(StateLock());
  if (!BoardAt(board, 0)) return -1;
  return OnBoard(board, [&](Board& b) {
    const auto& received = ActuatorsOf(b).framed.received;
    const auto it = received.find(static_cast<uint16_t>(((group & 0xFF) << 8) | (id & 0xFF)));
    return it == received.end() ? -1 : CopyOut(it->second, out, capacity);
  });
}

int VelkaraSim_McuPattern(int board, uint8_t* out, int capacity) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) { return CopyOut(ActuatorsOf(b).framed.pattern, out, capacity); });
}

int VelkaraSim_McuFlash(int board, int address8, uint8_t* out, int capacity) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    const BootLoader* loader = LoaderAt(ActuatorsOf(b), address8);
    return loader ? CopyOut(loader->flash, out, capacity) : 0;
  });
}

int VelkaraSim_McuBootFinished(int board, int address8) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [&](Board& b) {
    const BootLoader* loader = LoaderAt(ActuatorsOf(b), address8);
    return loader && loader->finished ? 1 : 0;
  });
}

int VelkaraSim_McuState(int board) {
  if (board < 0) return 0;
  std::lock_guard lock(StateLock());
  return OnBoard(board, [](Board& b) {
    const Actuators& a = ActuatorsOf(b);
    if (!a.powered) return 0;
    if (!a.running) return 1;
    return a.framedBoot.active ? 3 : 2;
  });
}

void VelkaraSim_McuSweepPoint(int index, int kind, uint8_t* out) {
  const int size = SweepRecordSize(kind);
  if (out && size) SweepPoint(index, size, out);
}
