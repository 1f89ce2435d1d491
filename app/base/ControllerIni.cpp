#include "ControllerIni.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "ModelSettings.h"
#include "Util.h"
#include "util/CLocale.h"

namespace {

int Field(const std::string& value, int index) { return util::ToInt(ExtractField(value, index, '.').c_str()); }

int FontFieldIndex(std::string_view field) {
  static constexpr std::array<std::string_view, 9> kFields = {"FontSize", "R(B)", "G(B)", "B(B)", "R",
                                                              "G",        "B",    "ITALIC", "BOADER"};
  const auto found = std::find(kFields.begin(), kFields.end(), field);
  return found == kFields.end() ? 0 : static_cast<int>(found - kFields.begin());
}

}  // namespace

FontSetting FontSetting::Parse(const std::string& value) {
  FontSetting font;
  font.size = Field(value, 0);
  font.backRed = Field(value, 1);
  font.backGreen = Field(value, 2);
  font.backBlue = Field(value, 3);
  font.red = Field(value, 4);
  font.green = Field(value, 5);
  font.blue = Field(value, 6);
  font.italic = Field(value, 7);
  font.border = Field(value, 8);
  return font;
}

QrvRect ControllerIni::ParseRect(const std::string& value) {
  return QrvRect{Field(value, 1), Field(value, 2), Field(value, 3), Field(value, 4)};
}

int ControllerIni::ParseShownFlag(const std::string& value) { return util::ToInt(value.c_str()); }

ControlPlacement ControllerIni::ParsePlacement(const std::string& value) {
  return ControlPlacement{ParseShownFlag(value) != 0 ? 1 : 0, ParseRect(value)};
}

QrvRect ControllerIni::ReadRect(const char* section, const char* key) {
  return ParseRect(ReadIniString(section, key, "0", GetPath()));
}

QrvRect ControllerIni::ReadControlRect(const char* key) { return ReadRect("USER_INTERFACE", key); }

ControlPlacement ControllerIni::ReadControlPlacement(const char* key) {
  return ParsePlacement(ReadIniString("USER_INTERFACE", key, "0", GetPath()));
}

void ControllerIni::WriteRect(const char* section, const char* key, const QrvRect& rect) {
  const std::string value = FormatCString("1.%d.%d.%d.%d", rect.left, rect.top, rect.right, rect.bottom);
  WriteIniString(section, key, value.c_str(), GetPath());
}

std::string ControllerIni::ReadFontText(const char* section, const char* label) {
  const std::string key = FormatCString("%s_FONT", label ? label : "");
  return ReadIniString(section, key.c_str(), "10", GetPath());
}

FontSetting ControllerIni::ReadFont(const char* section, const char* label) {
  return FontSetting::Parse(ReadFontText(section, label));
}

int ControllerIni::ReadControlCount() {
  return ReadIniInt("CONTROLLER", "Count", 0, GetPath());
}

std::string ControllerIni::ReadControlName(int index) {
  return ReadIniString("CONTROLLER", std::to_string(index).c_str(), "0", GetPath());
}

void ControllerIni::WriteWindowLevel(int level) {
  WriteIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", level, GetPath());
}

std::string ControllerIni::GetErrorListStandardPath() {
  return ModelSettings::GetModelFolder() + "Controller.ini";
}

int ControllerIni::ReadErrorListStandard() {
  return ReadIniInt("Error_List_Standard", "KEY", 0, GetErrorListStandardPath());
}

void ControllerIni::WriteErrorListStandard(int standard) {
  WriteIniInt("Error_List_Standard", "KEY", standard, GetErrorListStandardPath());
}

std::string ControllerIni::GetPath() { return ModelSettings::GetModelFolder() + "/Controller.ini"; }

int ControllerIni::ReadUserInterfaceValue(const char* key) {
  return Field(ReadIniString("USER_INTERFACE", key, "0", GetPath()), 0);
}

std::string ControllerIni::ReadFontSetting(const char* section, const char* control, const char* field) {
  return ExtractField(ReadFontText(section, control), FontFieldIndex(field ? field : ""), '.');
}

int ControllerIni::ReadWindowLevel() { return ReadIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", -1, GetPath()); }
