#include "ModuleSettings.h"

#include "QRV_PlatformMemory.h"
#include "port/text.h"

namespace module_item {
namespace {

constexpr char kSection[] = "MODULE_TEST";
constexpr char kHardwareSection[] = "QRV_HW";
constexpr char kSensorSection[] = "SENSOR_SET";

}  // namespace

ModuleSettings ReadModuleSettings(const CQRV_LoadMemory& record) {
  ModuleSettings s;
  const std::string file = record.GetSensorPath();
  const char* path = file.c_str();
  s.registerKey = record.IniRead_String(kSection, "RegisterKey", s.registerKey.c_str(), path);
  s.clockSelect = record.IniRead_Int(kHardwareSection, "HW_OSC_TYPE", s.clockSelect, path);
  s.bayerOrder = record.IniRead_Int(kSensorSection, "QRV_SENSOR_OUT_MODE", s.bayerOrder, path);
  s.frames = record.IniRead_Int(kSection, "FrameCount", s.frames, path);
  s.currentSamples = record.IniRead_Int(kSection, "CurrentSamples", s.currentSamples, path);
  for (int n = 0; n < kSupplies; ++n) {
    CurrentLimit& limit = s.currents[static_cast<std::size_t>(n)];
    limit.on = record.IniRead_Int(kHardwareSection, port::Format("HW_PowerPin%d_On", n + 1).c_str(), 0, path) == 1;
    limit.minMa = record.IniRead_Float(kSection, port::Format("Current%d_Min", n + 1).c_str(), 0.0f, path);
    limit.maxMa = record.IniRead_Float(kSection, port::Format("Current%d_Max", n + 1).c_str(), 1000.0f, path);
  }
  s.osPins = record.IniRead_Int(kSection, "OsPinCount", s.osPins, path);
  s.osSourceVolts = record.IniRead_Float(kSection, "OsSourceVolt", s.osSourceVolts, path);
  s.osOpenVolts = record.IniRead_Float(kSection, "OsOpenVolt", s.osOpenVolts, path);
  s.osShortVolts = record.IniRead_Float(kSection, "OsShortVolt", s.osShortVolts, path);
  const int boards = record.GetPara() > 0 ? static_cast<int>(record.GetPara()) : 1;
  for (int site = 0; site < kSites; ++site)
    s.siteBoard[static_cast<std::size_t>(site)] =
        record.IniRead_Int(kSection, port::Format("Site%c_Board", 'A' + site).c_str(), site % boards, path);
  if (record.IniRead_Int(kSection, "SaveViewImage", 0, path) == 1)
    s.viewImageFolder = record.GetRoot() + "/Image capture/" + record.GetModelName();
  return s;
}

}  // namespace module_item
