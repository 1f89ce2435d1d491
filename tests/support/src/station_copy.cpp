#include "qrv_test/station_copy.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

namespace qrv::test {

namespace {

// Folders whose content a running station writes.
constexpr std::array<std::string_view, 5> kRunState = {"Config", "Ref", "Log", "Image capture", "Drives"};

bool IsRunState(const fs::path& name) {
  for (const std::string_view state : kRunState)
    if (name == state) return true;
  return false;
}

}  // namespace

bool CopyBuiltStation(const std::string& folder) {
  const char* built = std::getenv("QRV_STATION_BUILD_DIR");
  const char* shipped = std::getenv("QRV_STATION_TEMPLATE_DIR");
  if (built == nullptr || shipped == nullptr || !fs::exists(fs::path(built) / "QRVBase.exe")) return false;
  std::error_code error;
  fs::create_directories(folder, error);
  for (const fs::directory_entry& entry : fs::directory_iterator(built, error)) {
    if (IsRunState(entry.path().filename())) continue;
    fs::copy(entry.path(), fs::path(folder) / entry.path().filename(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing,
             error);
    if (error) return false;
  }
  fs::copy(shipped, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
  if (error) return false;
  for (const char* empty : {"Log", "Image capture"}) fs::create_directories(fs::path(folder) / empty, error);
  return !error;
}

}  // namespace qrv::test
