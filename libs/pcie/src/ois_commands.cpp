// The OIS sequencer: delays, reset, and transactions that hand back all readings in one reply.
#include <algorithm>
#include <cstring>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr size_t kBufferCapacity = 65535;
constexpr int64_t kSimpleTimeoutMs = 1000;
constexpr int32_t kMaxCount = 0xFF;    // counts travel as one byte
constexpr int32_t kMaxField16 = 0xFFFF;

uint32_t DelayField(int32_t delay, int32_t base) {
  const int64_t steps = (int64_t{delay} - base) / 10;  // rounded toward zero
  return steps < 0 ? 0 : static_cast<uint32_t>(steps);
}

bool IsCount(int32_t count) { return count >= 0 && count <= kMaxCount; }
bool IsField16(int32_t value) { return value >= 0 && value <= kMaxField16; }
bool HasData(const void* data, int64_t bytes) { return bytes == 0 || data != nullptr; }

void SetField16(MailboxPacket& packet, size_t at, int32_t value) {
  packet.bytes[at] = static_cast<uint8_t>(value);
  packet.bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// A reading block of the reply to copy out once the done bit came.
struct Delivery {
  void* out;
  int64_t bytes;
};

// Sends a sequencer packet and waits for 32 + replyData bytes. The readings are copied whenever the
// done bit came, an error bit included; a time-out copies nothing. Packets and replies that would
// not fit the 65535-byte buffers never leave.
int RunSequencer(int board, MailboxPacket& packet, int64_t replyData, int64_t timeoutMs,
                 std::initializer_list<Delivery> deliveries) {
  if (!Fits(packet.bytes.size(), kBufferCapacity) || replyData < 0 ||
      !Fits(kHeaderBytes + static_cast<size_t>(replyData), kBufferCapacity)) {
    return 0;
  }
  MailboxReply reply;
  const int result = RunCommand(board, packet, kHeaderBytes + static_cast<size_t>(replyData), std::max<int64_t>(timeoutMs, 0),
                                Rule::kStrict, &reply);
  if (!reply.done) return result;
  size_t at = kHeaderBytes;
  for (const Delivery& d : deliveries) {
    if (d.bytes > 0) std::memcpy(d.out, reply.bytes.data() + at, static_cast<size_t>(d.bytes));
    at += static_cast<size_t>(std::max<int64_t>(d.bytes, 0));
  }
  return result;
}

// Header and payload shared by the three GetData forms; false when an argument cannot travel.
bool BuildGetData(MailboxPacket& packet, uint32_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                  int32_t repeat) {
  if (cmdLen < 0 || !IsField16(size) || repeat < 0) return false;
  const int64_t payload = int64_t{cmdLen} * repeat;
  if (payload > static_cast<int64_t>(kBufferCapacity) || !HasData(cmd, payload)) return false;
  packet.SetAddress(slave);
  SetField16(packet, 8, size);
  packet.SetU32(20, static_cast<uint32_t>(cmdLen));
  packet.Append(cmd, static_cast<size_t>(payload));
  return true;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_OIS_Reset(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  return RunCommand(board, MailboxPacket(4, 0xB3), 4, kSimpleTimeoutMs, Rule::kPosted);
}

int32_t PCI_OIS_SetDelay(int32_t board, int32_t delayA, int32_t delayB) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(4, 0xB5);
  packet.SetU32(20, 8);
  packet.AppendU32(DelayField(delayA, 1000));
  packet.AppendU32(DelayField(delayB, 2000));
  return RunCommand(board, packet, 4, kSimpleTimeoutMs, Rule::kStrict);
}

int32_t PCI_OIS_SetStepDelay(int32_t board, int32_t stepDelay) {
  if (!IsBoardIndex(board)) return 0;
  MailboxPacket packet(4, 0xB4);
  packet.SetU32(20, 4);
  packet.AppendU32(static_cast<uint32_t>(stepDelay) / 10);
  return RunCommand(board, packet, 4, kSimpleTimeoutMs, Rule::kStrict);
}

int32_t PCI_OIS_GetData(int32_t board, uint32_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                        int32_t count, void* out) {
  if (!IsBoardIndex(board) || !IsCount(count)) return 0;
  MailboxPacket packet(4, 0xB2);
  if (!BuildGetData(packet, slave, cmdLen, cmd, size, 1)) return 0;
  packet.bytes[10] = static_cast<uint8_t>(count);
  const int64_t bytes = int64_t{size} * count;
  if (!HasData(out, bytes)) return 0;
  return RunSequencer(board, packet, bytes, kSimpleTimeoutMs, {{out, bytes}});
}

int32_t PCI_OIS_GetData_Ex(int32_t board, uint32_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                           int32_t count, void* out, int32_t repeat) {
  if (!IsBoardIndex(board) || !IsCount(count)) return 0;
  MailboxPacket packet(4, 0xB1);
  if (!BuildGetData(packet, slave, cmdLen, cmd, size, repeat)) return 0;
  packet.bytes[10] = static_cast<uint8_t>(count);
  packet.SetU32(16, static_cast<uint32_t>(repeat));
  const int64_t bytes = int64_t{size} * count * repeat;
  if (!HasData(out, bytes)) return 0;
  return RunSequencer(board, packet, bytes, kSimpleTimeoutMs, {{out, bytes}});
}

int32_t PCI_OIS_GetData_Ex2(int32_t board, uint32_t slaveA, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                            int32_t countA, void* outA, uint32_t slaveB, int32_t countB, void* outB, int32_t repeat) {
  if (!IsBoardIndex(board) || !IsCount(countA) || !IsCount(countB)) return 0;
  MailboxPacket packet(4, 0xB0);
  if (!BuildGetData(packet, slaveA, cmdLen, cmd, size, repeat)) return 0;
  packet.bytes[5] = static_cast<uint8_t>((slaveB & 0xFF) >> 1);
  packet.bytes[10] = static_cast<uint8_t>(countA);
  packet.bytes[11] = static_cast<uint8_t>(countB);
  packet.SetU32(16, static_cast<uint32_t>(repeat));
  const int64_t bytesA = int64_t{countA} * size * repeat;
  const int64_t bytesB = int64_t{countB} * size * repeat;
  if (!HasData(outA, bytesA) || !HasData(outB, bytesB)) return 0;
  return RunSequencer(board, packet, bytesA + bytesB, kSimpleTimeoutMs, {{outA, bytesA}, {outB, bytesB}});
}

int32_t PCI_OIS_I2C_Function(int32_t board, uint32_t slave1, uint32_t slave2, uint32_t slave3, int32_t lenA,
                             const uint8_t* dataA, int32_t lenB, const uint8_t* dataB, int32_t countA, void* outA,
                             int32_t arg11, int32_t arg12, int32_t countB, void* outB, int32_t size, int32_t repeat,
                             int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !IsCount(countA) || !IsCount(countB) || !IsField16(size) || !IsField16(repeat) ||
      lenA < 0 || lenB < 0) {
    return 0;
  }
  const int64_t payloadA = int64_t{lenA} * repeat;
  const int64_t payloadB = int64_t{lenB} * repeat;
  if (payloadA + payloadB > static_cast<int64_t>(kBufferCapacity) || !HasData(dataA, payloadA) || !HasData(dataB, payloadB)) {
    return 0;
  }
  MailboxPacket packet(0x40, 0xB6);
  SetField16(packet, 6, repeat);
  SetField16(packet, 8, size);
  packet.bytes[10] = static_cast<uint8_t>(countA);
  packet.bytes[11] = static_cast<uint8_t>(countB);
  packet.bytes[12] = static_cast<uint8_t>(arg11);
  packet.bytes[13] = static_cast<uint8_t>((slave1 & 0xFF) >> 1);
  packet.bytes[14] = static_cast<uint8_t>((slave2 & 0xFF) >> 1);
  packet.bytes[15] = static_cast<uint8_t>((slave3 & 0xFF) >> 1);
  packet.bytes[16] = static_cast<uint8_t>(arg12 >> 8);
  packet.bytes[17] = static_cast<uint8_t>(arg12);
  packet.SetU32(20, static_cast<uint32_t>(lenA));
  packet.SetU32(24, static_cast<uint32_t>(lenB));
  packet.Append(dataA, static_cast<size_t>(payloadA));
  packet.Append(dataB, static_cast<size_t>(payloadB));
  const int64_t bytesA = int64_t{repeat} * size * countA;
  const int64_t bytesB = int64_t{repeat} * size * countB;
  if (!HasData(outA, bytesA) || !HasData(outB, bytesB)) return 0;
  return RunSequencer(board, packet, bytesA + bytesB, timeoutMs, {{outA, bytesA}, {outB, bytesB}});
}
