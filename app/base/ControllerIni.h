#pragma once
// The screen-layout file Ref/<model>/Controller.ini: control rectangles with their shown flags, label
// fonts, the control list of the layout editor, the window level and the error-list standard. Every call
// reads or writes the file at once; nothing is cached.
#include <array>
#include <cstdint>
#include <string>

#include "QRV_Types.h"

// "shown.left.top.right.bottom"
struct ControlPlacement {
  int shown = 0;
  QrvRect rect{0, 0, 0, 0};
};

// "FontSize.R(B).G(B).B(B).R.G.B.ITALIC.BOADER"; a missing key reads "10". The size is held within
// ControllerIni::kMaxFontSize either way; colours are kept as stored (they are taken modulo 256 when drawn).
struct FontSetting {
  int size = 10;
  int backRed = 0, backGreen = 0, backBlue = 0;
  int red = 0, green = 0, blue = 0;
  int italic = 0;
  int border = 0;

  static FontSetting Parse(const std::string& value);
};

// A label's font as the layout editor writes it when the file has none: colours are COLORREFs (red in
// the low byte).
struct DefaultFont {
  const char* label;
  int size;
  std::uint32_t back;
  std::uint32_t text;
  int italic;
  int border;
};

class ControllerIni {
 public:
  // The 32 labels the editor styles, in its font list's order, with the fonts a missing key gets.
  static const std::array<DefaultFont, 32>& DefaultFonts();
  // The site label's alignment choices, index = stored SITE_DRAW_n value; every name after the first
  // carries a leading blank, as the editor lists them.
  static const std::array<const char*, 15>& SiteDrawAlignments();

  // "Ref/<model>/Controller.ini", relative to the program folder.
  static std::string GetControllerIniPath();
  // The shown flag (first '.'-field) of [USER_INTERFACE] <key>, 0 when missing.
  static int ReadUserInterfaceValue(const char* key);
  // One field of <control>_FONT in the section: "FontSize" 0, "R(B)" 1, "G(B)" 2, "B(B)" 3, "R" 4, "G" 5,
  // "B" 6, "ITALIC" 7, "BOADER" 8, any other name 0. A missing key reads "10".
  static std::string ReadFontSetting(const char* section, const char* control, const char* field);
  // [USER_INTERFACE_WINDOW_LEV] LEV, -1 when missing.
  static int ReadWindowLevel();
  // No screen reaches this far. Stored coordinates are held within it, whatever the editor or a hand
  // stored, so that the sums that dock the site panel stay within int and no window is made larger than a
  // window system can show.
  static constexpr int kMaxCoordinate = 16383;
  // No label is taller. Font sizes are held within it, so that a label's shrink-to-fit and a view's width
  // times a size stay small.
  static constexpr int kMaxFontSize = 999;

  // Fields 1 to 4 of a '.'-separated value as left, top, right, bottom; a missing field is 0. Each is held
  // within kMaxCoordinate either way.
  static QrvRect ParseRect(const std::string& value);
  static QrvRect BoundRect(const QrvRect& rect);
  // The leading integer of the whole value: not 0 means shown.
  static int ParseShownFlag(const std::string& value);
  static ControlPlacement ParsePlacement(const std::string& value);

  static QrvRect ReadRect(const char* section, const char* key);
  static QrvRect ReadControlRect(const char* key);
  static ControlPlacement ReadControlPlacement(const char* key);
  // Writes "1.%d.%d.%d.%d": a rectangle written here is always marked shown.
  static void WriteRect(const char* section, const char* key, const QrvRect& rect);

  // The whole "<label>_FONT" value of the section.
  static std::string ReadFontText(const char* section, const char* label);
  static FontSetting ReadFont(const char* section, const char* label);

  // The site panel has 68 controls (eleven of its own, seven for each of eight sites, the error list); a
  // model's editor list may name each of them more than once, but never this many.
  static constexpr int kMaxControls = 256;

  // [CONTROLLER] Count (0 when missing, at most kMaxControls) and entry <index> ("0" when missing).
  static int ReadControlCount();
  static std::string ReadControlName(int index);

  static void WriteWindowLevel(int level);

  // [USER_INIT] <label>_FONT read with the default built from the arguments, and written back, so a
  // missing key is created. Returns the value.
  static std::string WriteDefaultFont(const char* label, int size, std::uint32_t back, std::uint32_t text,
                                      int italic, int border);

  // The site panel beside the main window: x = main right + sub left, y = main top + sub top,
  // width = sub width, height = main height + sub bottom.
  static QrvRect DockedPanelRect(const QrvRect& main, const QrvRect& sub);

  // [Error_List_Standard] KEY: 0 counts failures per site, 1 per device. Existing stations keep it in a
  // file beside the model folder, "<program>/Ref/<model>Controller.ini" (no separator), so it stays there.
  static std::string GetErrorListStandardPath();
  static int ReadErrorListStandard();
  static void WriteErrorListStandard(int standard);
};
