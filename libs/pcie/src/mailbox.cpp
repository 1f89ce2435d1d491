#include "mailbox.h"

#include <cerrno>
#include <cstring>

#include "board_slots.h"
#include "port/clock.h"

namespace pcie {
namespace {

constexpr int kAcquireSteps = 20000;
constexpr double kAcquireStepUs = 200;
constexpr double kPollStepUs = 10;

int ApplyRule(Rule rule, const MailboxReply& reply, int failure) {
  switch (rule) {
    case Rule::kStrict: return reply.done && !reply.errorBits() ? 1 : failure;
    case Rule::kErrorBitsOnly: return !reply.errorBits() ? 1 : failure;
    case Rule::kDoneOnly: return reply.done ? 1 : failure;
    case Rule::kPosted:
    case Rule::kSent: return 1;
  }
  return failure;
}

}  // namespace

void MailboxPacket::SetU32(size_t at, uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  std::memcpy(bytes.data() + at, &value, 4);
}

void MailboxPacket::AppendU32(uint32_t value) {
  const size_t at = bytes.size();
  bytes.resize(at + 4);
  std::memcpy(bytes.data() + at, &value, 4);
}

void MailboxPacket::AppendU16(uint16_t value) {
  const size_t at = bytes.size();
  bytes.resize(at + 2);
  std::memcpy(bytes.data() + at, &value, 2);
}

uint32_t MailboxReply::U32(size_t at) const {
  uint32_t value = 0;
  if (bytes.size() >= at + 4) std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

bool AcquireBoard(int board) {
  std::atomic<int>& busy = Slot(board).busy;
  for (int steps = 0;; ++steps) {
    int expected = 0;
    if (busy.compare_exchange_strong(expected, 1)) return true;
    if (steps >= kAcquireSteps) return false;
    WaitMicroseconds(kAcquireStepUs);
  }
}

void ReleaseBoard(int board) { Slot(board).busy.store(0); }

int WritePacket(int board, const MailboxPacket& packet) {
  return WriteUserRegister(board, kMailboxOffset, packet.bytes.size(), packet.bytes.data());
}

int RingDoorbell(int board) {
  const uint8_t one = 1;
  return WriteUserRegister(board, kDoorbellOffset, 1, &one);
}

bool WaitMailboxReply(int board, size_t count, MailboxReply& reply, int64_t timeoutMs) {
  const auto start = port::clock::Now();
  reply.bytes.assign(count, 0);
  Node* node = Slot(board).user.get();
  if (!node) {
    errno = EBADF;
    PrintPositioningError();
  }
  // The first refused read is the wait's failed seek: it is reported once and fails the wait, which still
  // polls on so the reply bytes are the last the board gave.
  bool refused = node == nullptr;
  for (;;) {
    if (node && node->ReadAt(reply.bytes.data(), count, kMailboxOffset) < 0 && !refused) {
      PrintPositioningError();
      refused = true;
    }
    if (count > 1 && (reply.bytes[1] & kStatusDone)) {
      reply.done = !refused;
      return reply.done;
    }
    const double elapsedMs = std::chrono::duration<double, std::milli>(port::clock::Now() - start).count();
    if (static_cast<double>(timeoutMs) < elapsedMs) return false;
    WaitMicroseconds(kPollStepUs);
  }
}

int WordCommand(int board, uint8_t opcode, uint32_t value, Rule rule) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(4, opcode);
  packet.SetU32(20, 4);
  packet.AppendU32(value);
  return RunCommand(board, packet, 4, 1000, rule);
}

int RunCommand(int board, const MailboxPacket& packet, size_t replyBytes, int64_t timeoutMs, Rule rule,
               MailboxReply* reply, int failure) {
  BoardLease lease(board);
  if (!lease.held()) return 0;
  if (!WritePacket(board, packet) || !RingDoorbell(board)) return 0;
  if (rule == Rule::kSent) return 1;
  MailboxReply local;
  MailboxReply& out = reply ? *reply : local;
  WaitMailboxReply(board, replyBytes, out, timeoutMs);
  return ApplyRule(rule, out, failure);
}

}  // namespace pcie
