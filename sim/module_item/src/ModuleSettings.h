#pragma once
// What the item reads from the model's Sensor.ini: the supplies the power-up turns on, the Bayer order, and
// its own section [MODULE_TEST]: register key, frames, current limits, open/short pins and thresholds, and
// the board each site's module sits on, and whether the site's view is kept as a picture.
#include <array>
#include <string>

class CQRV_LoadMemory;

namespace module_item {

inline constexpr int kSupplies = 8;
inline constexpr int kSites = 8;

struct CurrentLimit {
  bool on = false;  // HW_PowerPin<n>_On: only supplies the power-up turns on are measured
  float minMa = 0;
  float maxMa = 0;
};

struct ModuleSettings {
  std::string registerKey = "[REGISTER]";
  int clockSelect = 1;
  int bayerOrder = 1;
  int frames = 2;
  int currentSamples = 3;
  std::array<CurrentLimit, kSupplies> currents{};
  int osPins = 8;
  float osSourceVolts = 1.0f;
  float osOpenVolts = 0.9f;   // at or above: the pin lets the source through
  float osShortVolts = 0.1f;  // at or below: the pin holds the source at ground
  std::array<int, kSites> siteBoard{};
  // The folder the site's view is saved in after each module, as Site_<letter>.jpg; empty: not saved.
  std::string viewImageFolder;
};

// Reads the settings of the record's current model; missing keys keep the defaults above, and a site
// without a board key takes board site % PARA.
ModuleSettings ReadModuleSettings(const CQRV_LoadMemory& record);

}  // namespace module_item
