#include "text_rules.h"

#include <charconv>
#include <climits>
#include <cstdint>

namespace protocol {
namespace {

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

}  // namespace

int ParseInt(std::string_view text) {
  text = TrimLeft(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{INT_MAX} + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::optional<int> ParsePortText(std::string_view text) {
  constexpr int kMaxPort = 65535;
  if (text.empty()) return std::nullopt;
  int port = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
    if (port > kMaxPort) return std::nullopt;
  }
  if (port == 0) return std::nullopt;
  return port;
}

float ParseFloat(std::string_view text) {
  text = TrimLeft(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  return error == std::errc{} ? value : 0.0f;
}

double ParseDouble(std::string_view text) {
  text = TrimLeft(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  return error == std::errc{} ? value : 0.0;
}

std::string SafeLotName(std::string_view lot) {
  std::string safe;
  for (const char c : lot) {
    if (c == '\r' || c == '\n') continue;
    if (safe.size() == kMaxLotLength) break;
    const bool unsafe = static_cast<unsigned char>(c) < 0x20 || c == 0x7f ||
                        std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    safe.push_back(unsafe ? '_' : c);
  }
  if (!safe.empty() && safe.find_first_not_of('.') == std::string::npos) safe.assign(safe.size(), '_');
  return safe;
}

}  // namespace protocol
