// The register I2C buses: (board, slave, address length, register, data length, data).
#include <cstring>

#include "PCI_LX40.h"
#include "board_slots.h"
#include "mailbox.h"

namespace pcie {
namespace {

enum class Order { kMsbFirst, kLsbFirst, kZero };

struct Bus {
  uint8_t selector;
  uint8_t opcode;
  Order order;
  size_t packetCapacity;
  size_t replyCapacity;
  int64_t msPerByte;     // time-out per byte; 0 = fixed
  int64_t fixedTimeoutMs;
};

void AppendRegister(MailboxPacket& packet, Order order, int addressLength, uint32_t reg) {
  for (int i = 0; i < addressLength; ++i) {
    const int shift = order == Order::kLsbFirst ? (i * 8) % 32 : ((addressLength - 1 - i) * 8) % 32;
    const uint8_t byte = order == Order::kZero ? 0 : static_cast<uint8_t>(reg >> shift);
    packet.Append(&byte, 1);
  }
}

int64_t TimeoutMs(const Bus& bus, int64_t bytes) { return bus.msPerByte ? bytes * bus.msPerByte : bus.fixedTimeoutMs; }

bool ValidTransfer(int addressLength, int length, const void* data) {
  return addressLength >= 0 && addressLength <= 4 && length >= 0 && (length == 0 || data);
}

int Write(const Bus& bus, int board, uint32_t slave, int addressLength, uint32_t reg, int length,
          const uint8_t* data, size_t replyBytes, uint8_t* echo = nullptr) {
  if (!IsUsableBoard(board) || !ValidTransfer(addressLength, length, data)) return 0;
  const size_t bytes = kHeaderBytes + static_cast<size_t>(addressLength) + static_cast<size_t>(length);
  if (!Fits(bytes, bus.packetCapacity) || !Fits(replyBytes, bus.replyCapacity)) return 0;
  MailboxPacket packet(bus.selector, bus.opcode);
  packet.SetAddress(slave);
  packet.SetU32(16, static_cast<uint32_t>(addressLength));
  packet.SetU32(20, static_cast<uint32_t>(length));
  AppendRegister(packet, bus.order, addressLength, reg);
  packet.Append(data, static_cast<size_t>(length));
  MailboxReply reply;
  const int result = RunCommand(board, packet, replyBytes, TimeoutMs(bus, addressLength + length), Rule::kStrict, &reply);
  if (echo && result == 1 && length > 0) std::memcpy(echo, reply.bytes.data() + kHeaderBytes, static_cast<size_t>(length));
  return result;
}

int Read(const Bus& bus, int board, uint32_t slave, int addressLength, uint32_t reg, int length, uint8_t* out,
         bool deliverAlways) {
  if (!IsUsableBoard(board) || !ValidTransfer(addressLength, length, out)) return 0;
  const size_t replyBytes = kHeaderBytes + static_cast<size_t>(length);
  if (!Fits(kHeaderBytes + static_cast<size_t>(addressLength), bus.packetCapacity) ||
      !Fits(replyBytes, bus.replyCapacity)) {
    return 0;
  }
  MailboxPacket packet(bus.selector, bus.opcode);
  packet.SetAddress(slave);
  packet.SetU32(16, static_cast<uint32_t>(addressLength));
  packet.SetU32(20, static_cast<uint32_t>(length));
  AppendRegister(packet, bus.order, addressLength, reg);
  MailboxReply reply;
  const int result = RunCommand(board, packet, replyBytes, TimeoutMs(bus, length), Rule::kStrict, &reply);
  const bool deliver = deliverAlways ? reply.bytes.size() == replyBytes : result == 1;
  if (deliver && length > 0) std::memcpy(out, reply.bytes.data() + kHeaderBytes, static_cast<size_t>(length));
  return result;
}

constexpr Bus kSysWrite{4, 0x10, Order::kMsbFirst, 65664, 256, 2000, 0};
constexpr Bus kSysRead{4, 0x11, Order::kMsbFirst, 256, 65664, 2000, 0};
constexpr Bus kSysRead2{4, 0x14, Order::kZero, 256, 65664, 2000, 0};
constexpr Bus kMcuWrite{4, 0x20, Order::kLsbFirst, 65664, 128, 2000, 0};
constexpr Bus kMcuRead{4, 0x21, Order::kLsbFirst, 256, 65664, 2000, 0};
constexpr Bus kMcuRead2{4, 0x23, Order::kLsbFirst, 256, 65664, 2000, 0};
constexpr Bus kRptWrite{4, 0x30, Order::kMsbFirst, 256, 256, 2000, 0};
constexpr Bus kRptRead{4, 0x31, Order::kMsbFirst, 256, 256, 2000, 0};
constexpr Bus kOsWrite{4, 0x90, Order::kMsbFirst, 4096, 4096, 2000, 0};
constexpr Bus kOsRead{4, 0x91, Order::kMsbFirst, 5000, 5000, 2000, 0};
constexpr Bus kSfpWrite{4, 0x9A, Order::kMsbFirst, 1152, 256, 0, 1000};
constexpr Bus kSfpRead{4, 0x9B, Order::kMsbFirst, 256, 256, 0, 1000};
constexpr Bus kRxSfpWrite{0x9A, 0, Order::kMsbFirst, 1152, 256, 0, 1000};
constexpr Bus kRxSfpRead{0x9B, 0, Order::kMsbFirst, 256, 256, 0, 1000};
constexpr Bus kRxE2pWrite{0x30, 0, Order::kMsbFirst, 1152, 256, 1000, 0};
constexpr Bus kRxE2pRead{0x31, 0, Order::kMsbFirst, 256, 256, 1000, 0};
constexpr Bus kVSyncWrite{4, 0x17, Order::kMsbFirst, 1152, 256, 0, 1000};

}  // namespace
}  // namespace pcie

