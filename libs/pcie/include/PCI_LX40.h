#pragma once
// PCI_LX40_x64.dll: the grabber boards' driver interface. Every export but PCI_OpenDevice and
// PCI_CloseDevice takes the board index (0 to 3) first. Results: 1 success, 0 failure, negative codes
// where an export names them. Slave arguments are 8-bit I2C addresses; only their low byte counts.
#include <cstdint>

#include "QRV_Types.h"

// Discovery and register access.
QRV_EXPORT int32_t PCI_OpenDevice();
QRV_EXPORT int32_t PCI_CloseDevice();
QRV_EXPORT int32_t PCI_LVDS_Init(int32_t board);
QRV_EXPORT int32_t PCI_LVDS_Close(int32_t board);
QRV_EXPORT int32_t PCI_SFP_Reset(int32_t board);

// Frame stream and DMA.
QRV_EXPORT int32_t PCI_LVDS_SetResolution(int32_t board, int32_t width, int32_t height);
QRV_EXPORT int32_t PCI_LVDS_GetResolution(int32_t board, int32_t* width, int32_t* height);
QRV_EXPORT int32_t PCI_LVDS_Start(int32_t board);
QRV_EXPORT int32_t PCI_LVDS_Stop(int32_t board);
QRV_EXPORT int32_t PCI_LVDS_Trigger(int32_t board, int32_t size, void* buffer);
QRV_EXPORT int32_t PCI_LVDS_GetFrame(int32_t board, const int32_t* size, void* buffer);

