#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

#include "port/export.h"

namespace port {

PORT_API std::u16string Utf8ToUtf16(std::string_view text);
PORT_API std::string Utf16ToUtf8(std::u16string_view text);

// printf-style formatting into a std::string.
PORT_API std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
PORT_API std::string FormatV(const char* format, std::va_list args);

// Bounded copy into a fixed text field: always NUL-terminated, cut to size - 1 bytes.
PORT_API void CopyText(char* dest, std::size_t size, std::string_view text);
template <std::size_t N>
void CopyText(char (&dest)[N], std::string_view text) {
  CopyText(dest, N, text);
}

PORT_API bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace port
