#pragma once
// The command mailbox: packet, doorbell, reply wait, busy flag and result rules.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pcie {

inline constexpr uint8_t kStatusDone = 0x01;
inline constexpr uint8_t kStatusErrors = 0x06;
inline constexpr size_t kHeaderBytes = 32;

enum class Rule { kStrict, kErrorBitsOnly, kDoneOnly, kPosted, kSent };

struct MailboxPacket {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kHeaderBytes);

  MailboxPacket(uint8_t selector, uint8_t opcode) {
    bytes[0] = selector;
    bytes[2] = opcode;
  }
  void SetAddress(uint32_t slave) { bytes[4] = static_cast<uint8_t>((slave & 0xFF) >> 1); }
  void SetU32(size_t at, uint32_t value);
  void Append(const uint8_t* data, size_t count) { bytes.insert(bytes.end(), data, data + count); }
  void AppendU32(uint32_t value);
  void AppendU16(uint16_t value);
};

struct MailboxReply {
  std::vector<uint8_t> bytes;
  bool done = false;
  uint8_t status() const { return bytes.size() > 1 ? bytes[1] : 0; }
  bool errorBits() const { return (status() & kStatusErrors) != 0; }
  uint32_t U32(size_t at) const;
};

// Takes the board's mailbox: false when another call kept it for more than 20000 steps of 200 us.
bool AcquireBoard(int board);
void ReleaseBoard(int board);

// Holds a board's mailbox for one scope.
class BoardLease {
 public:
  explicit BoardLease(int board) : board_(board), held_(AcquireBoard(board)) {}
  ~BoardLease() {
    if (held_) ReleaseBoard(board_);
  }
  BoardLease(const BoardLease&) = delete;
  BoardLease& operator=(const BoardLease&) = delete;
  bool held() const { return held_; }

 private:
  int board_;
  bool held_;
};

// Writes the packet; 1 ok, 0 failed.
int WritePacket(int board, const MailboxPacket& packet);
int RingDoorbell(int board);
// Polls the mailbox every 10 us until the done bit or the time-out; reply.bytes holds the last read. A
// register node that is missing or refuses a read prints the positioning message once and fails the wait.
bool WaitMailboxReply(int board, size_t count, MailboxReply& reply, int64_t timeoutMs);

// One whole command on a board that passed its checks: acquire, packet, doorbell, wait (reply of
// replyBytes within timeoutMs, skipped for kSent), result by the rule, release. failure is the rule's
// failure value (0 for most commands).
int RunCommand(int board, const MailboxPacket& packet, size_t replyBytes, int64_t timeoutMs, Rule rule,
               MailboxReply* reply = nullptr, int failure = 0);

// A command whose payload is one 32-bit word (length field 4), answered in 4 bytes within 1000 ms; checks
// the board first.
int WordCommand(int board, uint8_t opcode, uint32_t value, Rule rule = Rule::kStrict);

// A packet or reply that would not fit the command's buffer never reaches the board.
inline bool Fits(size_t bytes, size_t capacity) { return bytes <= capacity; }

}  // namespace pcie
