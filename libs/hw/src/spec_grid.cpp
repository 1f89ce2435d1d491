#include "spec_grid.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "port/text.h"

namespace hw {
namespace {

constexpr const char* kSensorSet = "SENSOR_SET";
constexpr const char* kQrvHw = "QRV_HW";

// "%f" in the C locale, whatever locale the program runs in.
std::string FloatText(float value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6).ptr;
  return std::string(text, end);
}

class RowBuilder {
 public:
  void Add(const char* section, const std::string& key, std::string value) {
    rows_.push_back({section, key, std::move(value)});
  }
  void Int(const char* section, const std::string& key, int value) { Add(section, key, std::to_string(value)); }
  void Float(const char* section, const std::string& key, float value) { Add(section, key, FloatText(value)); }
  void Hex(const char* section, const std::string& key, int value) { Add(section, key, port::Format("%x", value)); }
  void Gap() { rows_.push_back({}); }
  // One key per channel, "<prefix><1..8><suffix>".
  template <typename T>
  void Channels(const char* prefix, const char* suffix, const std::array<T, kChannelCount>& values) {
    for (int c = 0; c < kChannelCount; ++c) {
      const std::string key = prefix + std::to_string(c + 1) + suffix;
      if constexpr (std::is_same_v<T, float>) {
        Float(kQrvHw, key, values[c]);
      } else {
        Int(kQrvHw, key, values[c]);
      }
    }
    Gap();
  }
  std::vector<SpecRow> Take() { return std::move(rows_); }

 private:
  std::vector<SpecRow> rows_;
};

void AddSensorRows(RowBuilder& b, const HwSettings& s, int i2cMode) {
  b.Int(kSensorSet, "QRV_SENSOR_DATA_BIT", s.dataBit);
  b.Int(kSensorSet, "QRV_SENSOR_OUT_MODE", s.outMode);
  b.Int(kSensorSet, "QRV_SENSOR_I2CMODE", i2cMode);
  b.Int(kSensorSet, "QRV_SENSOR_MIPIMODE", s.mipiMode);
  b.Int(kSensorSet, "QRV_SENSOR_DPLANE", s.dpLane[0]);
  b.Float(kSensorSet, "QRV_SENSOR_DPSPEED", s.dpSpeed[0]);
  b.Int(kSensorSet, "QRV_SENSOR_I2CSPEED", s.i2cSpeed);
  b.Int(kSensorSet, "QRV_SENSOR_RESET", s.resetLevel);
  b.Int(kSensorSet, "QRV_SENSOR_ENB", s.enableLevel);
  b.Int(kSensorSet, "QRV_SENSOR_SLAVEADDR", s.slaveAddr);
  b.Int(kSensorSet, "QRV_SENSOR_VSYNC", s.vsync);
  b.Int(kSensorSet, "QRV_SENSOR_VCLK", s.vclk);
  b.Int(kSensorSet, "VS_DELAY", s.vsDelay);
  b.Hex(kSensorSet, "QRV_SENSOR_LANE_SELECT", s.laneSelect);
  b.Hex(kSensorSet, "QRV_SENSOR_LANE_FORMAT", s.laneFormat);
  b.Gap();
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_OFFSET", s.sizeOffset);
  b.Int(kSensorSet, "QRV_SENSOR_BUFFER_SIZE_X", s.bufferSizeX);
  b.Int(kSensorSet, "QRV_SENSOR_BUFFER_SIZE_Y", s.bufferSizeY);
  b.Int(kSensorSet, "QRV_SENSOR_TIME_OUT", s.timeOut);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_X", s.sizeX);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_Y", s.sizeY);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_RAW_X", s.rawX);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_RAW_Y", s.rawY);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_FRAME_X", s.frameX);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_FRAME_Y", s.frameY);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_FULL_X", s.fullX);
  b.Int(kSensorSet, "QRV_SENSOR_SIZE_FULL_Y", s.fullY);
  b.Gap();
}

void AddBoardRows(RowBuilder& b, const HwSettings& s) {
  b.Channels("HW_PowerPin", "_On", s.powerOn);
  b.Channels("HW_PowerPin", "_Off", s.powerOff);
  b.Channels("HW_Offset", "_On", s.offsetOn);
  b.Channels("HW_PowerOrder", "", s.powerOrder);
  b.Float(kQrvHw, "HW_PGMFREQ", s.pgmFreq);
  b.Int(kQrvHw, "HW_OSC_TYPE", s.oscType);
  b.Int(kQrvHw, "HW_Mux_Sel", s.muxSel);
  b.Int(kQrvHw, "HW_PowerPin_PLDO_On", s.pldoOn);
  b.Int(kQrvHw, "HW_PowerPin_Ext5V_On", s.ext5VOn);
  b.Gap();
  for (int c = 0; c < kChannelCount; ++c) b.Float(kQrvHw, "HW_PowerPin" + std::to_string(c + 1) + "_Volt", s.powerVolt[c]);
  b.Float(kQrvHw, "HW_PowerPinIO_Volt", s.ioVolt);
  b.Gap();
  b.Channels("HW_PowerDelay", "", s.powerDelay);
}

}  // namespace

std::vector<SpecRow> BuildSpecRows(const HwSettings& settings, int i2cMode, bool showUsbId) {
  RowBuilder b;
  if (showUsbId) {
    b.Int(kQrvHw, "HW_USB_ID", settings.usbId);
    b.Gap();
  }
  AddSensorRows(b, settings, i2cMode);
  AddBoardRows(b, settings);
  b.Int("SENSOR_TEST", "CRC_DUMMYFRAME", settings.crcDummyFrame);
  b.Int("SENSOR_TEST", "CRC_AVGFRAME", settings.crcAvgFrame);
  return b.Take();
}

bool IsFreeTextKey(const std::string& key) {
  static constexpr std::string_view kFree[] = {
      "PBA_ON_SHELL", "PBA_GPIO_INDEX", "PBA_DEVICES_ATTACHED", "HW_PowerPin1_Volt", "HW_PowerPin2_Volt",
      "HW_PowerPin3_Volt", "HW_PowerPin4_Volt", "HW_PowerPin35_Volt", "HW_PowerPin36_Volt", "HW_PowerPinIO_Volt",
      "HW_PGMFREQ", "HW_MCUPowerPin1_Volt", "HW_MCUPowerPin2_Volt", "HW_MCUPowerPin3_Volt", "HW_MCUPowerPin4_Volt",
      "DEVICES_0", "DEVICES_1", "DEVICES_2", "DEVICES_3"};
  for (const std::string_view free : kFree) {
    if (key == free) return true;
  }
  return false;
}

bool SaveSpecRows(const RecordIni& ini, const std::vector<SpecRow>& rows) {
  bool ok = true;
  for (const SpecRow& row : rows) {
    if (row.section.empty()) continue;
    std::string value = row.value;
    if (row.key == "QRV_SENSOR_SLAVEADDR" || row.key == "HW_Mux_Sel") {
      value = port::Format("0x%x", std::atoi(row.value.c_str()));
    }
    ok &= ini.WriteString(row.section.c_str(), row.key.c_str(), value.c_str());
  }
  return ok;
}

}  // namespace hw