using namespace pcie;

#define QRV_PCI_WRITE(name, bus, replyBytes)                                                                \
  int32_t name(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data) { \
    return Write(bus, board, slave, addrLen, reg, len, data, replyBytes);                                   \
  }
#define QRV_PCI_READ(name, bus, always)                                                                \
  int32_t name(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out) { \
    return Read(bus, board, slave, addrLen, reg, len, out, always);                                    \
  }

QRV_PCI_WRITE(PCI_I2C_SYS_Write, kSysWrite, 2)
QRV_PCI_READ(PCI_I2C_SYS_Read, kSysRead, false)
QRV_PCI_READ(PCI_I2C_SYS_Read2, kSysRead2, true)
QRV_PCI_WRITE(PCI_I2C_MCU_Write, kMcuWrite, 4)
QRV_PCI_READ(PCI_I2C_MCU_Read, kMcuRead, false)
QRV_PCI_READ(PCI_I2C_MCU_Read2, kMcuRead2, true)
QRV_PCI_WRITE(PCI_I2C_RPT_Write, kRptWrite, 4)
QRV_PCI_READ(PCI_I2C_RPT_Read, kRptRead, false)
QRV_PCI_WRITE(PCI_I2C_OS_Write, kOsWrite, 4)
QRV_PCI_READ(PCI_I2C_OS_Read, kOsRead, false)
QRV_PCI_WRITE(PCI_I2C_SFP_Write, kSfpWrite, 4)
QRV_PCI_READ(PCI_I2C_SFP_Read, kSfpRead, false)
QRV_PCI_WRITE(PCI_Rx_I2C_SFP_Write, kRxSfpWrite, 4)
QRV_PCI_READ(PCI_Rx_I2C_SFP_Read, kRxSfpRead, false)
QRV_PCI_WRITE(PCI_I2C_RxE2P_Write, kRxE2pWrite, 2)
QRV_PCI_READ(PCI_I2C_RxE2P_Read, kRxE2pRead, false)

int32_t PCI_I2C_VSync_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* data) {
  return Write(kVSyncWrite, board, slave, addrLen, reg, len, data, kHeaderBytes + static_cast<size_t>(len > 0 ? len : 0), data);
}
