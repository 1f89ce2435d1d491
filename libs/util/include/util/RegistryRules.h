#pragma once
// Registry values with the rules callers rely on: the key is created when missing; when the store
// cannot be opened the result is 0 whatever the default; a missing value gives the default.
#include <cstdint>

#include "port/registry.h"

namespace util::reg {

using Root = port::registry::Root;

std::uint32_t ReadInt(Root root, const char* subKey, const char* name, std::uint32_t defaultValue);
// 1 when read into the buffer; 0 with the default copied into the buffer when the value is missing or
// does not fit; 0 with the buffer untouched when the key cannot be opened.
int ReadString(Root root, const char* subKey, const char* name, const char* defaultText, char* out,
               std::uint32_t outSize);
int WriteInt(Root root, const char* subKey, const char* name, std::uint32_t value);
int WriteString(Root root, const char* subKey, const char* name, const char* text);

}  // namespace util::reg
