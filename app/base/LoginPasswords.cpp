#include "LoginPasswords.h"

#include <sodium.h>

#include <array>
#include <optional>

#include "Util.h"
#include "port/registry.h"

namespace login_passwords {
namespace {

using port::registry::Root;

const char* SeedKey(int level) {
  switch (level) {
    case 1: return "INIT_Maintenance";
    case 2: return "INIT_Engineer";
    default: return nullptr;
  }
}

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

std::string Stored(int level) {
  const char* name = ValueName(level);
  if (name == nullptr) return {};
  port::registry::CreateKey(Root::CurrentUser, kRegistryKey);
  return port::registry::ReadString(Root::CurrentUser, kRegistryKey, name).value_or(std::string());
}

std::optional<std::string> Hash(const std::string& password) {
  if (!SodiumReady()) return std::nullopt;
  std::array<char, crypto_pwhash_STRBYTES> hash{};
  if (crypto_pwhash_str(hash.data(), password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    return std::nullopt;
  return std::string(hash.data());
}

// Both texts are digested first, so the comparison takes the same time whatever they hold and however
// long they are.
bool EqualInConstantTime(const std::string& a, const std::string& b) {
  std::array<unsigned char, crypto_generichash_BYTES> digestA{}, digestB{};
  crypto_generichash(digestA.data(), digestA.size(), reinterpret_cast<const unsigned char*>(a.data()), a.size(),
                     nullptr, 0);
  crypto_generichash(digestB.data(), digestB.size(), reinterpret_cast<const unsigned char*>(b.data()), b.size(),
                     nullptr, 0);
  return sodium_memcmp(digestA.data(), digestB.data(), digestA.size()) == 0;
}

}  // namespace

const char* ValueName(int level) {
  switch (level) {
    case 1: return "MaintenancePassword";
    case 2: return "EngineerPassword";
    default: return nullptr;
  }
}

bool IsHash(const std::string& stored) { return stored.starts_with("$argon2"); }

void Seed(int level) {
  const char* seedKey = SeedKey(level);
  if (seedKey == nullptr || !Stored(level).empty()) return;
  Store(level, ReadIniText("LOGIN", seedKey, 0, kSettingsFile));
}

bool HasPassword(int level) { return !Stored(level).empty(); }

Check Verify(int level, const std::string& entered) {
  if (!SodiumReady()) return Check::kWrong;
  const std::string stored = Stored(level);
  if (stored.empty()) return Check::kWrong;
  if (IsHash(stored))
    return crypto_pwhash_str_verify(stored.c_str(), entered.data(), entered.size()) == 0 ? Check::kMatch
                                                                                        : Check::kWrong;
  if (!EqualInConstantTime(stored, entered)) return Check::kWrong;
  Store(level, entered);
  return Check::kMatch;
}

bool Store(int level, const std::string& password) {
  const char* name = ValueName(level);
  if (name == nullptr) return false;
  if (password.empty()) return port::registry::WriteString(Root::CurrentUser, kRegistryKey, name, "");
  const std::optional<std::string> hash = Hash(password);
  return hash && port::registry::WriteString(Root::CurrentUser, kRegistryKey, name, *hash);
}

bool WriteLoginLevel(int level) {
  return port::registry::WriteDword(Root::CurrentUser, kRegistryKey, "LoginLev", static_cast<std::uint32_t>(level));
}

}  // namespace login_passwords
