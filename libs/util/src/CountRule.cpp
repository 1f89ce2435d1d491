#include "util/CountRule.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>

#include "port/ini.h"
#include "port/module.h"

namespace util::ini {
namespace {

std::int64_t LeadingInteger(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Past 2^40 the value is far beyond any limit: the digits after it are not added, so the sum cannot overflow.
  constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
  std::int64_t value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && value < kCeiling; ++at)
    value = value * 10 + (text[at] - '0');
  return negative ? -value : value;
}

// Every refusal is said once: a table read at each site's end would otherwise repeat it for every module.
bool FirstTime(const std::string& what) {
  static std::mutex lock;
  static std::set<std::string> said;
  const std::lock_guard guard(lock);
  return said.insert(what).second;
}

void Report(const std::string& line) {
  using LogPlatformError_Fn = void (*)(const char* format, ...);
  if (auto log = reinterpret_cast<LogPlatformError_Fn>(port::FindProgramSymbol("LogPlatformError")))
    log("%s", line.c_str());
  else
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

int BoundCount(const std::string& text, int limit, const std::string& file, const char* section, const char* key) {
  const std::int64_t value = LeadingInteger(text);
  if (value < INT_MIN) return INT_MIN;
  if (value <= limit) return static_cast<int>(value);
  const std::string where = file + " [" + (section ? section : "") + "] " + (key ? key : "");
  if (FirstTime(where + "=" + text)) {
    Report(where + "=" + text + " is more than " + std::to_string(limit) + ": " + std::to_string(limit) +
           " is used.");
  }
  return limit;
}

int ReadCount(const std::string& path, const char* section, const char* key, int defaultValue, int limit) {
  const std::string text =
      port::ini::ReadString(path, section ? section : "", key ? key : "", std::to_string(defaultValue));
  return BoundCount(text, limit, path, section, key);
}

}  // namespace util::ini
