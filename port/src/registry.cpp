#include "port/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "ini_store.h"

namespace port::registry {
namespace {

constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kStringPrefix = "sz:";
// The unnamed (default) value of a key.
constexpr std::string_view kDefaultValueName = "@";

const char* RootFileName(Root root) {
  switch (root) {
    case Root::ClassesRoot:
      return "HKEY_CLASSES_ROOT.ini";
    case Root::CurrentUser:
      return "HKEY_CURRENT_USER.ini";
    case Root::LocalMachine:
      return "HKEY_LOCAL_MACHINE.ini";
    case Root::Users:
      return "HKEY_USERS.ini";
  }
  return nullptr;
}

// "Software\QRV\" and "Software/QRV" name one key.
std::string KeySection(const std::string& subKey) {
  std::string key;
  for (const char c : subKey) {
    const char separator = c == '/' ? '\\' : c;
    if (separator == '\\' && (key.empty() || key.back() == '\\')) continue;
    key += separator;
  }
  if (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

std::string ValueName(const std::string& name) { return name.empty() ? std::string(kDefaultValueName) : name; }

// The store holds the login passwords' hashes: its files are the owner's only, also one that an older
// station left readable. A rewrite keeps the mode of the file it replaces.
bool MakePrivateFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  const bool ok = ::fchmod(fd, 0600) == 0;
  return (::close(fd) == 0) && ok;
}

std::optional<std::string> StoreFile(Root root) {
  const char* file = RootFileName(root);
  const std::string folder = StoreFolder();
  if (!file || folder.empty()) return std::nullopt;
  return folder + "/" + file;
}

std::optional<std::string> ReadTyped(Root root, const std::string& subKey, const std::string& name,
                                     std::string_view prefix) {
  const auto file = StoreFile(root);
  ini::Document doc;
  if (!file || ini::detail::Load(*file, doc) != ini::detail::LoadResult::Loaded) return std::nullopt;
  const std::string* stored = doc.Find(KeySection(subKey), ValueName(name));
  if (!stored || !stored->starts_with(prefix)) return std::nullopt;
  return stored->substr(prefix.size());
}

bool WriteTyped(Root root, const std::string& subKey, const std::string& name, const std::string& typed) {
  const auto file = StoreFile(root);
  return file && MakePrivateFile(*file) && ini::detail::Modify(*file, [&](ini::Document& doc) { doc.Set(KeySection(subKey), ValueName(name), typed); });
}

}  // namespace

std::string StoreFolder() {
  std::string folder;
  if (const char* dir = std::getenv("QRV_REGISTRY_DIR"); dir && *dir) {
    folder = dir;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::string(home) + "/.config/QRV/registry";
  } else {
    return {};
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!error) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  if (error) std::fprintf(stderr, "registry: cannot create %s owner-only: %s\n", folder.c_str(), error.message().c_str());
  return error ? std::string() : folder;
}

bool CreateKey(Root root, const std::string& subKey) {
  const auto file = StoreFile(root);
  return file && MakePrivateFile(*file) && ini::detail::Modify(*file, [&](ini::Document& doc) { doc.AddSection(KeySection(subKey)); });
}

std::optional<std::uint32_t> ReadDword(Root root, const std::string& subKey, const std::string& name) {
  const auto text = ReadTyped(root, subKey, name, kDwordPrefix);
  if (!text || text->empty() || text->size() > 8) return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text->c_str(), &end, 16);
  if (*end != '\0') return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<std::string> ReadString(Root root, const std::string& subKey, const std::string& name) {
  return ReadTyped(root, subKey, name, kStringPrefix);
}

bool WriteDword(Root root, const std::string& subKey, const std::string& name, std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", value);
  return WriteTyped(root, subKey, name, std::string(kDwordPrefix) + text);
}

bool WriteString(Root root, const std::string& subKey, const std::string& name, const std::string& value) {
  // Quoted, so blanks at the ends survive; the store holds one line per value.
  const std::string oneLine = value.substr(0, value.find_first_of("\r\n"));
  return WriteTyped(root, subKey, name, "\"" + std::string(kStringPrefix) + oneLine + "\"");
}

}  // namespace port::registry
