#include "UIManagerDlg.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "ControllerIni.h"
#include "ModelSettings.h"
#include "Util.h"
#include "port/text.h"
#include "util/CLocale.h"

namespace {

int FontFieldIndex(std::string_view field) {
  static constexpr std::array<std::string_view, 9> kFields = {"FontSize", "R(B)", "G(B)", "B(B)", "R",
                                                              "G",        "B",    "ITALIC", "BOADER"};
  const auto found = std::find(kFields.begin(), kFields.end(), field);
  return found == kFields.end() ? 0 : static_cast<int>(found - kFields.begin());
}

}  // namespace

std::string UIManagerDlg::GetControllerIniPath() {
  return ModelSettings::GetModelFolder() + "/Controller.ini";
}

int UIManagerDlg::ReadUserInterfaceValue(const char* key) {
  const std::string value = ReadIniString("USER_INTERFACE", key, "0", GetControllerIniPath());
  return util::ToInt(ExtractField(value, 0, '.').c_str());
}

std::string UIManagerDlg::ReadFontSetting(const char* section, const char* control, const char* field) {
  return ExtractField(ControllerIni::ReadFontText(section, control), FontFieldIndex(field ? field : ""), '.');
}

int UIManagerDlg::ReadWindowLevel() {
  return ReadIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", -1, GetControllerIniPath());
}
