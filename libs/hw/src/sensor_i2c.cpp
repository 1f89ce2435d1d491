// Sensor registers on the system I2C bus. The mode gives the widths: 0 A8/D8, 1 A8/D16, 2 A16/D8,
// 3 A16/D16; 16-bit values go high byte first; the bus address is the 7-bit address shifted left.
#include <cstdint>

#include "hardware_controller.h"

namespace hw {
namespace {

bool IsValidMode(int mode) { return mode >= 0 && mode <= 3; }
int AddressLength(int mode) { return mode >= 2 ? 2 : 1; }
int DataLength(int mode) { return mode == 1 || mode == 3 ? 2 : 1; }
std::uint8_t BusAddress(int slave) { return static_cast<std::uint8_t>((slave << 1) & 0xFF); }

}  // namespace

int HardwareController::IIC_WriteEx(int board, int slaveAddress, int address, int data, int mode) {
  if (!IsValidBoard(board) || !IsValidMode(mode) || !table_) return 0;
  const int length = DataLength(mode);
  std::uint8_t bytes[2];
  if (length == 2) {
    bytes[0] = static_cast<std::uint8_t>((data >> 8) & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(data & 0xFF);
  } else {
    bytes[0] = static_cast<std::uint8_t>(data & 0xFF);
  }
  return BoardCall(table_->I2C_SYS_Write, board, BusAddress(slaveAddress), AddressLength(mode),
                   static_cast<std::uint32_t>(address), length, bytes) == 1
             ? 1
             : 0;
}

int HardwareController::IIC_Write(int board, int address, int data) {
  if (!IsValidBoard(board)) return 0;
  return IIC_WriteEx(board, state_->SlaveAddr(board), address, data, state_->I2cMode(board));
}

int HardwareController::IIC_ReadEx(int board, int slaveAddress, int address, int mode, int* value) {
  if (!IsValidBoard(board) || !IsValidMode(mode) || !table_ || !value) return 0;
  const int length = DataLength(mode);
  std::uint8_t bytes[2] = {};
  if (BoardCall(table_->I2C_SYS_Read, board, BusAddress(slaveAddress), AddressLength(mode),
                static_cast<std::uint32_t>(address), length, bytes) != 1) {
    return 0;
  }
  *value = length == 2 ? bytes[0] * 256 + bytes[1] : bytes[0];
  return 1;
}

int HardwareController::IIC_Read(int board, int address, int* value) {
  if (!IsValidBoard(board)) return 0;
  return IIC_ReadEx(board, state_->SlaveAddr(board), address, state_->I2cMode(board), value);
}

int HardwareController::IIC_Write_SelMode(int board, int site, int mode, int address, int data) {
  const int result = IIC_WriteEx(board, state_->SlaveAddr(board), address, data, mode);
  if (result == 1) {
    SiteLog(site, "V5: IIC Write %x into Addr %x Success, mode=%d", data, address, mode);
  } else {
    SiteLog(site, "V5: IIC Write %x into Addr %x Failed", data, address);
  }
  return result;
}

}  // namespace hw
