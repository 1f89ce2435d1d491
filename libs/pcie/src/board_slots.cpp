#include "board_slots.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "port/clock.h"
#include "port/thread_site.h"

namespace pcie {

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

int Moved(long moved, size_t count) {
  // One positioned call stands for the seek and the transfer: the OS refusing it is the failed seek.
  if (moved < 0) PrintPositioningError();
  return moved == static_cast<long>(count) ? 1 : 0;
}

int WriteUserRegister(int board, uint64_t offset, size_t count, const void* data) {
  Node* node = Slot(board).user.get();
  if (!node) {
    errno = EBADF;
    PrintPositioningError();
    return 0;
  }
  return Moved(node->WriteAt(data, count, offset), count);
}

int ReadUserRegister(int board, uint64_t offset, size_t count, void* buffer) {
  Node* node = Slot(board).user.get();
  if (!node) {
    errno = EBADF;
    PrintPositioningError();
    return 0;
  }
  return Moved(node->ReadAt(buffer, count, offset), count);
}

int ReadCardMemory(Node* node, uint64_t address, size_t count, void* buffer) {
  if (!node) {
    errno = EBADF;
    PrintPositioningError();
    return 0;
  }
  return Moved(node->ReadAt(buffer, count, address), count);
}

void WaitMicroseconds(double microseconds) {
  port::clock::BusyWait(std::chrono::nanoseconds(static_cast<int64_t>(microseconds * 1000.0)));
}

}  // namespace pcie
