// The SPI configuration flash: the image goes to card memory over the host-to-card node, then
// mailbox commands program and verify it; erase and read-back beside them.
#include <array>
#include <cerrno>
#include <mutex>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr int64_t kInitTimeoutMs = 1000;
constexpr int64_t kEraseTimeoutMs = 240000;
constexpr int64_t kProgramTimeoutMs = 300000;
constexpr int64_t kVerifyTimeoutMs = 180000;
constexpr int64_t kReadTimeoutMs = 1000;
constexpr double kVerifyPauseUs = 10000;

// The board's host-to-card node, opened by the flash init. A failed open is remembered, so the
// write and the close report it as they would an invalid handle.
struct HostToCard {
  std::mutex lock;
  std::unique_ptr<Node> node;
  bool openFailed = false;
};

HostToCard& HostToCardOf(int board) {
  static std::array<HostToCard, kBoardCount> nodes;
  return nodes[static_cast<size_t>(board)];
}

MailboxPacket FlashPacket(int32_t rxSide, uint8_t receiverSelector, uint8_t receiverOpcode, uint8_t hostSelector,
                          uint8_t hostOpcode, uint32_t length = 0) {
  MailboxPacket packet = rxSide != 0 ? MailboxPacket(receiverSelector, receiverOpcode) : MailboxPacket(hostSelector, hostOpcode);
  packet.SetU32(20, length);
  return packet;
}

bool Strict(const MailboxReply& reply) { return reply.done && !reply.errorBits(); }

// Packet, doorbell and reply wait on a board already held; false when the packet never went out.
bool Exchange(int board, const MailboxPacket& packet, int64_t timeoutMs, MailboxReply& reply) {
  if (!WritePacket(board, packet) || !RingDoorbell(board)) return false;
  WaitMailboxReply(board, 4, reply, timeoutMs);
  return true;
}

void OpenHostToCard(int board) {
  HostToCard& h2c = HostToCardOf(board);
  std::lock_guard lock(h2c.lock);
  h2c.node.reset();  // never two handles for one node
  h2c.node = OpenNode(Slot(board).devicePath, "h2c_0");
  h2c.openFailed = !h2c.node;
  if (h2c.openFailed) PrintOpenError();
}

bool WriteImage(int board, int32_t size, const void* image) {
  HostToCard& h2c = HostToCardOf(board);
  std::lock_guard lock(h2c.lock);
  if (!h2c.node) {
    errno = EBADF;
    PrintPositioningError();
    return false;
  }
  return Moved(h2c.node->WriteAt(image, static_cast<size_t>(size), kCardMemory), static_cast<size_t>(size)) == 1;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_Flash_SpiInit(int32_t board, int32_t rxSide) {
  if (!IsBoardIndex(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  MailboxReply reply;
  if (!Exchange(board, FlashPacket(rxSide, 0xA0, 0, 4, 0xA0), kInitTimeoutMs, reply)) return 0;
  OpenHostToCard(board);
  return Strict(reply) ? 1 : 0;
}

int32_t PCI_Flash_SpiClose(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  HostToCard& h2c = HostToCardOf(board);
  std::lock_guard lock(h2c.lock);
  if (h2c.openFailed) {
    errno = EBADF;
    PrintCloseError();
    return 0;
  }
  h2c.node.reset();
  return 1;
}

int32_t PCI_Flash_SpiErase(int32_t board, int32_t rxSide) {
  if (!IsBoardIndex(board)) return 0;
  return RunCommand(board, FlashPacket(rxSide, 0xA1, 0, 0xA5, 0xA1), 4, kEraseTimeoutMs, Rule::kStrict);
}

int32_t PCI_Flash_SpiWriteAll(int32_t board, int32_t size, const void* image, int32_t rxSide) {
  if (!IsBoardIndex(board) || size < 0 || (size > 0 && !image)) return 0;
  BoardLease lease(board);
  if (!lease.held() || !WriteImage(board, size, image)) return 0;
  const uint32_t length = static_cast<uint32_t>(size);
  MailboxReply program;
  if (!Exchange(board, FlashPacket(rxSide, 0xA2, 0, 0xA4, 0xA4, length), kProgramTimeoutMs, program)) return 0;
  if (program.errorBits()) return 0;
  if (rxSide != 0) return Strict(program) ? 1 : 0;
  WaitMicroseconds(kVerifyPauseUs);
  MailboxReply verify;
  if (!Exchange(board, FlashPacket(0, 0, 0, 0xA5, 0xA2, length), kVerifyTimeoutMs, verify)) return 0;
  return Strict(verify) ? 1 : 0;
}

// The firmware places the flash contents at the card address of the image; the read-back follows
// whatever the reply said, and one that does not arrive whole fails the call rather than hand back stale
// card memory.
int32_t PCI_Flash_SpiReadAll(int32_t board, int32_t size, void* out, int32_t rxSide) {
  if (!IsBoardIndex(board) || size < 0 || (size > 0 && !out)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  MailboxReply reply;
  if (!Exchange(board, FlashPacket(rxSide, 0xA3, 0xA3, 0xA5, 0xA5, static_cast<uint32_t>(size)), kReadTimeoutMs, reply)) {
    return 0;
  }
  const bool readBack =
      size == 0 || ReadCardMemory(Stream(board).c2h0.get(), kCardMemory, static_cast<size_t>(size), out) == Transfer::kWhole;
  return Strict(reply) && readBack ? 1 : 0;
}
