#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "StationRun.h"
#include "qrv_test/station_copy.h"
#include "port/ini.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kStartTimeout = 30s;

class StartupTest : public ::testing::Test {
 protected:
  // A station copy whose screen settings hide the task bar, so a run that got past the single-instance
  // check says so on standard error before its main window opens.
  std::string Station(const std::string& name) {
    const std::string folder = dir.File(name);
    if (!qrv::test::CopyBuiltStation(folder)) return {};
    port::ini::WriteString(folder + "/Ref/Init_Model/Controller.ini", "USER_INTERFACE_WINDOW_LEV", "LEV", "3");
    return folder;
  }
  qrv::test::TempDir dir;
};

TEST_F(StartupTest, RunsHeadlessAndRestoresTheTaskBarAtExit) {
  const std::string station = Station("A");
  ASSERT_FALSE(station.empty()) << "the built station is missing";
  qrv::test::StationProcess run(station, {{"QRV_EXIT_AFTER_MS", "200"}});
  ASSERT_TRUE(run.Started());
  EXPECT_EQ(run.WaitForExit(kStartTimeout), 0) << run.Errors();
  const std::string& errors = run.Errors();
  const auto hidden = errors.find("taskbar: state auto-hide");
  ASSERT_NE(hidden, std::string::npos) << errors;
  EXPECT_NE(errors.find("taskbar: state always-on-top", hidden), std::string::npos) << errors;
}

TEST_F(StartupTest, SecondCopyInTheSameFolderRefusesAndAnotherFolderStarts) {
  const std::string first = Station("A");
  ASSERT_FALSE(first.empty()) << "the built station is missing";
  qrv::test::StationProcess running(first, {{"QRV_EXIT_AFTER_MS", "60000"}});
  ASSERT_TRUE(running.WaitForText("taskbar: state auto-hide", kStartTimeout)) << running.Errors();

  qrv::test::StationProcess second(first, {{"QRV_EXIT_AFTER_MS", "100"}});
  EXPECT_NE(second.WaitForExit(kStartTimeout), 0);
  EXPECT_NE(second.Errors().find("[Error] Same PGM already execute!!!"), std::string::npos) << second.Errors();
  EXPECT_EQ(second.Errors().find("taskbar:"), std::string::npos) << "the refused copy opened no window";

  const std::string other = Station("B");
  qrv::test::StationProcess beside(other, {{"QRV_EXIT_AFTER_MS", "100"}});
  EXPECT_EQ(beside.WaitForExit(kStartTimeout), 0) << beside.Errors();
  EXPECT_NE(beside.Errors().find("taskbar: state always-on-top"), std::string::npos) << beside.Errors();
}

TEST_F(StartupTest, ALockThatCannotBeMadeIsReportedWithItsPathNotAsASecondCopy) {
  const std::string station = Station("A");
  ASSERT_FALSE(station.empty()) << "the built station is missing";
  const std::string runtime = dir.File("runtime");
  std::ofstream(runtime) << "a file where the runtime folder should be";
  qrv::test::StationProcess run(station, {{"XDG_RUNTIME_DIR", runtime}, {"QRV_EXIT_AFTER_MS", "100"}});
  EXPECT_NE(run.WaitForExit(kStartTimeout), 0);
  const std::string& errors = run.Errors();
  EXPECT_NE(errors.find("[Error] Cannot create the single-instance lock folder " + runtime + "/qrv-instance: " +
                        std::strerror(ENOTDIR)),
            std::string::npos)
      << errors;
  EXPECT_EQ(errors.find("Same PGM already execute!!!"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("taskbar:"), std::string::npos) << "the refused start opened no window";
}

}  // namespace
