#include "port/path.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "port/module.h"
#include "port/text.h"

namespace fs = std::filesystem;

namespace port {
namespace {

std::string DriveRoot() {
  if (const char* root = std::getenv("QRV_DRIVE_ROOT"); root && *root) return root;
  return JoinPath(ProgramFolder(), "Drives");
}

bool IsDrive(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// The one entry of folder whose name equals name without case; empty when none or several.
std::string UniqueMatch(const fs::path& folder, const std::string& name) {
  std::string match;
  std::error_code error;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (!EqualsNoCase(entry, name)) continue;
    if (!match.empty()) return {};
    match = entry;
  }
  return error ? std::string() : match;
}

}  // namespace

std::string NormalizePath(std::string_view stored) {
  std::string path(stored);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!IsDrive(path)) return path;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
  return JoinPath(JoinPath(DriveRoot(), std::string(1, letter)), std::string_view(path).substr(2));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  while (name.starts_with('/')) name.remove_prefix(1);
  if (folder.empty()) return std::string(name);
  std::string joined(folder);
  if (name.empty()) return joined;
  if (joined.back() != '/') joined += '/';
  return joined.append(name);
}

std::string ResolvePathCase(const std::string& path) {
  std::error_code error;
  if (path.empty() || fs::exists(path, error)) return path;
  fs::path resolved;
  for (const fs::path& part : fs::path(path)) {
    const fs::path next = resolved / part;
    if (part == "/" || part == "." || part == ".." || part.empty() || fs::exists(next, error)) {
      resolved = next;
      continue;
    }
    const std::string match = UniqueMatch(resolved, part.string());
    if (match.empty()) return path;
    resolved /= match;
  }
  return resolved.string();
}

}  // namespace port
