// Bus resets and clocks, the clock synthesiser, IO-level DAC, current ADCs and supply DAC.
#include <algorithm>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

constexpr size_t kDeviceBufferBytes = 128;
constexpr size_t kAdcReplyBytes = 256;

int DeviceWrite(int board, uint8_t opcode, uint32_t slave, int length, const uint8_t* data, double settleUs = 0) {
  if (!IsUsableBoard(board) || length < 0 || (length > 0 && !data)) return 0;
  if (!Fits(kHeaderBytes + static_cast<size_t>(length), kDeviceBufferBytes)) return 0;
  MailboxPacket packet(4, opcode);
  packet.SetAddress(slave);
  packet.SetU32(20, static_cast<uint32_t>(length));
  packet.Append(data, static_cast<size_t>(length));
  BoardLease lease(board);
  if (!lease.held()) return 0;
  if (!WritePacket(board, packet) || !RingDoorbell(board)) return 0;
  if (settleUs > 0) WaitMicroseconds(settleUs);
  MailboxReply reply;
  WaitMailboxReply(board, 4, reply, int64_t{length} * 2000);
  return reply.done && !reply.errorBits() ? 1 : 0;
}

int DeviceRead(int board, uint8_t opcode, uint32_t slave, int length, uint8_t* out, size_t replyCapacity) {
  if (!IsUsableBoard(board) || length < 0 || (length > 0 && !out)) return 0;
  const size_t replyBytes = kHeaderBytes + static_cast<size_t>(length);
  if (!Fits(replyBytes, replyCapacity)) return 0;
  MailboxPacket packet(4, opcode);
  packet.SetAddress(slave);
  packet.SetU32(20, static_cast<uint32_t>(length));
  MailboxReply reply;
  const int result = RunCommand(board, packet, replyBytes, int64_t{length} * 2000, Rule::kStrict, &reply);
  if (result == 1) std::copy(reply.bytes.begin() + kHeaderBytes, reply.bytes.end(), out);
  return result;
}

}  // namespace
}  // namespace pcie

using namespace pcie;

int32_t PCI_I2C_ALL_Reset(int32_t board) { return WordCommand(board, 0x06, 1, Rule::kPosted); }
int32_t PCI_I2C_SYS_Reset(int32_t board) { return WordCommand(board, 0x12, 1, Rule::kPosted); }
int32_t PCI_I2C_SYS_Set_Clock(int32_t board, int32_t speedCode) {
  return WordCommand(board, 0x13, static_cast<uint32_t>(speedCode), Rule::kStrict);
}
int32_t PCI_OIS_SetClock(int32_t board, int32_t speedCode) { return PCI_I2C_SYS_Set_Clock(board, speedCode); }
int32_t PCI_I2C_MCU_Reset(int32_t board) { return WordCommand(board, 0x22, 1, Rule::kPosted); }
int32_t PCI_I2C_MCU_Set_Clock(int32_t board, int32_t speedCode) {
  return WordCommand(board, 0x24, static_cast<uint32_t>(speedCode), Rule::kStrict);
}
int32_t PCI_I2C_RPT_Reset(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  return RunCommand(board, MailboxPacket(4, 0x32), 4, 1000, Rule::kStrict);
}
int32_t PCI_I2C_OS_Reset(int32_t board) { return WordCommand(board, 0x92, 1, Rule::kPosted); }
int32_t PCI_I2C_OS_Set_Clock(int32_t board, int32_t speedCode) {
  return WordCommand(board, 0x93, static_cast<uint32_t>(speedCode), Rule::kStrict);
}
int32_t PCI_I2C_SFP_Reset(int32_t board) { return WordCommand(board, 0x9C, 1, Rule::kPosted); }

int32_t PCI_I2C_PLL_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data) {
  return DeviceWrite(board, 0x41, slave, len, data);
}

int32_t PCI_I2C_PLL_Select(int32_t board, int32_t) {
  if (!IsUsableBoard(board)) return 0;
  BoardLease lease(board);
  return lease.held() ? 1 : 0;
}

int32_t PCI_CLK_Off(int32_t board) {
  if (!IsUsableBoard(board)) return 0;
  MailboxPacket packet(4, 0x42);
  packet.bytes[4] = 0x55;
  return RunCommand(board, packet, 4, 1000, Rule::kStrict);
}

int32_t PCI_I2C_DAC_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data) {
  return DeviceWrite(board, 0x33, slave, len, data);
}
int32_t PCI_I2C_ADC_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data) {
  return DeviceWrite(board, 0x43, slave, len, data);
}
int32_t PCI_I2C_ADC_Read(int32_t board, uint32_t slave, int32_t len, uint8_t* out) {
  return DeviceRead(board, 0x44, slave, len, out, kAdcReplyBytes);
}
int32_t PCI_I2C_ADC_Init(int32_t board, int32_t value) {
  return WordCommand(board, 0x45, static_cast<uint32_t>(value), Rule::kStrict);
}
int32_t PCI_I2C_PWR_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data) {
  return DeviceWrite(board, 0x50, slave, len, data, 150);
}
int32_t PCI_I2C_PWR_Read(int32_t board, uint32_t slave, int32_t len, uint8_t* out) {
  return DeviceRead(board, 0x51, slave, len, out, kDeviceBufferBytes);
}
int32_t PCI_I2C_PWR_Init(int32_t board, int32_t value) {
  return WordCommand(board, 0x52, static_cast<uint32_t>(value), Rule::kStrict);
}
