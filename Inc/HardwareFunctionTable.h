#pragma once
// The hardware library's table handed to the main program and every test item: its own module handle,
// then 35 of its exports in a fixed order. Items call through the slots by position, so the order below
// is an interface and never changes; the slots are generated from this one list.
#include <cstddef>
#include <cstdint>
#include <string>

#include "QRV_Types.h"

struct EncapsulationTable;

// X(name, result, parameters), in slot order 1..35.
#define QRV_HARDWARE_FUNCTIONS(X)                                                                          \
  X(GetPCI, EncapsulationTable*, ())                                                                       \
  X(PowerUpSequence, int, (int board, int site, int clockSelect))                                          \
  X(PowerDownSequence, int, (int board, int site))                                                         \
  X(RegisterSet, int, (int board, int site, std::string key))                                              \
  X(RegisterSet_RPT, int, (int board, int site, std::string key))                                          \
  X(Startverify, int, (int board, int site, int unused, int laneSelect, int width, int height,             \
                       int showInDialog))                                                                  \
  X(GetImageSize, int, (int dataBits, int width, int height))                                              \
  X(GetImage, int, (int board, unsigned char* buffer, int size))                                           \
  X(GetCRCImageSize, int, (int crcType, int width, int height))                                            \
  X(GetCRCImage, int, (int board, int site, unsigned char* image, unsigned char* grab, int grabSize,       \
                       int width, int lines, int crcType, int dummyFrames, int averageFrames,              \
                       int* crcFail, int* secondFlag, int siteLog))                                        \
  X(GetImageWidth, int, ())                                                                                \
  X(GetImageHeight, int, ())                                                                               \
  X(GetImageWidthRaw, int, ())                                                                             \
  X(GetImageHeightRaw, int, ())                                                                            \
  X(GetImageWidthFrame, int, ())                                                                           \
  X(GetImageHeightFrame, int, ())                                                                          \
  X(GetImageWidthFull, int, ())                                                                            \
  X(GetImageHeightFull, int, ())                                                                           \
  X(GetSizeOffset, int, ())                                                                                \
  X(GetDataFormat, int, ())                                                                                \
  X(GetMipiType, int, ())                                                                                  \
  X(GetDpLane, int, (int site))                                                                            \
  X(GetDpSpeed, float, (int site))                                                                         \
  X(GetRgbMode, int, ())                                                                                   \
  X(GetOscType, int, ())                                                                                   \
  X(GetSlaveAddr, std::uint16_t, (int board))                                                              \
  X(GetLANESELECT, std::uint16_t, ())                                                                      \
  X(GetLANEFORMAT, std::uint16_t, ())                                                                      \
  X(IIC_Write, int, (int board, int address, int data))                                                    \
  X(IIC_WriteEx, int, (int board, int slaveAddress, int address, int data, int mode))                      \
  X(IIC_Read, int, (int board, int address, int* value))                                                   \
  X(IIC_ReadEx, int, (int board, int slaveAddress, int address, int mode, int* value))                     \
  X(SetCRC_Mode, void, ())                                                                                 \
  X(GetCRC_Mode, int, ())                                                                                  \
  X(PowerUpSequence_DPSpeed, int, (int board, int site, int clockSelect, float dpSpeed, int dpLanes,       \
                                   int dataBits, std::uint16_t laneFormat))

namespace hwtable {
#define QRV_HARDWARE_TYPEDEF(name, result, params) using name##_Fn = result(*) params;
QRV_HARDWARE_FUNCTIONS(QRV_HARDWARE_TYPEDEF)
#undef QRV_HARDWARE_TYPEDEF
}  // namespace hwtable

struct HardwareFunctionTable {
  ModuleHandle m_hModule;
#define QRV_HARDWARE_SLOT(name, result, params) hwtable::name##_Fn name;
  QRV_HARDWARE_FUNCTIONS(QRV_HARDWARE_SLOT)
#undef QRV_HARDWARE_SLOT
};

inline constexpr int kHardwareFunctionCount = 35;
static_assert(sizeof(HardwareFunctionTable) == (kHardwareFunctionCount + 1) * sizeof(void*));
static_assert(offsetof(HardwareFunctionTable, GetPCI) == 1 * sizeof(void*));
static_assert(offsetof(HardwareFunctionTable, GetCRCImage) == 10 * sizeof(void*));
static_assert(offsetof(HardwareFunctionTable, GetLANEFORMAT) == 28 * sizeof(void*));
static_assert(offsetof(HardwareFunctionTable, PowerUpSequence_DPSpeed) == 35 * sizeof(void*));
