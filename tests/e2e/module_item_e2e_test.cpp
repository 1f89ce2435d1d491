// The whole road: a fresh station on the simulated-module model, eight sites on four simulated boards, the
// handler peer starting modules on every site. Every start gets one result; with a fault switched on for
// board 1, the sites on that board fail with the fault's own code and text, in the result and in their list
// log, while the sites on the other boards pass. A board that is dead from the start never opens: its handler
// link answers the status inquiry with the open error, so the handler starts none of its sites. A register
// script that does not switch the sensor's line CRC on fails every site, saying that the trailer is missing.
// Started as pairs of sites (dual starts), a pair with a site on the faulty board gets that site's code.

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "StationSetup.h"
#include "VelkaraSim.h"
#include "handler/handler_peer.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kSites;
using qrv::test::kServers;
using qrv::test::kConnectMs;
using qrv::test::kResultMs;
constexpr int kWidth = 640;  // the model's sensor
constexpr int kHeight = 480;
constexpr double kJpegLevels = 3.0;

// Sites A and E sit on board 0, B and F on board 1, and so on (the model's Sensor.ini): the boards of the
// handler links that start them.
int BoardOfSite(int site) { return site % 4; }
constexpr int kFaultyBoard = 1;

struct FaultCase {
  const char* name;
  const char* faults;  // QRV_SIM_FAULTS; every one of them hits board 1 only
  int modulesPerSite;
  int code;  // the handler code of the failing sites; 1 (pass) for the others
  const char* message;
  const char* siteLog;  // the line the item logs to each failing site
  const char* droppedScriptLine = "";  // taken out of the model's register script; then every site fails
  bool boardNeverOpens = false;  // the faulty board's link is in error, so its sites are never started
};

bool Faulty(const FaultCase& c, int site) {
  return c.code != 1 && (*c.droppedScriptLine || BoardOfSite(site) == kFaultyBoard);
}
bool NeverStarted(const FaultCase& c, int site) { return c.boardNeverOpens && BoardOfSite(site) == kFaultyBoard; }

// Rewrites the file without the lines that are exactly `line`; false when there was none.
bool DropLine(const std::string& file, const std::string& line) {
  std::ifstream in(file);
  std::string kept;
  bool dropped = false;
  for (std::string text; std::getline(in, text);) {
    if (text == line) dropped = true;
    else kept += text + "\n";
  }
  in.close();
  std::ofstream(file, std::ios::trunc) << kept;
  return dropped;
}

const FaultCase kCases[] = {
    {"NoFault", "", 20, 1, "PASS", ""},
    {"DeadBoard", "dead_board=1", 2, 102, "", "HW_INIT :: OPEN_DEVICE Error [USB ID : 1]", "", true},
    {"SensorNak", "sensor_nak=1", 2, 103, "Sensor register set fail", "[ModuleTest] Fail : Register set [REGISTER]"},
    {"CrcLines", "bad_crc_lines=5,77@1", 2, 106, "Line CRC fail", "[ModuleTest] Fail : CRC of 2 lines: 5 77"},
    {"OverCurrent", "over_current=1", 2, 108, "Current out of limit", "[ModuleTest] Fail : supply 1 draws "},
    {"NoCrcTrailer", "", 2, 106, "Line CRC fail",
     "[ModuleTest] Fail : the stream carries no line CRC trailer, none of its 480 lines ends in its CRC", "0x3100 0x01"},
};

struct Outcome {
  std::vector<std::string> failures;
  int results = 0;
};

// Every result must be the site's: a pass on the sound boards, the fault's code and text on board 1. The link
// of a board that never opened answers its first status inquiry with the open error.
Outcome DriveServer(int server, int port, const FaultCase& c) {
  Outcome outcome;
  handler::HandlerPeer peer;
  outcome.failures =
      qrv::test::TestSiteModules(peer, server, port, c.modulesPerSite, [&](int site, int module, const std::string& result) {
        ++outcome.results;
        const protocol::ProtocolPacket packet(result);
        const bool faulty = Faulty(c, site);
        const std::string wantRet = std::to_string(faulty ? c.code : 1);
        const std::string wantMsg = faulty ? c.message : "PASS";
        if (protocol::GetPacketField(packet.Data(), "RET") == wantRet &&
            protocol::GetPacketField(packet.Data(), "MSG") == wantMsg &&
            protocol::GetPacketField(packet.Data(), "BCD") == qrv::test::ModuleCode(site, module))
          return std::string();
        return "start " + qrv::test::ModuleCode(site, module) + " answered by " + result + ", expected RET=" + wantRet;
      });
  if (NeverStarted(c, server)) {
    const bool openError = outcome.failures.size() == 1 &&
                           outcome.failures[0].find("@RET=001@MSG=Hardware Open device Error") != std::string::npos;
    if (openError) outcome.failures.clear();
    else outcome.failures.push_back(port::Format("server %d: the dead board's link did not report it", server));
  }
  while (const std::optional<std::string> packet = peer.ServeNext(300)) {
    if (protocol::ProtocolPacket(*packet).IsCommand('R', "RET"))
      outcome.failures.push_back(port::Format("server %d: extra result ", server) + *packet);
  }
  return outcome;
}

