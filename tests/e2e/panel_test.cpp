// The station from a copy of the built folder, headless on simulated boards: the main window with its eight
// site views and item lists, a handler start on site A that runs its items to PASS, and a picture of it all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "StationRun.h"
#include "StationSetup.h"
#include "qrv_test/station_copy.h"
#include "port/ini.h"
#include "port/version.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

// The picture stays in the build folder, where it can be looked at after the run.
// Among the other windows' pictures in the build folder's screens/.
std::string ScreenshotPath() {
  const char* folder = std::getenv("QRV_SCREENS_DIR");
  std::filesystem::create_directories(folder);
  return std::string(folder) + "/station_site_a_pass.png";
}

// The site's line of the run's state report.
std::string StateLine(const std::string& errors, char site) {
  const std::size_t start = errors.find(std::string("QRV test state: site ") + site + " ");
  if (start == std::string::npos) return {};
  return errors.substr(start, errors.find('\n', start) - start);
}

// Whether the site's list log of the run holds the text.
bool ListLogSays(const std::string& station, char site, const std::string& text) {
  const std::string suffix = std::string("_") + site + ".txt";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(station + "/Log/ListLog")) {
    const std::string name = entry.path().filename().string();
    if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    std::ifstream file(entry.path());
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (content.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

TEST(StationPanelTest, EightSitesShowTheirItemsAndSiteARunsToPass) {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  ASSERT_TRUE(qrv::test::CopyBuiltStation(station)) << "the built station is missing";
  // The device check would pause every item for boards this run does not initialise; it is about the screen.
  const qrv::test::StationRegistry registry(dir);
  // The model pins the versions of the components it was built with.
  const std::pair<const char*, std::string> components[] = {
      {"Platform_x64.exe", station + "/QRVBase.exe"},
      {"QRV_PlatformHW.dll", station + "/System/QRV_PlatformHW.dll"},
      {"QRV_PlatformSW_x64.dll", station + "/System/QRV_PlatformSW_x64.dll"},
      {"QRV_Protocol.dll", station + "/System/QRV_Protocol.dll"},
      {"RigUtil_x64.dll", station + "/System/RigUtil_x64.dll"}};
  for (const auto& [key, file] : components)
    port::ini::WriteString(station + "/Ref/Init_Model/System.ini", "SYSTEM_VERSION", key,
                           port::ReadVersionString(file, "FileVersion").c_str());
  const std::string picture = ScreenshotPath();
  std::filesystem::remove(picture);

  qrv::test::StationProcess run(station, {{"QRV_SIM_BOARDS", "4"},
                                          {"QRV_REGISTRY_DIR", registry.Path()},
                                          {"QRV_DRIVE_ROOT", dir.File("drives")},
                                          {"QRV_TEST_COMMANDS", "START,0,0"},
                                          {"QRV_TEST_SCREENSHOT", picture},
                                          {"QRV_EXIT_AFTER_MS", "90000"}});
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.WaitForText("QRV test state: site H", 90s)) << run.Errors();
  EXPECT_EQ(run.WaitForExit(30s), 0) << run.Errors();
  const std::string& errors = run.Errors();

  EXPECT_NE(errors.find("QRV test screenshot saved: " + picture), std::string::npos) << errors;
  EXPECT_TRUE(std::filesystem::exists(picture));
  EXPECT_NE(errors.find("QRV test state: site A label=PASS picture=2"), std::string::npos) << errors;
  for (const char site : std::string("ABCDEFGH")) {
    const std::string line = StateLine(errors, site);
    EXPECT_NE(line.find(" rows=1 listed=1"), std::string::npos) << "site " << site << " lists its item: " << line;
  }
  EXPECT_NE(errors.find("QRV test title: Tarvesta System 1.0.0.1"), std::string::npos) << errors;
  EXPECT_NE(errors.find("SIMULATED BOARDS (QRV_SIM_BOARDS=4)\n"), std::string::npos) << "the title says so";
  for (const char site : std::string("ABCDEFGH")) {
    EXPECT_TRUE(ListLogSays(station, site, "SIMULATED BOARDS")) << "site " << site << "'s list log says so";
  }
}
