// The I2C bus exports: one driver call each, the IO-level gate on the sensor-side buses, a trace line.
#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "trace.h"

namespace {

using board::DataBytes;
using board::TraceTimer;

}  // namespace

#define QRV_BUS_RESET(name, pciCall)  \
  int32_t name(int32_t board) {        \
    const TraceTimer timer;            \
    const int32_t result = pciCall(board); \
    TRACE(timer, TRACE_F9, board, result); \
    return result;                     \
  }
#define QRV_BUS_CLOCK(name, pciCall)              \
  int32_t name(int32_t board, int32_t speedCode) { \
    const TraceTimer timer;                        \
    const int32_t result = pciCall(board, speedCode); \
    TRACE(timer, TRACE_F2, board, speedCode, result); \
    return result;                                 \
  }
// gated: the board's IO level must be on; blank: bytes traced with a blank before each.
#define QRV_BUS_TRANSFER(name, pciCall, dataType, gated, traceFormat, blank)                                    \
  int32_t name(int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, dataType data) {        \
    if (gated && !board::IoLevelOn(board)) return 0;                                                             \
    const TraceTimer timer;                                                                                      \
    const int32_t result = pciCall(board, slave, addrLen, reg, len, data);                                       \
    TRACE(timer, traceFormat, board, slave, addrLen, reg, len, DataBytes(data, len, blank).c_str(), result);    \
    return result;                                                                                               \
  }

QRV_BUS_RESET(VKL_I2C_ALL_Reset, PCI_I2C_ALL_Reset)
QRV_BUS_RESET(VKL_I2C_SYS_Reset, PCI_I2C_SYS_Reset)
QRV_BUS_RESET(VKL_I2C_MCU_Reset, PCI_I2C_MCU_Reset)
QRV_BUS_RESET(VKL_I2C_OS_Reset, PCI_I2C_OS_Reset)
QRV_BUS_RESET(VKL_I2C_ExRPT_Reset, PCI_I2C_OS_Reset)
QRV_BUS_CLOCK(VKL_I2C_SYS_Set_Clock, PCI_I2C_SYS_Set_Clock)
QRV_BUS_CLOCK(VKL_I2C_MCU_Set_Clock, PCI_I2C_MCU_Set_Clock)
QRV_BUS_CLOCK(VKL_I2C_OS_Set_Clock, PCI_I2C_OS_Set_Clock)

QRV_BUS_TRANSFER(VKL_I2C_SYS_Write, PCI_I2C_SYS_Write, const uint8_t*, true, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_SYS_Read, PCI_I2C_SYS_Read, uint8_t*, true, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_SYS_Read2, PCI_I2C_SYS_Read2, uint8_t*, true, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_MCU_Write, PCI_I2C_MCU_Write, const uint8_t*, false, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_MCU_Read, PCI_I2C_MCU_Read, uint8_t*, false, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_MCU_Read2, PCI_I2C_MCU_Read2, uint8_t*, false, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_OS_Write, PCI_I2C_OS_Write, const uint8_t*, false, TRACE_F7, false)
QRV_BUS_TRANSFER(VKL_I2C_OS_Read, PCI_I2C_OS_Read, uint8_t*, false, TRACE_F7, true)
QRV_BUS_TRANSFER(VKL_I2C_RPT_Write, PCI_I2C_RPT_Write, const uint8_t*, false, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_RPT_Read, PCI_I2C_RPT_Read, uint8_t*, false, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_ExRPT_Write, PCI_I2C_OS_Write, const uint8_t*, false, TRACE_F7, false)
QRV_BUS_TRANSFER(VKL_I2C_ExRPT_Read, PCI_I2C_OS_Read, uint8_t*, false, TRACE_F7, true)
QRV_BUS_TRANSFER(VKL_I2C_RxE2P_Write, PCI_I2C_RxE2P_Write, const uint8_t*, true, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_RxE2P_Read, PCI_I2C_RxE2P_Read, uint8_t*, true, TRACE_F6, false)
QRV_BUS_TRANSFER(VKL_I2C_VSync_Write, PCI_I2C_VSync_Write, uint8_t*, true, TRACE_F7, true)

int32_t VKL_I2C_ADC_Init(int32_t board, int32_t value) {
  TRACED_CALL(TRACE_F2, PCI_I2C_ADC_Init(board, value), board, value);
}

int32_t VKL_I2C_ADC_Write(int32_t board, uint8_t slave, int32_t len, const uint8_t* data) {
  TRACED_CALL(TRACE_F15, PCI_I2C_ADC_Write(board, slave, len, data), board, slave, len, DataBytes(data, len).c_str());
}

int32_t VKL_I2C_ADC_Read(int32_t board, uint8_t slave, int32_t len, uint8_t* out) {
  TRACED_CALL(TRACE_F15, PCI_I2C_ADC_Read(board, slave, len, out), board, slave, len, DataBytes(out, len).c_str());
}

int32_t VKL_BRAM_Write(int32_t board, int32_t len, const uint8_t* data) {
  if (!board::IoLevelOn(board)) return 0;
  const TraceTimer timer;
  const int32_t result = PCI_BRAM_Write(board, len, data);
  TRACE(timer, TRACE_F11, board, len, DataBytes(data, len).c_str(), result);
  return result;
}
