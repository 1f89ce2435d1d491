#pragma once
// Which menu commands a login may choose: Config/QRV_Config.ini [MENU_ENABLE], one key per login prefix and
// rights group ("OP_File", "EN_Library", ...), each a ';'-list of flags, one per command of the group.
#include <string>
#include <vector>

#include "MenuTable.h"

namespace menu_rights {

inline constexpr const char* kSettingsFile = "Config/QRV_Config.ini";
inline constexpr const char* kSection = "MENU_ENABLE";

// "OP_" when not logged in or logged in as Operator, "MT_" and "EN_" for the logged-in Maintenance and
// Engineer; null for any other level: then nothing is read and no command changes.
const char* Prefix(int loggedIn, unsigned level);
// The item list chooses by the level alone.
const char* PrefixOfLevel(unsigned level);

// The group's flags as a station without rights of its own has them: "1;0;1;" and the like.
std::string DefaultFlags(const MenuPopup& group, const char* prefix);

// A field enables when its leading decimal integer is not zero; one without a number greys.
bool FieldEnables(const std::string& field);

// The key's flags, one per command of the group; a missing key takes the defaults. Rights fail closed: a
// field that is missing, empty or holds no number greys its command. The value read is written back, so
// every key of the prefix exists after one read.
std::vector<bool> Read(const char* prefix, const MenuPopup& group);

}  // namespace menu_rights
