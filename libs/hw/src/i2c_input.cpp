#include "i2c_input.h"

#include <cctype>
#include <cstdlib>

namespace hw {

std::optional<int> ParseHexField(const std::string& text, unsigned long max) {
  std::string digits = text;
  while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back()))) digits.pop_back();
  while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.front()))) digits.erase(0, 1);
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  for (const char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  const unsigned long value = std::strtoul(digits.c_str(), nullptr, 16);
  if (value > max) return std::nullopt;
  return static_cast<int>(value);
}

unsigned long MaxI2cAddress(int mode) { return mode >= 2 ? 0xFFFF : 0xFF; }
unsigned long MaxI2cData(int mode) { return mode % 2 == 1 ? 0xFFFF : 0xFF; }

const char* I2cModeName(int mode) {
  static const char* const kNames[] = {"8_8(bit)", "8_16(bit)", "16_8(bit)", "16_16(bit)"};
  return mode >= 0 && mode < 4 ? kNames[mode] : "";
}

}  // namespace hw
