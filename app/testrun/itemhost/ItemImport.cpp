#include "ItemImport.h"

#include <filesystem>

#include "ItemRegistration.h"
#include "port/path.h"

namespace fs = std::filesystem;

namespace {

bool InFolder(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  return fs::equivalent(file.parent_path(), folder, error);
}

// Copies beside the target first, with the source's time, then renames over the target.
std::string CopyInto(const fs::path& source, const fs::path& target) {
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".import");
  std::error_code error;
  if (!fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error)) return error.message();
  const fs::file_time_type written = fs::last_write_time(source, error);
  if (!error) fs::last_write_time(temporary, written, error);
  fs::rename(temporary, target, error);
  if (!error) return {};
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return error.message();
}

}  // namespace

DllImportResult ItemImport::ImportDllFiles(const std::vector<std::string>& files, const std::string& dllFolder) {
  DllImportResult result;
  for (const std::string& file : files) {
    if (InFolder(file, dllFolder)) {
      result.samePath = true;
      return result;
    }
  }
  std::error_code error;
  fs::create_directories(dllFolder, error);
  for (const std::string& file : files) {
    const std::string name = fs::path(file).filename().string();
    std::string reason = ItemRegistration::CheckDllName(name);
    if (reason.empty()) {
      // An existing file of the name in other letter case is the one replaced, as the loader finds that one.
      const std::string target = port::ResolvePathCase(port::JoinPath(dllFolder, name));
      reason = CopyInto(file, target);
    }
    if (reason.empty()) {
      ++result.copied;
      continue;
    }
    result.refused.push_back(name + ": " + reason);
  }
  return result;
}
