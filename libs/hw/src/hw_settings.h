#pragma once
// The model's sensor and board settings (Sensor.ini [SENSOR_SET], [QRV_HW], [SENSOR_TEST]), read as one
// value with every key's default.
#include <array>
#include <cstdint>

#include "record_ini.h"

namespace hw {

inline constexpr int kBoardCount = 4;
inline constexpr int kChannelCount = 8;
inline constexpr int kDpSiteCount = 4;

inline constexpr bool IsValidBoard(int board) { return board >= 0 && board < kBoardCount; }

struct HwSettings {
  // [SENSOR_SET]
  int inDrawType = 0;
  int outDrawType = 0;
  int cameraIndex = 0;
  int dataBit = 0;
  int outMode = 0;
  int i2cMode = 0;
  int mipiMode = 9;
  std::array<int, kDpSiteCount> dpLane{2, 2, 2, 2};
  std::array<float, kDpSiteCount> dpSpeed{1.0f, 1.0f, 1.0f, 1.0f};
  int i2cSpeed = 1;
  int resetLevel = 1;
  int enableLevel = 1;
  int slaveAddr = 0;
  std::uint16_t laneSelect = 0x0011;
  std::uint16_t laneFormat = 0x3210;
  int vsync = 0;
  int vclk = 0;
  int vsDelay = 0;
  int sizeOffset = 0;
  int bufferSizeX = 0;
  int bufferSizeY = 0;
  int timeOut = 300;
  int sizeX = 0, sizeY = 0;
  int rawX = 0, rawY = 0;
  int frameX = 0, frameY = 0;
  int fullX = 0, fullY = 0;
  // [QRV_HW]
  int usbId = 0;
  std::array<int, kChannelCount> powerOn{1, 1, 1, 1, 1, 1, 0, 0};
  std::array<int, kChannelCount> powerOff{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, kChannelCount> offsetOn{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int, kChannelCount> powerOrder{0, 1, 2, 3, 4, 5, 6, 7};
  float pgmFreq = 24.0f;
  int oscType = 1;
  int muxSel = 0;
  int pldoOn = 0;
  int ext5VOn = 0;
  std::array<float, kChannelCount> powerVolt{2.8f, 2.8f, 2.8f, 2.8f, 2.8f, 2.8f, 2.8f, 2.8f};
  float ioVolt = 2.8f;
  std::array<int, kChannelCount> powerDelay{};
  // [SENSOR_TEST]
  int crcDummyFrame = 4;
  int crcAvgFrame = 0;

  // Site 0..3 have their own DP values; any other site uses site 0's.
  int DpLane(int site) const { return dpLane[site >= 0 && site < kDpSiteCount ? site : 0]; }
  float DpSpeed(int site) const { return dpSpeed[site >= 0 && site < kDpSiteCount ? site : 0]; }

  bool operator==(const HwSettings&) const = default;
};

HwSettings ReadHwSettings(const RecordIni& sensorIni);

}  // namespace hw
