#include "hw_settings.h"

#include <string>

namespace hw {
namespace {

constexpr const char* kSensorSet = "SENSOR_SET";
constexpr const char* kQrvHw = "QRV_HW";

void ReadSensorSet(const RecordIni& ini, HwSettings& s) {
  s.inDrawType = ini.Int(kSensorSet, "QRV_SENSOR_IN_DRAW_TYPE", 0);
  s.outDrawType = ini.Int(kSensorSet, "QRV_SENSOR_OUT_DRAW_TYPE", 0);
  s.cameraIndex = ini.Int(kSensorSet, "QRV_SENSOR_CEMERA_INDEX", 0);
  s.dataBit = ini.Int(kSensorSet, "QRV_SENSOR_DATA_BIT", 0);
  s.outMode = ini.Int(kSensorSet, "QRV_SENSOR_OUT_MODE", 0);
  s.i2cMode = ini.Int(kSensorSet, "QRV_SENSOR_I2CMODE", 0);
  s.mipiMode = ini.Int(kSensorSet, "QRV_SENSOR_MIPIMODE", 9);
  s.dpLane[0] = ini.Int(kSensorSet, "QRV_SENSOR_DPLANE", 2);
  s.dpSpeed[0] = ini.Float(kSensorSet, "QRV_SENSOR_DPSPEED", 1.0f);
  for (int site = 1; site < kDpSiteCount; ++site) {
    const std::string lane = "QRV_SENSOR_DPLANE" + std::to_string(site + 1);
    const std::string speed = "QRV_SENSOR_DPSPEED" + std::to_string(site + 1);
    s.dpLane[site] = ini.Int(kSensorSet, lane.c_str(), s.dpLane[0]);
    s.dpSpeed[site] = ini.Float(kSensorSet, speed.c_str(), s.dpSpeed[0]);
  }
  s.i2cSpeed = ini.Int(kSensorSet, "QRV_SENSOR_I2CSPEED", 1);
  s.resetLevel = ini.Int(kSensorSet, "QRV_SENSOR_RESET", 1);
  s.enableLevel = ini.Int(kSensorSet, "QRV_SENSOR_ENB", 1);
  s.slaveAddr = ini.Hex(kSensorSet, "QRV_SENSOR_SLAVEADDR", "0x00");
  s.laneSelect = static_cast<std::uint16_t>(ini.Hex(kSensorSet, "QRV_SENSOR_LANE_SELECT", "0011"));
  s.laneFormat = static_cast<std::uint16_t>(ini.Hex(kSensorSet, "QRV_SENSOR_LANE_FORMAT", "3210"));
  s.vsync = ini.Int(kSensorSet, "QRV_SENSOR_VSYNC", 0);
  s.vclk = ini.Int(kSensorSet, "QRV_SENSOR_VCLK", 0);
  s.vsDelay = ini.Int(kSensorSet, "VS_DELAY", 0);
  s.sizeOffset = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_OFFSET", 0);
  s.bufferSizeX = ini.Int(kSensorSet, "QRV_SENSOR_BUFFER_SIZE_X", 0);
  s.bufferSizeY = ini.Int(kSensorSet, "QRV_SENSOR_BUFFER_SIZE_Y", 0);
  s.timeOut = ini.Int(kSensorSet, "QRV_SENSOR_TIME_OUT", 300);
  s.sizeX = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_X", 0);
  s.sizeY = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_Y", 0);
  s.rawX = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_RAW_X", 0);
  s.rawY = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_RAW_Y", 0);
  s.frameX = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_FRAME_X", 0);
  s.frameY = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_FRAME_Y", 0);
  s.fullX = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_FULL_X", 0);
  s.fullY = ini.Int(kSensorSet, "QRV_SENSOR_SIZE_FULL_Y", 0);
}

void ReadQrvHw(const RecordIni& ini, HwSettings& s) {
  s.usbId = ini.Int(kQrvHw, "HW_USB_ID", 0);
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string n = std::to_string(c + 1);
    s.powerOn[c] = ini.Int(kQrvHw, ("HW_PowerPin" + n + "_On").c_str(), c < 6 ? 1 : 0);
    s.powerOff[c] = ini.Int(kQrvHw, ("HW_PowerPin" + n + "_Off").c_str(), 1);
    s.offsetOn[c] = ini.Int(kQrvHw, ("HW_Offset" + n + "_On").c_str(), 1);
    s.powerOrder[c] = ini.Int(kQrvHw, ("HW_PowerOrder" + n).c_str(), c);
    s.powerVolt[c] = ini.Float(kQrvHw, ("HW_PowerPin" + n + "_Volt").c_str(), 2.8f);
    s.powerDelay[c] = ini.Int(kQrvHw, ("HW_PowerDelay" + n).c_str(), 0);
  }
  s.pgmFreq = ini.Float(kQrvHw, "HW_PGMFREQ", 24.0f);
  s.oscType = ini.Int(kQrvHw, "HW_OSC_TYPE", 1);
  s.muxSel = ini.Hex(kQrvHw, "HW_Mux_Sel", "0x00");
  s.pldoOn = ini.Int(kQrvHw, "HW_PowerPin_PLDO_On", 0);
  s.ext5VOn = ini.Int(kQrvHw, "HW_PowerPin_Ext5V_On", 0);
  s.ioVolt = ini.Float(kQrvHw, "HW_PowerPinIO_Volt", 2.8f);
}

}  // namespace

HwSettings ReadHwSettings(const RecordIni& sensorIni) {
  HwSettings s;
  ReadSensorSet(sensorIni, s);
  ReadQrvHw(sensorIni, s);
  s.crcDummyFrame = sensorIni.Int("SENSOR_TEST", "CRC_DUMMYFRAME", 4);
  s.crcAvgFrame = sensorIni.Int("SENSOR_TEST", "CRC_AVGFRAME", 0);
  return s;
}

}  // namespace hw
