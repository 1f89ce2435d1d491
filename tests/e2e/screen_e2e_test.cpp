// The operator's screen in the middle of a run: a fresh station on the simulated-module model, eight sites on two
// simulated boards with too much current drawn on board 1, the handler peer testing modules on every site. Once every
// site has tested, the test program pictures the whole screen while sites still test: frames in every view, the
// Testing picture on the sites at work, Finish on the passed sites and Fail on the sites that drew too much.
// The same at the two screen sizes a station has.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "StationSetup.h"
#include "handler/handler_peer.h"
#include "port/ini.h"
#include "port/text.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kConnectMs;
using qrv::test::kResultMs;
using qrv::test::kServers;
using qrv::test::kSites;
constexpr int kModules = 4;

// Server i starts sites i and i + 4 in turn; the count of results it got.
int DriveServer(int server, int port) {
  handler::HandlerPeer peer;
  int results = 0;
  qrv::test::TestSiteModules(peer, server, port, kModules, [&](int, int, const std::string&) {
    ++results;
    return std::string();
  });
  return results;
}

// The site's line of the state report written with the picture.
std::string RunStateLine(const std::string& errors, char site) {
  const std::size_t start = errors.find(std::string("QRV test run state: site ") + site + " ");
  if (start == std::string::npos) return {};
  return errors.substr(start, errors.find('\n', start) - start);
}

struct ScreenCase {
  const char* name;
  const char* size;
  const char* viewSize;  // where the station puts its main window on that screen
};

class StationScreenE2eTest : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(StationScreenE2eTest, MidRunEverySiteShowsItsFrameAndState) {
  const ScreenCase& c = GetParam();
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers));
  ASSERT_TRUE(qrv::test::PrepareSimModelStation(station, ports));
  // Where the station puts its window on that screen: a start applies the user layout, then the stored frame.
  const std::string controller = station + "/Ref/" + qrv::test::kSimModel + "/Controller.ini";
  for (const char* section : {"USER_INTERFACE", "USER_INIT"})
    ASSERT_TRUE(port::ini::WriteString(controller, section, "VIEW_SIZE", c.viewSize));
  const qrv::test::StationRegistry registry(dir);
  const char* screens = std::getenv("QRV_SCREENS_DIR");
  ASSERT_NE(screens, nullptr);
  std::filesystem::create_directories(screens);
  const std::string picture = std::string(screens) + "/" + c.name + ".png";
  std::filesystem::remove(picture);

  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_SIM_FAULTS", "over_current=1"},
                                                                             {"QRV_TEST_FINISH", "1"},
                                                                             {"QRV_TEST_RUN_SCREENSHOT", picture},
                                                                             {"QRV_TEST_SCREEN_SIZE", c.size},
                                                                             {"QRV_EXIT_AFTER_MS", "150000"}}));
  ASSERT_TRUE(run.Started());
  std::atomic<int> results = 0;
  qrv::test::DriveServers(run, kServers,
                          [&](int server) { results += DriveServer(server, ports[static_cast<std::size_t>(server)]); });
  run.WaitForExit(0ms);
  const std::string& errors = run.Errors();

  EXPECT_EQ(results.load(), kSites * kModules);
  ASSERT_NE(errors.find("QRV test run screenshot saved: " + picture), std::string::npos) << errors;
  EXPECT_TRUE(std::filesystem::exists(picture));
  int testing = 0, passed = 0, failed = 0;
  for (int site = 0; site < kSites; ++site) {
    const std::string line = RunStateLine(errors, static_cast<char>('A' + site));
    EXPECT_NE(line.find(" frame=1"), std::string::npos) << line;
    if (line.find(" picture=1 ") != std::string::npos) ++testing;
    else if (line.find("label=Finish picture=4 ") != std::string::npos) ++passed;
    else if (line.find(" picture=3 ") != std::string::npos && line.find("label= ") == std::string::npos) ++failed;
    else ADD_FAILURE() << "a state the run cannot show: " << line;
  }
  EXPECT_GE(testing, 2) << "the picture is taken while sites test";
  EXPECT_GE(passed, 1);
  EXPECT_GE(failed, 1);
  if (HasFailure()) ADD_FAILURE() << errors;
}

INSTANTIATE_TEST_SUITE_P(Screens, StationScreenE2eTest,
                         ::testing::Values(ScreenCase{"station_mid_run_1920x1080", "1920x1080", "1.0.0.1250.1050"},
                                           ScreenCase{"station_mid_run_1280x1024", "1280x1024", "1.0.0.610.1024"}),
                         [](const auto& info) { return std::string(info.param.size); });

}  // namespace
