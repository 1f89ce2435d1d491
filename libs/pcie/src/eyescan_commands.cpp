// The link eye scan: a start command per lane, then a read-out that waits for the scan memory,
// copies it through the register node and reduces it to the eye's width and height.
#include <cstring>
#include <vector>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "eye_scan_reduction.h"
#include "mailbox.h"
#include "port/clock.h"

namespace pcie {
namespace {

constexpr int64_t kInitTimeoutMs = 300000;
constexpr uint64_t kBusyByteOffset = 0x4C0000C;
constexpr uint64_t kScanMemoryOffset = 0x4C40000;
constexpr double kFirstPollPauseUs = 500;
constexpr int kBusyPolls = 2000;
constexpr int64_t kBusyPollMs = 10;

// Polls the busy byte; false when the register node fails. A scan that never finishes is read as
// the memory holds it.
bool WaitScanMemory(int board) {
  for (int poll = 0; poll < kBusyPolls; ++poll) {
    uint8_t busy = 0;
    if (!ReadUserRegister(board, kBusyByteOffset, 1, &busy)) return false;
    if (busy == 0) return true;
    port::clock::SleepMs(kBusyPollMs);
  }
  return true;
}

// Any failed read fails the whole table: a partly read table would give figures from stale cells.
bool ReadScanMemory(int board, std::vector<uint8_t>& memory) {
  memory.assign(kEyeScanTableBytes, 0);
  for (size_t offset = 0; offset < kEyeScanTableBytes; offset += 4) {
    if (!ReadUserRegister(board, kScanMemoryOffset + offset, 4, memory.data() + offset)) return false;
  }
  return true;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_EyeScan_Init(int32_t board, int32_t lane) {
  if (!IsBoardIndex(board)) return 0;
  MailboxPacket packet(4, 0x80);
  packet.SetU32(20, 4);
  packet.AppendU32(static_cast<uint32_t>(lane));
  return RunCommand(board, packet, 4, kInitTimeoutMs, Rule::kStrict);
}

int32_t PCI_EyeScan_GetData(int32_t board, int32_t lane, void* table, float* horizontal, float* vertical) {
  if (!IsBoardIndex(board) || !table) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  MailboxPacket packet(4, 0x81);
  packet.SetU32(20, 1);
  const uint8_t laneByte = static_cast<uint8_t>(lane);
  packet.Append(&laneByte, 1);
  if (!WritePacket(board, packet) || !RingDoorbell(board)) return 0;
  WaitMicroseconds(kFirstPollPauseUs);
  std::vector<uint8_t> memory;
  if (!WaitScanMemory(board) || !ReadScanMemory(board, memory)) return 0;
  std::memcpy(table, memory.data(), memory.size());
  const EyeOpening eye = ReduceEyeScan(memory.data());
  if (horizontal) *horizontal = eye.horizontal;
  if (vertical) *vertical = eye.vertical;
  return 1;
}