// Register I2C buses: (board, slave, address length, register, data length, data).
QRV_EXPORT int32_t PCI_I2C_SYS_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_SYS_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_SYS_Read2(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_MCU_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_MCU_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_MCU_Read2(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_RPT_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_RPT_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_OS_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_OS_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_SFP_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_SFP_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_Rx_I2C_SFP_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_Rx_I2C_SFP_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_RxE2P_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_RxE2P_Read(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out);
// On success the reply bytes replace data.
QRV_EXPORT int32_t PCI_I2C_VSync_Write(int32_t board, uint32_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* data);

// Bus resets and clocks.
QRV_EXPORT int32_t PCI_I2C_ALL_Reset(int32_t board);
QRV_EXPORT int32_t PCI_I2C_SYS_Reset(int32_t board);
QRV_EXPORT int32_t PCI_I2C_SYS_Set_Clock(int32_t board, int32_t speedCode);
QRV_EXPORT int32_t PCI_OIS_SetClock(int32_t board, int32_t speedCode);
QRV_EXPORT int32_t PCI_I2C_MCU_Reset(int32_t board);
QRV_EXPORT int32_t PCI_I2C_MCU_Set_Clock(int32_t board, int32_t speedCode);
QRV_EXPORT int32_t PCI_I2C_RPT_Reset(int32_t board);
QRV_EXPORT int32_t PCI_I2C_OS_Reset(int32_t board);
QRV_EXPORT int32_t PCI_I2C_OS_Set_Clock(int32_t board, int32_t speedCode);
QRV_EXPORT int32_t PCI_I2C_SFP_Reset(int32_t board);

// Device I2C and converters: (board, slave, data length, data), no register address.
QRV_EXPORT int32_t PCI_I2C_PLL_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_PLL_Select(int32_t board, int32_t source);
QRV_EXPORT int32_t PCI_CLK_Off(int32_t board);
QRV_EXPORT int32_t PCI_I2C_DAC_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_ADC_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_ADC_Read(int32_t board, uint32_t slave, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_ADC_Init(int32_t board, int32_t value);
QRV_EXPORT int32_t PCI_I2C_PWR_Write(int32_t board, uint32_t slave, int32_t len, const uint8_t* data);
QRV_EXPORT int32_t PCI_I2C_PWR_Read(int32_t board, uint32_t slave, int32_t len, uint8_t* out);
QRV_EXPORT int32_t PCI_I2C_PWR_Init(int32_t board, int32_t value);

// Digital I/O banks (direction bit 1 = input).
QRV_EXPORT int32_t PCI_DIO_SetDirection(int32_t board, int32_t bank, uint32_t mask);
QRV_EXPORT int32_t PCI_DIO_GetDirection(int32_t board, int32_t bank, uint32_t* mask);
QRV_EXPORT int32_t PCI_DIO_Write(int32_t board, int32_t bank, uint32_t value);
QRV_EXPORT int32_t PCI_DIO_Read(int32_t board, int32_t bank, uint32_t* value);
QRV_EXPORT int32_t PCI_DIO_GetWrite(int32_t board, int32_t bank, uint32_t* value);

// Temperatures, fans, resets, firmware dates, block RAM.
QRV_EXPORT int32_t PCI_GetTemp(int32_t board, uint32_t* a, uint32_t* b);
QRV_EXPORT int32_t PCI_Rx_GetTemp(int32_t board, uint32_t* a, uint32_t* b);
QRV_EXPORT int32_t PCI_FAN_Enable(int32_t board, int32_t on);
QRV_EXPORT int32_t PCI_FAN_SetSpeed(int32_t board, int32_t speed);
QRV_EXPORT int32_t PCI_FAN_SetFreq(int32_t board, int32_t frequency);
QRV_EXPORT int32_t PCI_TxBoardReset(int32_t board);
QRV_EXPORT int32_t PCI_FPGA_Reset(int32_t board);
QRV_EXPORT int32_t PCI_SFP_Reset2(int32_t board);
QRV_EXPORT int32_t PCI_FW_GetDate(int32_t board, uint32_t* rxDate, uint32_t* txDate);
QRV_EXPORT int32_t PCI_BRAM_Write(int32_t board, int32_t len, const uint8_t* data);

// DisplayPort receiver.
QRV_EXPORT int32_t PCI_DP_Init(int32_t board, int32_t rateCode, int32_t lanes, int32_t bits, uint16_t laneFormat);
QRV_EXPORT int32_t PCI_DP_LinkDone(int32_t board, uint16_t laneSelect);
QRV_EXPORT int32_t PCI_DP_FrameInfo(int32_t board, uint16_t value);

// SPI configuration flash (rxSide non-zero: the receiver board's) and link eye scan.
QRV_EXPORT int32_t PCI_Flash_SpiInit(int32_t board, int32_t rxSide);
QRV_EXPORT int32_t PCI_Flash_SpiClose(int32_t board);
QRV_EXPORT int32_t PCI_Flash_SpiErase(int32_t board, int32_t rxSide);
QRV_EXPORT int32_t PCI_Flash_SpiWriteAll(int32_t board, int32_t size, const void* image, int32_t rxSide);
QRV_EXPORT int32_t PCI_Flash_SpiReadAll(int32_t board, int32_t size, void* out, int32_t rxSide);
QRV_EXPORT int32_t PCI_EyeScan_Init(int32_t board, int32_t lane);
// table: 0xFE00 bytes (254 rows of 64 float cells); horizontal and vertical: the eye's width and height.
QRV_EXPORT int32_t PCI_EyeScan_GetData(int32_t board, int32_t lane, void* table, float* horizontal, float* vertical);

// OIS sequencer. Counts and the byte argument travel as one byte (0 to 255); packet and reply hold at
// most 65535 bytes each.
QRV_EXPORT int32_t PCI_OIS_Reset(int32_t board);
QRV_EXPORT int32_t PCI_OIS_SetDelay(int32_t board, int32_t delayA, int32_t delayB);
QRV_EXPORT int32_t PCI_OIS_SetStepDelay(int32_t board, int32_t stepDelay);
QRV_EXPORT int32_t PCI_OIS_GetData(int32_t board, uint32_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                                   int32_t count, void* out);
QRV_EXPORT int32_t PCI_OIS_GetData_Ex(int32_t board, uint32_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                                      int32_t count, void* out, int32_t repeat);
QRV_EXPORT int32_t PCI_OIS_GetData_Ex2(int32_t board, uint32_t slaveA, int32_t cmdLen, const uint8_t* cmd, int32_t size,
                                       int32_t countA, void* outA, uint32_t slaveB, int32_t countB, void* outB,
                                       int32_t repeat);
QRV_EXPORT int32_t PCI_OIS_I2C_Function(int32_t board, uint32_t slave1, uint32_t slave2, uint32_t slave3, int32_t lenA,
                                        const uint8_t* dataA, int32_t lenB, const uint8_t* dataB, int32_t countA,
                                        void* outA, int32_t arg11, int32_t arg12, int32_t countB, void* outB,
                                        int32_t size, int32_t repeat, int32_t timeoutMs);
