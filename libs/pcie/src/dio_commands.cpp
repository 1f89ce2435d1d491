// Digital I/O banks. A read whose reply never comes fails: handing back whatever sat in the mailbox
// would let a read-modify-write drive garbage onto the pins.
#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr int64_t kDioTimeoutMs = 1000;

int BankWrite(int board, uint8_t opcode, int bank, uint32_t value, bool bankAs16Bits) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(4, opcode);
  packet.SetU32(20, 8);
  packet.AppendU32(bankAs16Bits ? static_cast<uint32_t>(bank) & 0xFFFF : static_cast<uint32_t>(bank));
  packet.AppendU32(value);
  return RunCommand(board, packet, 4, kDioTimeoutMs, Rule::kStrict);
}

int BankRead(int board, uint8_t opcode, int bank, uint32_t* out, bool bankAs16Bits) {
  if (!IsUsableBoard(board) || !out) return 0;
  MailboxPacket packet(4, opcode);
  packet.SetU32(20, 4);
  packet.AppendU32(bankAs16Bits ? static_cast<uint32_t>(bank) & 0xFFFF : static_cast<uint32_t>(bank));
  MailboxReply reply;
  const int result = RunCommand(board, packet, 36, kDioTimeoutMs, Rule::kStrict, &reply);
  if (result == 1) *out = reply.U32(32);
  return result;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_DIO_SetDirection(int32_t board, int32_t bank, uint32_t mask) { return BankWrite(board, 0x60, bank, mask, true); }
int32_t PCI_DIO_GetDirection(int32_t board, int32_t bank, uint32_t* mask) { return BankRead(board, 0x61, bank, mask, true); }
int32_t PCI_DIO_Write(int32_t board, int32_t bank, uint32_t value) { return BankWrite(board, 0x62, bank, value, false); }
int32_t PCI_DIO_Read(int32_t board, int32_t bank, uint32_t* value) { return BankRead(board, 0x63, bank, value, false); }
int32_t PCI_DIO_GetWrite(int32_t board, int32_t bank, uint32_t* value) { return BankRead(board, 0x63, bank, value, false); }
