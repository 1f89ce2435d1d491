#pragma once
// A fresh station folder for a test that runs the program.
#include <string>

namespace qrv::test {

// Copies the built station ($QRV_STATION_BUILD_DIR) to <folder> without what a station changes as it runs
// (settings, logs, captures), then the shipped settings ($QRV_STATION_TEMPLATE_DIR), so a test starts from
// the station as it is delivered even after someone ran the built one. False when the build is missing.
bool CopyBuiltStation(const std::string& folder);

}  // namespace qrv::test
