#include "ControllerIni.h"

#include "ModelSettings.h"
#include "UIManagerDlg.h"
#include "Util.h"
#include "util/CLocale.h"

namespace {

int Field(const std::string& value, int index) { return util::ToInt(ExtractField(value, index, '.').c_str()); }

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
  return ParseRect(ReadIniString(section, key, "0", UIManagerDlg::GetControllerIniPath()));
}

QrvRect ControllerIni::ReadControlRect(const char* key) { return ReadRect("USER_INTERFACE", key); }

ControlPlacement ControllerIni::ReadControlPlacement(const char* key) {
  return ParsePlacement(ReadIniString("USER_INTERFACE", key, "0", UIManagerDlg::GetControllerIniPath()));
}

void ControllerIni::WriteRect(const char* section, const char* key, const QrvRect& rect) {
  const std::string value = FormatCString("1.%d.%d.%d.%d", rect.left, rect.top, rect.right, rect.bottom);
  WriteIniString(section, key, value.c_str(), UIManagerDlg::GetControllerIniPath());
}

std::string ControllerIni::ReadFontText(const char* section, const char* label) {
  const std::string key = FormatCString("%s_FONT", label ? label : "");
  return ReadIniString(section, key.c_str(), "10", UIManagerDlg::GetControllerIniPath());
}

FontSetting ControllerIni::ReadFont(const char* section, const char* label) {
  return FontSetting::Parse(ReadFontText(section, label));
}

int ControllerIni::ReadControlCount() {
  return ReadIniInt("CONTROLLER", "Count", 0, UIManagerDlg::GetControllerIniPath());
}

std::string ControllerIni::ReadControlName(int index) {
  return ReadIniString("CONTROLLER", std::to_string(index).c_str(), "0", UIManagerDlg::GetControllerIniPath());
}

void ControllerIni::WriteWindowLevel(int level) {
  WriteIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", level, UIManagerDlg::GetControllerIniPath());
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
