#include "util/FolderOps.h"

#include <glob.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "port/path.h"

namespace fs = std::filesystem;

namespace util::folder {
namespace {

bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

std::vector<std::string> Expand(const std::string& stored) {
  const std::string path = port::ResolvePathCase(port::NormalizePath(stored));
  if (!HasWildcard(path)) return {path};
  std::vector<std::string> matches;
  glob_t found{};
  if (glob(path.c_str(), GLOB_NOSORT, nullptr, &found) == 0) {
    for (std::size_t i = 0; i < found.gl_pathc; ++i) matches.emplace_back(found.gl_pathv[i]);
  }
  globfree(&found);
  return matches;
}

// "<name> - Copy", then "<name> - Copy (2)", ... beside the colliding target.
// The target may change between the caller's look and this one; a failed look counts as a file.
fs::path FreeName(const fs::path& target) {
  std::error_code error;
  const bool folder = fs::is_directory(target, error);
  const std::string stem = folder ? target.filename().string() : target.stem().string();
  const std::string extension = folder ? std::string() : target.extension().string();
  for (int n = 1;; ++n) {
    const std::string suffix = n == 1 ? " - Copy" : " - Copy (" + std::to_string(n) + ")";
    fs::path candidate = target.parent_path() / (stem + suffix + extension);
    if (!fs::exists(candidate, error)) return candidate;
  }
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code error;
  const fs::path a = fs::weakly_canonical(inner, error);
  const fs::path b = fs::weakly_canonical(outer, error);
  auto [endB, endA] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
  return endB == b.end();
}

int CopyOne(const fs::path& source, fs::path target) {
  std::error_code error;
  if (fs::exists(target, error)) target = FreeName(target);
  if (fs::is_directory(source, error) && IsWithin(target, source)) return kErrorDestinationInSource;
  fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  return error ? kErrorAccessDenied : kCopyOk;
}

}  // namespace

std::vector<std::string> ExpandList(const char* list) {
  std::vector<std::string> paths;
  if (!list) return paths;
  for (const char* entry = list; *entry; entry += std::char_traits<char>::length(entry) + 1) {
    for (auto& path : Expand(entry)) paths.push_back(std::move(path));
  }
  return paths;
}

bool PathExists(const std::string& path) {
  if (path.empty()) return false;
  for (const auto& match : Expand(path)) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(match, error))) return true;
  }
  return false;
}

int CreateFolder(const std::string& folder) {
  if (folder.empty()) return 0;
  std::error_code error;
  return fs::create_directories(port::NormalizePath(folder), error) && !error ? 1 : 0;
}

int RemoveFolder(const std::string& folder, bool permanent) {
  // A longer path would have been cut, and the cut path names another folder.
  if (folder.empty() || folder.size() > kMaxRemovePath) return 0;
  const std::vector<std::string> targets = Expand(folder);
  bool removed = !targets.empty();
  for (const auto& target : targets) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(target, error))) {
      removed = false;
    } else if (permanent) {
      fs::remove_all(target, error);
      removed = removed && !error;
    } else {
      removed = port::MoveToTrash(target) && removed;
    }
  }
  return removed ? 1 : 0;
}

int CopyFolders(const char* sourceList, const char* destinationList) {
  if (!sourceList || !*sourceList || !destinationList || !*destinationList) return kErrorInvalidParameter;
  const std::vector<std::string> sources = ExpandList(sourceList);
  const fs::path destination = port::ResolvePathCase(port::NormalizePath(destinationList));
  std::error_code error;
  if (sources.empty()) return kErrorFileNotFound;
  for (const auto& source : sources) {
    if (!fs::exists(fs::symlink_status(source, error))) return kErrorFileNotFound;
  }
  // One source onto a name that does not exist yet: the copy takes that name.
  if (sources.size() == 1 && !HasWildcard(sourceList) && !fs::exists(destination, error)) {
    return CopyOne(sources.front(), destination);
  }
  if (fs::exists(destination, error) && !fs::is_directory(destination, error)) {
    return sources.size() == 1 ? CopyOne(sources.front(), destination) : kErrorAccessDenied;
  }
  fs::create_directories(destination, error);
  if (error) return kErrorAccessDenied;
  for (const auto& source : sources) {
    const int result = CopyOne(source, destination / fs::path(source).filename());
    if (result != kCopyOk) return result;
  }
  return kCopyOk;
}

}  // namespace util::folder
