// "To the recycle bin" is the freedesktop Trash of the user's data folder.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "port/path.h"

namespace fs = std::filesystem;

namespace port {
namespace {

fs::path TrashFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "Trash";
  const char* home = std::getenv("HOME");
  return home && *home ? fs::path(home) / ".local/share/Trash" : fs::path();
}

std::string PercentEncode(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  return text;
}

std::string Candidate(const std::string& name, int attempt) {
  if (attempt == 0) return name;
  const fs::path base(name);
  return base.stem().string() + "." + std::to_string(attempt) + base.extension().string();
}

// Claims a free name by creating its .trashinfo exclusively, so two deletions never take one name.
std::string ClaimName(const fs::path& trash, const std::string& name, const std::string& original) {
  const std::string info = "[Trash Info]\nPath=" + PercentEncode(original) + "\nDeletionDate=" + DeletionDate() + "\n";
  std::error_code error;
  for (int attempt = 0; attempt < 10000; ++attempt) {
    const std::string candidate = Candidate(name, attempt);
    if (fs::exists(fs::symlink_status(trash / "files" / candidate, error))) continue;
    const fs::path infoPath = trash / "info" / (candidate + ".trashinfo");
    const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return {};
    }
    const bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
    ::close(fd);
    if (written) return candidate;
    fs::remove(infoPath, error);
    return {};
  }
  return {};
}

// Across file systems a rename cannot move the tree: copy it, then remove the original.
bool MoveTree(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (!error) return true;
  if (error != std::errc::cross_device_link) return false;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  if (error) {
    fs::remove_all(to, error);
    return false;
  }
  fs::remove_all(from, error);
  return !error;
}

}  // namespace

bool MoveToTrash(const std::string& path) {
  std::error_code error;
  fs::path source = fs::absolute(path, error).lexically_normal();
  if (!source.has_filename()) source = source.parent_path();
  if (error || !fs::exists(fs::symlink_status(source, error))) return false;
  const fs::path trash = TrashFolder();
  if (trash.empty()) return false;
  fs::create_directories(trash / "files", error);
  fs::create_directories(trash / "info", error);
  if (error) return false;

  const std::string name = ClaimName(trash, source.filename().string(), source.string());
  if (name.empty()) return false;
  if (MoveTree(source, trash / "files" / name)) return true;
  fs::remove(trash / "info" / (name + ".trashinfo"), error);
  std::fprintf(stderr, "trash: cannot move %s\n", source.c_str());
  return false;
}

}  // namespace port
