#include "util/RegistryRules.h"

#include "port/text.h"

namespace util::reg {
namespace {

std::string Text(const char* text) { return text ? text : ""; }

bool OpenKey(Root root, const char* subKey) { return port::registry::CreateKey(root, Text(subKey)); }

}  // namespace

std::uint32_t ReadInt(Root root, const char* subKey, const char* name, std::uint32_t defaultValue) {
  if (!OpenKey(root, subKey)) return 0;
  return port::registry::ReadDword(root, Text(subKey), Text(name)).value_or(defaultValue);
}

int ReadString(Root root, const char* subKey, const char* name, const char* defaultText, char* out,
               std::uint32_t outSize) {
  if (!out || outSize == 0 || !OpenKey(root, subKey)) return 0;
  const auto value = port::registry::ReadString(root, Text(subKey), Text(name));
  if (value && value->size() < outSize) {
    port::CopyText(out, outSize, *value);
    return 1;
  }
  port::CopyText(out, outSize, Text(defaultText));
  return 0;
}

int WriteInt(Root root, const char* subKey, const char* name, std::uint32_t value) {
  if (!OpenKey(root, subKey)) return 0;
  return port::registry::WriteDword(root, Text(subKey), Text(name), value) ? 1 : 0;
}

int WriteString(Root root, const char* subKey, const char* name, const char* text) {
  if (!OpenKey(root, subKey)) return 0;
  return port::registry::WriteString(root, Text(subKey), Text(name), Text(text)) ? 1 : 0;
}

}  // namespace util::reg
