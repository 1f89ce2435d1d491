// Temperatures, fans, board and link resets, firmware dates, block RAM.
#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr size_t kBlockRamCapacity = 65664;
constexpr size_t kTemperatureReplyBytes = 40;

int ReadTemperature(int board, uint8_t selector, uint8_t opcode, uint32_t* a, uint32_t* b) {
  if (!IsUsableBoard(board)) return 0;
  MailboxReply reply;
  const int result = RunCommand(board, MailboxPacket(selector, opcode), kTemperatureReplyBytes, 1000, Rule::kStrict, &reply);
  // The outputs carry the reply, whatever it said, only once the reply wait ran.
  if (reply.bytes.size() != kTemperatureReplyBytes) return result;
  if (a) *a = reply.U32(32);
  if (b) *b = reply.U32(36);
  return result;
}

int SentCommand(int board, uint8_t selector, uint8_t opcode) {
  if (!IsUsableBoard(board)) return 0;
  return RunCommand(board, MailboxPacket(selector, opcode), 0, 0, Rule::kSent);
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_GetTemp(int32_t board, uint32_t* a, uint32_t* b) { return ReadTemperature(board, 4, 0xE0, a, b); }
int32_t PCI_Rx_GetTemp(int32_t board, uint32_t* a, uint32_t* b) { return ReadTemperature(board, 0xE0, 0, a, b); }
int32_t PCI_FAN_Enable(int32_t board, int32_t on) { return WordCommand(board, 0xE1, on == 1 ? 100 : 0); }
int32_t PCI_FAN_SetSpeed(int32_t board, int32_t speed) { return WordCommand(board, 0xE2, static_cast<uint32_t>(speed)); }

int32_t PCI_FAN_SetFreq(int32_t board, int32_t frequency) {
  if (frequency == 0) return 0;  // no period for a zero frequency
  return WordCommand(board, 0xE3, 10000u / static_cast<uint32_t>(frequency));
}

int32_t PCI_TxBoardReset(int32_t board) { return SentCommand(board, 3, 3); }
int32_t PCI_FPGA_Reset(int32_t board) { return SentCommand(board, 3, 3); }
int32_t PCI_SFP_Reset2(int32_t board) { return SentCommand(board, 2, 2); }

int32_t PCI_FW_GetDate(int32_t board, uint32_t* rxDate, uint32_t* txDate) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  if (!lease.held()) return 0;
  if (!WritePacket(board, MailboxPacket(5, 5)) || !RingDoorbell(board)) return 0;
  MailboxReply reply;
  WaitMailboxReply(board, 40, reply, 30);
  uint8_t scratch[8] = {FrameTriggerByte().load(), 0, 0, 0, 0, 0, 0, 0};
  if (!WriteUserRegister(board, kDateScratchOffset, sizeof scratch, scratch)) return 0;
  if (rxDate) *rxDate = reply.U32(36);
  if (!reply.errorBits()) {
    if (txDate) *txDate = reply.U32(32);
    return 1;
  }
  if (txDate) *txDate = 0xFFFF;
  return -1;
}

int32_t PCI_BRAM_Write(int32_t board, int32_t len, const uint8_t* data) {
  if (!IsUsableBoard(board) || len < 0 || (len > 0 && !data)) return 0;
  if (!Fits(kHeaderBytes + static_cast<size_t>(len), kBlockRamCapacity)) return 0;
  MailboxPacket packet(0xD0, 0xD0);
  packet.SetU32(20, static_cast<uint32_t>(len));
  packet.Append(data, static_cast<size_t>(len));
  return RunCommand(board, packet, 2, int64_t{len} * 2000, Rule::kStrict);
}
