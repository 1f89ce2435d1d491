// Board discovery, binding of board indexes to devices by their identity register, link reset.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"
#include "port/clock.h"

namespace pcie {
namespace {

constexpr size_t kPathCapacity = 260;

// The identity's two low bits, inverted, name the board index; -1 when the register cannot be read.
int BoardIndexOfIdentity(int board) {
  uint32_t identity = 0;
  if (!ReadUserRegister(board, kIdentityOffset, sizeof identity, &identity)) return -1;
  return static_cast<int>(~identity & 3u);
}

void CloseUserNode(BoardSlot& slot) { slot.user.reset(); }

// A board whose register node failed to open has nothing to close: 0 and the close message.
int CloseBoundBoard(BoardSlot& slot) {
  if (slot.userOpenFailed) {
    errno = EBADF;
    PrintCloseError();
    return 0;
  }
  CloseUserNode(slot);
  return 1;
}

// Sites sharing a board read through its register node while they hold its lease, so the node is
// replaced or closed only under the lease as well.
void PrintBusyBoard() {
  errno = EBUSY;
  PrintCloseError();
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_OpenDevice() {
  const std::optional<std::vector<std::string>> found = DiscoverDevicePaths();
  if (!found) {
    std::fprintf(stderr, "GetDevices INVALID_HANDLE_VALUE\n");
    return -1;
  }
  auto& table = DevicePathTable();
  const size_t count = std::min(found->size(), table.size());
  for (size_t i = 0; i < count; ++i) table[i] = (*found)[i].substr(0, kPathCapacity);
  return static_cast<int32_t>(count);
}

int32_t PCI_CloseDevice() {
  for (int board = 0; board < kBoardCount; ++board) {
    BoardSlot& slot = Slot(board);
    if (!slot.open.load()) continue;
    BoardLease lease(board);
    if (lease.held()) {
      CloseBoundBoard(slot);
    } else {
      PrintBusyBoard();
    }
  }
  return 1;
}

int32_t PCI_LVDS_Init(int32_t board) {
  if (!IsBoardIndex(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) {
    PrintBusyBoard();
    return 0;
  }
  BoardSlot& slot = Slot(board);
  for (const std::string& path : DevicePathTable()) {
    slot.devicePath = path;
    if (path.empty()) errno = ENOENT;  // an entry no search filled names no node to open
    slot.user = path.empty() ? nullptr : OpenNode(path, "user");
    slot.userOpenFailed = !slot.user;
    if (!slot.user) {
      // The binding stops here; the board keeps the open flag it had.
      PrintOpenError();
      return 0;
    }
    // A board whose identity cannot be read is never bound, whatever its buffer would say. The
    // lease's release leaves the board free.
    if (BoardIndexOfIdentity(board) == board) {
      slot.open.store(1);
      return 1;
    }
    CloseUserNode(slot);
  }
  slot.open.store(0);
  return 0;
}

int32_t PCI_LVDS_Close(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) {
    PrintBusyBoard();
    return 0;
  }
  return CloseBoundBoard(Slot(board));
}

int32_t PCI_SFP_Reset(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  const uint8_t on = 1;
  const uint8_t off = 0;
  if (!WriteUserRegister(board, kLinkResetOffset, 1, &on)) return 0;
  port::clock::SleepMs(500);
  if (!WriteUserRegister(board, kLinkResetOffset, 1, &off)) return 0;
  port::clock::SleepMs(500);
  return 1;
}
