#pragma once
// What the screen-layout editor is asked to store is checked before anything is written: a typed letter
// or an out-of-range number would otherwise place a control at 0 or colour a label with a wrapped value.
// Each check returns the message for the operator, or an empty text when the values are good.
#include <array>
#include <string>

class LayoutValueCheck {
 public:
  // Pixel coordinates beyond this are no screen's.
  static constexpr int kMaxCoordinate = 32767;
  static constexpr int kMaxFontSize = 999;

  // A control in the site panel: four whole numbers from 0, right not left of left, bottom not above top.
  static std::string CheckControlRect(const std::string& key, const std::array<std::string, 4>& cells);
  // A window row: whole numbers that may be negative; the site panel (VIEW_SIZE_SUB) needs a width.
  // The VIEW_SIZE row is not stored from its texts, so it is not checked.
  static std::string CheckWindowRect(const std::string& key, const std::array<std::string, 4>& cells);
  // A font row: size 1 to kMaxFontSize, colour parts 0 to 255, italic and border 0 or 1.
  static std::string CheckFont(const std::string& label, const std::array<std::string, 9>& cells);
};
