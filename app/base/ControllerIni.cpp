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
  font.size = std::clamp(Field(value, 0), -ControllerIni::kMaxFontSize, ControllerIni::kMaxFontSize);
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
  return BoundRect(QrvRect{Field(value, 1), Field(value, 2), Field(value, 3), Field(value, 4)});
}

QrvRect ControllerIni::BoundRect(const QrvRect& rect) {
  const auto bound = [](int coordinate) { return std::clamp(coordinate, -kMaxCoordinate, kMaxCoordinate); };
  return QrvRect{bound(rect.left), bound(rect.top), bound(rect.right), bound(rect.bottom)};
}

int ControllerIni::ParseShownFlag(const std::string& value) { return util::ToInt(value.c_str()); }

ControlPlacement ControllerIni::ParsePlacement(const std::string& value) {
  return ControlPlacement{ParseShownFlag(value) != 0 ? 1 : 0, ParseRect(value)};
}

QrvRect ControllerIni::ReadRect(const char* section, const char* key) {
  return ParseRect(ReadIniString(section, key, "0", GetControllerIniPath()));
}

QrvRect ControllerIni::ReadControlRect(const char* key) { return ReadRect("USER_INTERFACE", key); }

ControlPlacement ControllerIni::ReadControlPlacement(const char* key) {
  return ParsePlacement(ReadIniString("USER_INTERFACE", key, "0", GetControllerIniPath()));
}

void ControllerIni::WriteRect(const char* section, const char* key, const QrvRect& rect) {
  const std::string value = FormatCString("1.%d.%d.%d.%d", rect.left, rect.top, rect.right, rect.bottom);
  WriteIniString(section, key, value.c_str(), GetControllerIniPath());
}

std::string ControllerIni::ReadFontText(const char* section, const char* label) {
  const std::string key = FormatCString("%s_FONT", label ? label : "");
  return ReadIniString(section, key.c_str(), "10", GetControllerIniPath());
}

FontSetting ControllerIni::ReadFont(const char* section, const char* label) {
  return FontSetting::Parse(ReadFontText(section, label));
}

int ControllerIni::ReadControlCount() {
  return ReadIniCount("CONTROLLER", "Count", 0, kMaxControls, GetControllerIniPath());
}

std::string ControllerIni::ReadControlName(int index) {
  return ReadIniString("CONTROLLER", std::to_string(index).c_str(), "0", GetControllerIniPath());
}

const std::array<DefaultFont, 32>& ControllerIni::DefaultFonts() {
  constexpr std::uint32_t kAverageBlue = 0xE69623;  // 35, 150, 230
  static const std::array<DefaultFont, 32> kFonts = {{
      {"ERROR_MSG", 19, 0x000000, 0x0000FF, 0, 0},
      {"INFORMATION_MSG", 15, 0x61E6F2, 0xD94180, 1, 1},
      {"USER_MSG", 15, 0x3CC99F, 0x000000, 0, 1},
      {"FIRMWARE_VERSION", 15, 0xFFD800, 0x000000, 1, 1},
      {"ITEM_VERSION", 15, 0x6196F2, 0xFF0000, 1, 1},
      {"AVERAGE_DLL_A", 20, 0, kAverageBlue, 0, 0},      {"AVERAGE_DLL_B", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_DLL_C", 20, 0, kAverageBlue, 0, 0},      {"AVERAGE_DLL_D", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_DLL_E", 20, 0, kAverageBlue, 0, 0},      {"AVERAGE_DLL_F", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_DLL_G", 20, 0, kAverageBlue, 0, 0},      {"AVERAGE_DLL_H", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_THREAD_A", 20, 0, kAverageBlue, 0, 0},   {"AVERAGE_THREAD_B", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_THREAD_C", 20, 0, kAverageBlue, 0, 0},   {"AVERAGE_THREAD_D", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_THREAD_E", 20, 0, kAverageBlue, 0, 0},   {"AVERAGE_THREAD_F", 20, 0, kAverageBlue, 0, 0},
      {"AVERAGE_THREAD_G", 20, 0, kAverageBlue, 0, 0},   {"AVERAGE_THREAD_H", 20, 0, kAverageBlue, 0, 0},
      {"TIME_COUNTER_A", 20, 0, kAverageBlue, 0, 0},     {"TIME_COUNTER_B", 20, 0, kAverageBlue, 0, 0},
      {"TIME_COUNTER_C", 20, 0, kAverageBlue, 0, 0},     {"TIME_COUNTER_D", 20, 0, kAverageBlue, 0, 0},
      {"TIME_COUNTER_E", 20, 0, kAverageBlue, 0, 0},     {"TIME_COUNTER_F", 20, 0, kAverageBlue, 0, 0},
      {"TIME_COUNTER_G", 20, 0, kAverageBlue, 0, 0},     {"TIME_COUNTER_H", 20, 0, kAverageBlue, 0, 0},
      {"SITE_DRAW", 50, 0, kAverageBlue, 0, 0},
      {"RESULT_MSG", 100, 0, 0, 0, 0},
      {"RESULT_DESC_MSG", 100, 0, 0, 0, 0},
  }};
  return kFonts;
}

const std::array<const char*, 15>& ControllerIni::SiteDrawAlignments() {
  static const std::array<const char*, 15> kNames = {
      "DT_TOP",         " DT_LEFT",     " DT_CENTER",   " DT_RIGHT",   " DT_VCENTER",
      " DT_BOTTOM",     " DT_WORDBREAK", " DT_SINGLELINE", " DT_EXPANDTABS", " DT_TABSTOP",
      " DT_NOCLIP",     " DT_EXTERNALLEADING", " DT_CALCRECT", " DT_NOPREFIX", " DT_INTERNAL"};
  return kNames;
}

std::string ControllerIni::WriteDefaultFont(const char* label, int size, std::uint32_t back, std::uint32_t text,
                                            int italic, int border) {
  const auto byte = [](std::uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); };
  const std::string fallback =
      FormatCString("%d.%d.%d.%d.%d.%d.%d.%d.%d", size, byte(back, 0), byte(back, 8), byte(back, 16),
                    byte(text, 0), byte(text, 8), byte(text, 16), italic, border);
  const std::string key = FormatCString("%s_FONT", label);
  const std::string value = ReadIniString("USER_INIT", key.c_str(), fallback.c_str(), GetControllerIniPath());
  WriteIniString("USER_INIT", key.c_str(), value.c_str(), GetControllerIniPath());
  return value;
}

QrvRect ControllerIni::DockedPanelRect(const QrvRect& main, const QrvRect& sub) {
  const int left = main.right + sub.left;
  const int top = main.top + sub.top;
  return QrvRect{left, top, left + (sub.right - sub.left), top + (main.bottom - main.top) + sub.bottom};
}

void ControllerIni::WriteWindowLevel(int level) {
  WriteIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", level, GetControllerIniPath());
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

std::string ControllerIni::GetControllerIniPath() { return ModelSettings::GetModelFolder() + "/Controller.ini"; }

int ControllerIni::ReadUserInterfaceValue(const char* key) {
  return Field(ReadIniString("USER_INTERFACE", key, "0", GetControllerIniPath()), 0);
}

std::string ControllerIni::ReadFontSetting(const char* section, const char* control, const char* field) {
  return ExtractField(ReadFontText(section, control), FontFieldIndex(field ? field : ""), '.');
}

int ControllerIni::ReadWindowLevel() { return ReadIniInt("USER_INTERFACE_WINDOW_LEV", "LEV", -1, GetControllerIniPath()); }
