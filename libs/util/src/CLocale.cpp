#include "util/CLocale.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <locale.h>

namespace util {
namespace {

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Switches the calling thread to the C locale for its lifetime.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(CLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

std::string FormatC(const char* format, ...) {
  char buffer[512] = {};
  const CLocaleScope scope;
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

int ToInt(const char* text) {
  if (!text) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double ToDouble(const char* text) {
  if (!text) return 0.0;
  return strtod_l(text, nullptr, CLocale());
}

}  // namespace util
