#include "board_slots.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "port/clock.h"
#include "port/thread_site.h"

namespace pcie {

namespace {

// A node that is not open fails as its seek would.
Node* OpenOrReport(Node* node) {
  if (!node) {
    errno = EBADF;
    PrintPositioningError();
  }
  return node;
}

}  // namespace

std::array<std::string, kBoardCount>& DevicePathTable() {
  static std::array<std::string, kBoardCount> table;
  return table;
}

BoardSlot& Slot(int board) {
  static std::array<BoardSlot, kBoardCount> slots;
  return slots[static_cast<size_t>(board)];
}

StreamNodes& Stream(int board) {
  return Slot(board).streams[static_cast<size_t>(port::ThreadChannel(kChannelCount))];
}

std::atomic<uint8_t>& FrameTriggerByte() {
  static std::atomic<uint8_t> byte{0};
  return byte;
}

void PrintPositioningError() { std::fprintf(stderr, "Error setting file pointer, win32 error code: %ld\n", static_cast<long>(errno)); }
void PrintOpenError() { std::fprintf(stderr, "Error opening device, win32 error code: %ld\n", static_cast<long>(errno)); }
void PrintCloseError() { std::fprintf(stderr, "Error opening device, win32 errorcode: %ld\n", static_cast<long>(errno)); }

Transfer Classify(long moved, size_t count) {
  if (moved < 0) {
    PrintPositioningError();
    return Transfer::kRefused;
  }
  return moved == static_cast<long>(count) ? Transfer::kWhole : Transfer::kShort;
}

int Moved(long moved, size_t count) { return Classify(moved, count) == Transfer::kWhole ? 1 : 0; }

int WriteUserRegister(int board, uint64_t offset, size_t count, const void* data) {
  Node* node = OpenOrReport(Slot(board).user.get());
  return node ? Moved(node->WriteAt(data, count, offset), count) : 0;
}

int ReadUserRegister(int board, uint64_t offset, size_t count, void* buffer) {
  return ReadRegister(board, offset, count, buffer) == Transfer::kWhole ? 1 : 0;
}

Transfer ReadRegister(int board, uint64_t offset, size_t count, void* buffer) {
  Node* node = OpenOrReport(Slot(board).user.get());
  return node ? Classify(node->ReadAt(buffer, count, offset), count) : Transfer::kRefused;
}

Transfer ReadCardMemory(Node* node, uint64_t address, size_t count, void* buffer) {
  if (!OpenOrReport(node)) return Transfer::kRefused;
  if (count == 0) return Transfer::kWhole;
  return Classify(node->ReadAt(buffer, count, address), count);
}

void WaitMicroseconds(double microseconds) {
  port::clock::BusyWait(std::chrono::nanoseconds(static_cast<int64_t>(microseconds * 1000.0)));
}

}  // namespace pcie
