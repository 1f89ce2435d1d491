#include "MenuRights.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

bool FieldEnables(const std::string& field) {
  const char* begin = field.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  // A number too large for a long is still a number that is not zero.
  return value != 0 || errno == ERANGE;
}

std::vector<bool> Read(const char* prefix, const MenuPopup& group) {
  const std::string key = std::string(prefix) + group.rightsKey;
  const std::string defaults = DefaultFlags(group, prefix);
  const std::string value = ReadIniString(kSection, key.c_str(), defaults.c_str(), kSettingsFile);
  WriteIniString(kSection, key.c_str(), value.c_str(), kSettingsFile);

  std::vector<bool> flags(group.Commands().size());
  for (std::size_t i = 0; i < flags.size(); ++i) flags[i] = FieldEnables(ExtractField(value, static_cast<int>(i), ';'));
  return flags;
}

}  // namespace menu_rights
