// Stream start and stop, stream geometry and frame transfer over the card-to-host node.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"
#include "port/clock.h"

namespace pcie {
namespace {

constexpr int64_t kFrameTimeoutMs = 5000;
constexpr uint32_t kDoubleLineThreshold = 8191;
constexpr int kFinalReadTries = 3;
constexpr size_t kResolutionReplyBytes = 48;

Transfer ReadLineCounter(int board, int& counter) {
  uint8_t bytes[4] = {};
  const Transfer read = ReadRegister(board, kLineCounterOffset, sizeof bytes, bytes);
  if (read == Transfer::kWhole) counter = bytes[0] + 256 * bytes[1];
  return read;
}

// One frame request; size is the caller's buffer size and bounds every read into it.
int RequestFrame(int board, int32_t size, uint8_t* buffer, bool getFrame) {
  if (!IsUsableBoard(board)) return 0;
  if (size < 0 || (size > 0 && !buffer)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return -1;
  const MailboxPacket packet(1, getFrame ? 1 : 0);
  if (!WritePacket(board, packet)) return -2;
  if (!RingDoorbell(board)) return -3;
  MailboxReply reply;
  WaitMailboxReply(board, 36, reply, getFrame ? 4000 : 1000);
  if (!reply.done || reply.errorBits()) return -4;

  uint8_t trigger[4] = {8, 0, 0, 0};
  FrameTriggerByte().store(8);
  WriteUserRegister(board, kTriggerWordOffset, sizeof trigger, trigger);
  const uint32_t address = reply.U32(32);
  if (address < kCardMemory) return 0;

  const BoardSlot& slot = Slot(board);
  const StreamNodes& stream = Stream(board);
  const uint32_t lineCount = slot.geometry.lineCount.load();
  const uint32_t lineBytes = slot.geometry.lineBytes.load();
  const bool doubled = lineCount > kDoubleLineThreshold;
  const int target = static_cast<int>(doubled ? lineCount / 2 : lineCount);
  const int bound = getFrame ? target - 1 : target;
  int counter = 0;
  if (ReadLineCounter(board, counter) != Transfer::kWhole) return -5;
  if (getFrame) counter = std::max(0, counter - 1);

  const auto start = port::clock::Now();
  size_t taken = 0;
  int done = 0;
  const size_t capacity = static_cast<size_t>(size);
  while (counter < bound) {
    if (port::clock::ElapsedMs(start) > kFrameTimeoutMs) return -12;
    size_t chunk = static_cast<size_t>(counter - done) * lineBytes * (doubled ? 2 : 1);
    chunk = std::min(chunk, capacity - taken);  // never past the caller's buffer
    // A short read is taken again, with the lines that arrived meanwhile, on the next turn.
    const Transfer lines = ReadCardMemory(stream.c2h0.get(), address + taken, chunk, buffer + taken);
    if (lines == Transfer::kRefused) return -6;
    if (lines == Transfer::kWhole) {
      taken += chunk;
      done = counter;
    }
    int next = 0;
    const Transfer count = ReadLineCounter(board, next);
    if (count == Transfer::kRefused) return -8;
    if (count == Transfer::kShort) return -9;
    counter = getFrame ? next - 1 : next;
  }
  for (int attempt = 0; attempt < kFinalReadTries; ++attempt) {
    const Transfer rest = ReadCardMemory(stream.c2h0.get(), address + taken, capacity - taken, buffer + taken);
    if (rest == Transfer::kRefused) return -10;
    if (rest == Transfer::kWhole) return 1;
  }
  return -11;
}

std::unique_ptr<Node> OpenDmaNode(const std::string& devicePath, const char* name) {
  std::unique_ptr<Node> node = OpenNode(devicePath, name);
  if (!node) PrintOpenError();
  return node;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_LVDS_SetResolution(int32_t board, int32_t width, int32_t height) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(4, 0x71);
  packet.SetU32(20, 8);
  packet.AppendU16(static_cast<uint16_t>(height));
  packet.AppendU16(static_cast<uint16_t>(width));
  return RunCommand(board, packet, 4, 1000, Rule::kStrict);
}

int32_t PCI_LVDS_GetResolution(int32_t board, int32_t* width, int32_t* height) {
  if (!IsUsableBoard(board)) return 0;
  MailboxReply reply;
  const int result = RunCommand(board, MailboxPacket(4, 0x70), kResolutionReplyBytes, 4000, Rule::kStrict, &reply);
  // A call that never reached the reply wait (board kept busy, packet refused) has nothing to store:
  // the caller's values and the geometry the frames rely on stay as they were.
  if (reply.bytes.size() != kResolutionReplyBytes) return result;
  if (width) *width = static_cast<int32_t>(reply.U32(32));
  if (height) *height = static_cast<int32_t>(reply.U32(36));
  FrameGeometry& geometry = Slot(board).geometry;
  geometry.lineBytes.store(reply.U32(40));
  geometry.lineCount.store(reply.U32(44));
  return result;
}

int32_t PCI_LVDS_Start(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  const std::string& devicePath = Slot(board).devicePath;
  StreamNodes& stream = Stream(board);
  stream.c2h0 = OpenDmaNode(devicePath, "c2h_0");
  stream.c2h0OpenFailed = !stream.c2h0;
  stream.c2h1 = OpenDmaNode(devicePath, "c2h_1");
  stream.h2c1 = OpenDmaNode(devicePath, "h2c_1");
  if (!stream.c2h0 || !stream.c2h1 || !stream.h2c1) {
    PrintPositioningError();
    return 0;
  }
  if (!WritePacket(board, MailboxPacket(4, 0xF0))) return -1;
  if (!RingDoorbell(board)) return -2;
  MailboxReply reply;
  WaitMailboxReply(board, 4, reply, 1000);
  return reply.errorBits() ? -4 : 1;
}

int32_t PCI_LVDS_Stop(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  if (!WritePacket(board, MailboxPacket(0xF1, 0xF1)) || !RingDoorbell(board)) return 0;
  MailboxReply reply;
  int result = WaitMailboxReply(board, 4, reply, 10000) ? 1 : 0;
  StreamNodes& stream = Stream(board);
  if (stream.c2h0OpenFailed) {
    errno = EBADF;
    PrintCloseError();
    result = 0;
  }
  stream = StreamNodes{};
  return result;
}

int32_t PCI_LVDS_Trigger(int32_t board, int32_t size, void* buffer) {
  return RequestFrame(board, size, static_cast<uint8_t*>(buffer), false);
}

int32_t PCI_LVDS_GetFrame(int32_t board, const int32_t* size, void* buffer) {
  if (!size) return 0;
  return RequestFrame(board, *size, static_cast<uint8_t*>(buffer), true);
}
