// The link eye scan: init prepares a lane; get-data raises the busy byte, and some time later the
// firmware fills the scan memory (254 rows x 64 cells of float, 0.0 where the eye is open) and
// clears the byte.
#include <chrono>
#include <cstring>

#include "sim_board.h"

namespace velkarasim {
namespace {

constexpr uint8_t kInit = 0x80;
constexpr uint8_t kGetData = 0x81;
constexpr size_t kBusyByte = kEyeBusyOffset - kMailboxOffset;
constexpr auto kScanTime = std::chrono::milliseconds(35);

void FillMemory(EyeScanState& eye, bool open) {
  for (int row = 0; row < kEyeRows; ++row) {
    for (int column = 0; column < kEyeColumns; ++column) {
      const bool inside = row >= eye.firstRow && row <= eye.lastRow && column >= eye.firstColumn &&
                          column <= eye.lastColumn;
      const float cell = open && inside ? 0.0f : 1.0f;
      std::memcpy(eye.memory.data() + (static_cast<size_t>(row) * kEyeColumns + static_cast<size_t>(column)) * 4,
                  &cell, 4);
    }
  }
}

void FinishScanWhenDue(Board& b) {
  EyeScanState& eye = b.services.eye;
  if (!eye.busy || EffectiveFaults(b)->services.eyeScanStuck || port::clock::Now() < eye.readyAt) return;
  FillMemory(eye, eye.lanePrepared);
  eye.busy = false;
  b.mailbox[kBusyByte] = 0;
}

}  // namespace

bool HandleEyeScanCommand(Board& b, uint8_t selector, uint8_t opcode) {
  if (selector != 4 || (opcode != kInit && opcode != kGetData)) return false;
  EyeScanState& eye = b.services.eye;
  if (opcode == kInit) {
    eye.initialisedLanes.insert(static_cast<int>(MailboxU32(b, 32)));
  } else {
    eye.lanePrepared = eye.initialisedLanes.count(b.mailbox[32]) != 0;
    eye.busy = true;
    eye.readyAt = port::clock::Now() + kScanTime;
    b.mailbox[kBusyByte] = 1;
  }
  FinishService(b, true);
  return true;
}

void ServiceRead(Board& b, uint8_t* out, size_t count, uint64_t offset) {
  FinishScanWhenDue(b);
  const EyeScanState& eye = b.services.eye;
  if (eye.busy && offset <= kEyeBusyOffset && kEyeBusyOffset < offset + count) out[kEyeBusyOffset - offset] = 1;
  if (offset >= kEyeMemoryOffset && offset + count <= kEyeMemoryOffset + kEyeMemoryBytes) {
    std::memcpy(out, eye.memory.data() + (offset - kEyeMemoryOffset), count);
  }
}

}  // namespace velkarasim
