#pragma once
// The passwords of the Maintenance and Engineer logins, in the current user's registry under
// "Software\QRV\Platform\LOGIN\". They are never stored readable: each value holds a salted slow hash.
// A plain-text value left by an older station is accepted once and then replaced by its hash.
#include <string>

namespace login_passwords {

inline constexpr const char* kRegistryKey = "Software\\QRV\\Platform\\LOGIN\\";
inline constexpr const char* kSettingsFile = "Config/QRV_Config.ini";

// "MaintenancePassword" for level 1, "EngineerPassword" for level 2, null for a level without a password.
const char* ValueName(int level);

// An empty value of the level is seeded from QRV_Config.ini [LOGIN] INIT_Maintenance or INIT_Engineer (a
// missing key seeds "0"); the seed is stored as its hash. A value present is left alone.
void Seed(int level);

// True when the level has a password stored (a level without one cannot be logged in).
bool HasPassword(int level);

enum class Check { kMatch, kWrong };
// The entered text against the level's stored password, in constant time. An empty stored password
// matches nothing.
Check Verify(int level, const std::string& entered);

// Stores the hash of the password; an empty password is stored empty (the next Seed fills it again).
// False when the level has no password or the registry cannot be written.
bool Store(int level, const std::string& password);

// True when the stored text is one of our hashes rather than a readable password.
bool IsHash(const std::string& stored);

// The level of the last successful login ("LoginLev").
bool WriteLoginLevel(int level);

}  // namespace login_passwords
