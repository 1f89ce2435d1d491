#include "LayoutValueCheck.h"

#include <optional>

#include "Util.h"

namespace {

constexpr std::array<const char*, 4> kRectColumns = {"Left", "Top", "Right", "Bottom"};
constexpr std::array<const char*, 9> kFontColumns = {"Size", "R(B)", "G(B)", "B(B)", "R", "G", "B", "Italic", "Boader"};

// The value of a whole number within [low, high]; nothing for any other text.
std::optional<int> WholeNumber(const std::string& text, bool allowNegative, int low, int high) {
  const bool negative = allowNegative && !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 6 || IsDigitString(digits) == 0) return std::nullopt;
  const int value = (negative ? -1 : 1) * std::stoi(digits);
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::string RangeMessage(const std::string& name, const char* column, int low, int high) {
  return FormatCString("%s: %s must be a whole number from %d to %d.", name.c_str(), column, low, high);
}

std::string CheckRect(const std::string& key, const std::array<std::string, 4>& cells, bool allowNegative,
                      std::array<int, 4>& values) {
  const int low = allowNegative ? -LayoutValueCheck::kMaxCoordinate : 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto value = WholeNumber(cells[i], allowNegative, low, LayoutValueCheck::kMaxCoordinate);
    if (!value) return RangeMessage(key, kRectColumns[i], low, LayoutValueCheck::kMaxCoordinate);
    values[i] = *value;
  }
  return {};
}

}  // namespace

std::string LayoutValueCheck::CheckControlRect(const std::string& key, const std::array<std::string, 4>& cells) {
  std::array<int, 4> v{};
  if (std::string error = CheckRect(key, cells, false, v); !error.empty()) return error;
  if (v[2] < v[0]) return FormatCString("%s: Right must not be less than Left.", key.c_str());
  if (v[3] < v[1]) return FormatCString("%s: Bottom must not be less than Top.", key.c_str());
  return {};
}

std::string LayoutValueCheck::CheckWindowRect(const std::string& key, const std::array<std::string, 4>& cells) {
  if (key == "VIEW_SIZE") return {};
  std::array<int, 4> v{};
  if (std::string error = CheckRect(key, cells, true, v); !error.empty()) return error;
  if (key == "VIEW_SIZE_SUB" && v[2] <= v[0])
    return FormatCString("%s: Right must be greater than Left, or the site panel has no width.", key.c_str());
  return {};
}

std::string LayoutValueCheck::CheckFont(const std::string& label, const std::array<std::string, 9>& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const int low = i == 0 ? 1 : 0;
    const int high = i == 0 ? kMaxFontSize : i <= 6 ? 255 : 1;
    if (!WholeNumber(cells[i], false, low, high)) return RangeMessage(label, kFontColumns[i], low, high);
  }
  return {};
}