// The site's view as the item saved it after its last module, in grey levels, top row first; empty when the
// picture is missing or not a JPEG of the sensor's size.
std::vector<unsigned char> SavedView(const std::string& station, char site, int width, int height) {
  std::ifstream file(station + "/Image capture/" + qrv::test::kSimModel + "/Site_" + site + ".jpg", std::ios::binary);
  const std::vector<unsigned char> jpeg((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  tjhandle tj = tjInitDecompress();
  int w = 0;
  int h = 0;
  int subsampling = 0;
  int colours = 0;
  std::vector<unsigned char> grey;
  if (tj != nullptr && !jpeg.empty() &&
      tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &w, &h, &subsampling, &colours) == 0 && w == width &&
      h == height) {
    grey.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    if (tjDecompress2(tj, jpeg.data(), jpeg.size(), grey.data(), w, 0, h, TJPF_GRAY, TJFLAG_ACCURATEDCT) != 0)
      grey.clear();
  }
  if (tj != nullptr) tjDestroy(tj);
  return grey;
}

// How far the picture lies from the simulator's 10-bit pattern reduced to 8 bits: the mean absolute difference
// per pixel. The picture went through JPEG, so a few levels are expected; another picture is tens of levels off.
double DistanceFromPattern(const std::vector<unsigned char>& grey, int width, int height) {
  double total = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int want = static_cast<int>(VelkaraSim_PatternSample(x, y, 10) >> 2);
      total += std::abs(want - grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]);
    }
  return total / (static_cast<double>(width) * height);
}

class ModuleItemE2eTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ModuleItemE2eTest, FaultySitesFailWithTheirCodeAndTheOthersPass) {
  const FaultCase& c = GetParam();
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
  ASSERT_TRUE(qrv::test::PrepareSimModelStation(station, ports)) << "the built station is missing";
  if (*c.droppedScriptLine) {
    const std::string script = station + "/Ref/" + qrv::test::kSimModel + "/Register.ini";
    ASSERT_TRUE(DropLine(script, c.droppedScriptLine)) << "no line " << c.droppedScriptLine << " in " << script;
  }
  const qrv::test::StationRegistry registry(dir);

  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_SIM_FAULTS", c.faults},
                                                                             {"QRV_EXIT_AFTER_MS", "150000"}}));
  ASSERT_TRUE(run.Started());

  std::vector<Outcome> outcomes(kServers);
  qrv::test::DriveServers(run, kServers, [&](int server) {
    outcomes[static_cast<std::size_t>(server)] = DriveServer(server, ports[static_cast<std::size_t>(server)], c);
  });

  int results = 0;
  for (const Outcome& outcome : outcomes) {
    for (const std::string& failure : outcome.failures) ADD_FAILURE() << failure;
    results += outcome.results;
  }
  int started = 0;
  for (int site = 0; site < kSites; ++site) started += NeverStarted(c, site) ? 0 : 1;
  EXPECT_EQ(results, started * c.modulesPerSite);
  run.WaitForExit(0ms);
  for (int site = 0; site < kSites; ++site) {
    const char name = static_cast<char>('A' + site);
    if (NeverStarted(c, site)) {
      EXPECT_EQ(qrv::test::ListLogCount(station, name, "---SendResultCode---"), 0) << "site " << name;
      if (site == kFaultyBoard) EXPECT_GE(qrv::test::ListLogCount(station, name, c.siteLog), 1) << "site " << name;
      continue;
    }
    const bool faulty = Faulty(c, site);
    const int code = faulty ? c.code : 0;
    EXPECT_EQ(qrv::test::ListLogCount(station, name, port::Format("---SendResultCode---%d ", code)), c.modulesPerSite)
        << "site " << name;
    if (faulty) {
      EXPECT_EQ(qrv::test::ListLogCount(station, name, c.siteLog), c.modulesPerSite) << "site " << name;
      continue;
    }
    EXPECT_EQ(qrv::test::ListLogCount(station, name, "[ModuleTest] Fail"), 0) << "site " << name;
    EXPECT_EQ(qrv::test::ListLogCount(station, name, "frames, every line's CRC good"), c.modulesPerSite) << "site " << name;
    const std::vector<unsigned char> view = SavedView(station, name, kWidth, kHeight);
    ASSERT_FALSE(view.empty()) << "no picture of site " << name << "'s view";
    EXPECT_LT(DistanceFromPattern(view, kWidth, kHeight), kJpegLevels) << "site " << name;
  }
  if (HasFailure()) ADD_FAILURE() << run.Errors();
}

