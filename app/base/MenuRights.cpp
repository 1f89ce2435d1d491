#include "MenuRights.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "PlatformErrorLog.h"
#include "Util.h"

namespace menu_rights {

const char* Prefix(int loggedIn, unsigned level) {
  if (loggedIn == 0 || level == 0) return "OP_";
  if (level == 1) return "MT_";
  if (level == 2) return "EN_";
  return nullptr;
}

const char* PrefixOfLevel(unsigned level) {
  switch (level) {
    case 0: return "OP_";
    case 1: return "MT_";
    case 2: return "EN_";
    default: return nullptr;
  }
}

std::string DefaultFlags(const MenuPopup& group, const char* prefix) {
  const bool operatorLevel = std::strcmp(prefix, "OP_") == 0;
  std::string flags;
  for (const MenuCommand& command : group.Commands()) flags += (!operatorLevel || command.operatorDefault) ? "1;" : "0;";
  return flags;
}

Field ParseField(const std::string& field) {
  const char* begin = field.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin) return {};
  // A number too large for a long is still a number that is not zero.
  return {value != 0 || errno == ERANGE, true};
}

std::vector<bool> Read(const char* prefix, const MenuPopup& group) {
  const std::string key = std::string(prefix) + group.rightsKey;
  const std::string defaults = DefaultFlags(group, prefix);
  const std::string value = ReadIniString(kSection, key.c_str(), defaults.c_str(), kSettingsFile);
  WriteIniString(kSection, key.c_str(), value.c_str(), kSettingsFile);

  const std::size_t count = group.Commands().size();
  std::vector<bool> flags(count);
  bool bad = false;
  for (std::size_t i = 0; i < count; ++i) {
    const int index = static_cast<int>(i);
    const Field field = ParseField(ExtractField(value, index, ';'));
    if (!field.isNumber) bad = true;
    flags[i] = field.isNumber ? field.enables : ParseField(ExtractField(defaults, index, ';')).enables;
  }
  if (bad)
    LogPlatformError("[%s] %s = \"%s\" is too short or holds a flag that is not a number; those commands take "
                     "their defaults \"%s\"",
                     kSection, key.c_str(), value.c_str(), defaults.c_str());
  return flags;
}

}  // namespace menu_rights
