#pragma once
// The screen-layout editor's readers of the model's Controller.ini. They use no state of an editor,
// so every part of the station calls them without one.
#include <string>

class UIManagerDlg {
 public:
  // "Ref/<model>/Controller.ini", relative to the program folder.
  static std::string GetControllerIniPath();
  // The shown flag (first '.'-field) of [USER_INTERFACE] <key>, 0 when missing.
  static int ReadUserInterfaceValue(const char* key);
  // One field of <control>_FONT in the section: "FontSize" 0, "R(B)" 1, "G(B)" 2, "B(B)" 3, "R" 4, "G" 5,
  // "B" 6, "ITALIC" 7, "BOADER" 8, any other name 0. A missing key reads "10".
  static std::string ReadFontSetting(const char* section, const char* control, const char* field);
  // [USER_INTERFACE_WINDOW_LEV] LEV, -1 when missing.
  static int ReadWindowLevel();
};