INSTANTIATE_TEST_SUITE_P(Faults, ModuleItemE2eTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

const FaultCase& CaseNamed(std::string_view name) {
  for (const FaultCase& c : kCases)
    if (name == c.name) return c;
  return kCases[0];
}

// One handler link of dual starts: server s starts the pairs of neighbouring sites 2s, 2s + 1 and then
// 2s + kServers, 2s + kServers + 1, each pair on the boards of its two sites. A pair with a site on the faulty
// board must get the fault's code and text, whichever site of the two ends first; the other pairs pass.
Outcome DrivePairs(int server, int port, int modules, const FaultCase& fault) {
  Outcome outcome;
  handler::HandlerPeer peer;
  if (!peer.Connect("127.0.0.1", port, kConnectMs)) {
    outcome.failures.push_back(port::Format("server %d: no connection on port %d", server, port));
    return outcome;
  }
  for (int module = 0; module < modules && outcome.failures.empty(); ++module) {
    for (const int left : {2 * server, 2 * server + kServers}) {
      handler::StartOfTest start;
      start.site = left;
      start.dualRight = left + 1;
      start.usb = BoardOfSite(left);
      start.bcd = qrv::test::ModuleCode(left, module);
      const std::optional<std::string> result = peer.RunTest(start, kResultMs);
      if (!result) {
        outcome.failures.push_back("no result for " + start.bcd + ": " + peer.LastFailure());
        break;
      }
      ++outcome.results;
      const bool faulty = BoardOfSite(left) == kFaultyBoard || BoardOfSite(left + 1) == kFaultyBoard;
      const std::string want = port::Format("@RET=%d@MSG=%s@BCD=%s@", faulty ? fault.code : 1,
                                            faulty ? fault.message : "PASS", start.bcd.c_str());
      if (std::string(protocol::ProtocolPacket(*result).Data()).rfind(want, 0) != 0)
        outcome.failures.push_back("pair " + start.bcd + " answered by " + *result + ", expected " + want);
    }
  }
  while (const std::optional<std::string> packet = peer.ServeNext(300)) {
    if (protocol::ProtocolPacket(*packet).IsCommand('R', "RET"))
      outcome.failures.push_back(port::Format("server %d: extra result ", server) + *packet);
  }
  return outcome;
}

TEST(ModuleItemDualE2eTest, PairsWithASiteOnTheFaultyBoardGetItsCode) {
  constexpr int kModules = 3;
  constexpr int kPairServers = 2;
  const FaultCase& fault = CaseNamed("OverCurrent");
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
  ASSERT_TRUE(qrv::test::PrepareSimModelStation(station, ports)) << "the built station is missing";
  const qrv::test::StationRegistry registry(dir);
  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_SIM_FAULTS", fault.faults},
                                                                             {"QRV_EXIT_AFTER_MS", "150000"}}));
  ASSERT_TRUE(run.Started());

  std::vector<Outcome> outcomes(kPairServers);
  qrv::test::DriveServers(run, kPairServers, [&](int server) {
    outcomes[static_cast<std::size_t>(server)] =
        DrivePairs(server, ports[static_cast<std::size_t>(server)], kModules, fault);
  });
  for (const Outcome& outcome : outcomes) {
    for (const std::string& failure : outcome.failures) ADD_FAILURE() << failure;
    EXPECT_EQ(outcome.results, 2 * kModules);
  }
  run.WaitForExit(0ms);
  // Each site still reports its own code to the protocol library.
  for (int site = 0; site < kSites; ++site) {
    const char name = static_cast<char>('A' + site);
    const int code = BoardOfSite(site) == kFaultyBoard ? fault.code : 0;
    EXPECT_EQ(qrv::test::ListLogCount(station, name, port::Format("---SendResultCode---%d ", code)), kModules)
        << "site " << name;
  }
  if (HasFailure()) ADD_FAILURE() << run.Errors();
}

}  // namespace
