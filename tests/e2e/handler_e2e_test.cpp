// The station from a copy of the built folder on simulated boards, driven through its handler link by the
// handler peer: a stream of modules on all eight sites, each start answered by exactly one result of the
// site it started, every run in the site's list log; and a handler that drops its link half way and comes back.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "StationRun.h"
#include "StationSetup.h"
#include "qrv_test/station_copy.h"
#include "handler/handler_peer.h"
#include "qrv_test/free_ports.h"
#include "port/clock.h"
#include "port/ini.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kConnectMs;
using qrv::test::kResultMs;
using qrv::test::kServers;
using qrv::test::kSites;
constexpr int kModulesPerSite = 50;

// The module a start names, so the result it echoes tells which site and which start it answers.
using qrv::test::ModuleCode;

struct Outcome {
  std::vector<std::string> failures;
  int passes = 0;
  int refusals = 0;
};

// One handler link: server i starts sites i and i + 4 in turn, each only after the previous result.
class ServerDriver {
 public:
  ServerDriver(int server, int port, int reconnectAfter)
      : server_(server), port_(port), reconnectAfter_(reconnectAfter) {}

  Outcome Run() {
    if (!peer_.Connect("127.0.0.1", port_, kConnectMs)) {
      outcome_.failures.push_back(port::Format("server %d: no connection on port %d", server_, port_));
      return outcome_;
    }
    for (int module = 0; module < kModulesPerSite && outcome_.failures.empty(); ++module) {
      if (module == reconnectAfter_ && !Reconnect()) break;
      for (const int site : {server_, server_ + kServers}) TestModule(site, module);
    }
    ExpectNothingMore();
    return outcome_;
  }

 private:
  bool Reconnect() {
    peer_.Close();
    if (peer_.Connect("127.0.0.1", port_, kConnectMs)) return true;
    outcome_.failures.push_back(port::Format("server %d: no reconnection", server_));
    return false;
  }

  void TestModule(int site, int module) {
    handler::StartOfTest start;
    start.site = site;
    start.usb = server_;  // the handler link takes board indexes 0 to 3
    start.bcd = ModuleCode(site, module);
    const std::optional<std::string> result = peer_.RunTest(start, kResultMs, &outcome_.refusals);
    if (!result) {
      outcome_.failures.push_back("no result for " + start.bcd + ": " + peer_.LastFailure());
      return;
    }
    const protocol::ProtocolPacket packet(*result);
    const std::string ret = protocol::GetPacketField(packet.Data(), "RET");
    const std::string bcd = protocol::GetPacketField(packet.Data(), "BCD");
    if (ret == "1" && bcd == start.bcd)
      ++outcome_.passes;
    else
      outcome_.failures.push_back("start " + start.bcd + " answered by " + *result);
  }

  // A duplicated result would arrive after the last one; wait a little for any.
  void ExpectNothingMore() {
    while (const std::optional<std::string> packet = peer_.ServeNext(300)) {
      if (protocol::ProtocolPacket(*packet).IsCommand('R', "RET"))
        outcome_.failures.push_back(port::Format("server %d: extra result ", server_) + *packet);
    }
  }

  const int server_;
  const int port_;
  const int reconnectAfter_;
  handler::HandlerPeer peer_;
  Outcome outcome_;
};

// How many test ends each site's test log file holds, by file.
std::vector<int> TestLogEnds(const std::string& station) {
  std::vector<int> ends;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(station + "/Log")) {
    if (entry.path().extension() != ".csv" || entry.path().parent_path().string().find("/PlatformLog/") ==
                                                   std::string::npos)
      continue;
    std::ifstream file(entry.path());
    int count = 0;
    for (std::string line; std::getline(file, line);)
      if (line.find(", Test Start Time,") != std::string::npos) ++count;
    ends.push_back(count);
  }
  return ends;
}

class HandlerE2eTest : public ::testing::TestWithParam<int> {};

TEST_P(HandlerE2eTest, EveryStartOnEverySiteGetsItsOneResult) {
  const int reconnectAfter = GetParam();
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  ASSERT_TRUE(qrv::test::CopyBuiltStation(station)) << "the built station is missing";
  const qrv::test::StationRegistry registry(dir);
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  ASSERT_EQ(ports.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
  ASSERT_TRUE(qrv::test::WriteHandlerPorts(station + "/Ref/Init_Model/Protocol.ini", ports));

  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_EXIT_AFTER_MS", "240000"}}));
  ASSERT_TRUE(run.Started());

  const auto began = std::chrono::steady_clock::now();
  std::vector<Outcome> outcomes(kServers);
  qrv::test::DriveServers(run, kServers, [&](int server) {
    outcomes[server] = ServerDriver(server, ports[server], reconnectAfter).Run();
  });
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

  int passes = 0;
  int refusals = 0;
  for (const Outcome& outcome : outcomes) {
    for (const std::string& failure : outcome.failures) ADD_FAILURE() << failure;
    passes += outcome.passes;
    refusals += outcome.refusals;
  }
  std::printf("%d modules passed on %d sites in %.1f s (%d starts refused while the station was busy)\n", passes,
              kSites, seconds, refusals);
  EXPECT_EQ(passes, kSites * kModulesPerSite);
  run.WaitForExit(0ms);
  for (int site = 0; site < kSites; ++site) {
    const char name = static_cast<char>('A' + site);
    EXPECT_EQ(qrv::test::ListLogCount(station, name, port::Format("Receive START : Site - %d,", site)), kModulesPerSite)
        << "site " << name;
    EXPECT_EQ(qrv::test::ListLogCount(station, name, "---SendResultCode---0 "), kModulesPerSite) << "site " << name;
  }
  EXPECT_EQ(TestLogEnds(station), std::vector<int>(kSites, kModulesPerSite)) << "one test log file per site";
  if (HasFailure()) ADD_FAILURE() << run.Errors();
}

// Without a break, and with the handler dropping its link half way through and connecting again.
INSTANTIATE_TEST_SUITE_P(Handler, HandlerE2eTest, ::testing::Values(-1, kModulesPerSite / 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param < 0 ? std::string("Steady") : std::string("Reconnecting");
                         });

// The handler's standby-offset request reaches the hardware library, which measures both offsets of every
// channel on the simulated board, stores them in the machine-wide file and answers 1.
TEST(HandlerStandbyOffsetE2eTest, RequestAnswersOneAndStoresTheOffsets) {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  ASSERT_TRUE(qrv::test::CopyBuiltStation(station)) << "the built station is missing";
  const qrv::test::ScopedEnv registryEnv("QRV_REGISTRY_DIR", dir.File("registry"));
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(1);
  ASSERT_EQ(ports.size(), 1u) << "no free loopback ports";
  ASSERT_TRUE(qrv::test::WriteHandlerPorts(station + "/Ref/Init_Model/Protocol.ini", ports));
  qrv::test::StationProcess run(station, qrv::test::HeadlessStationEnv(dir, {{"QRV_EXIT_AFTER_MS", "120000"}}));
  ASSERT_TRUE(run.Started());
  handler::HandlerPeer peer;
  ASSERT_TRUE(peer.Connect("127.0.0.1", ports[0], kConnectMs));
  // The handler link may open before the hardware library has opened its boards: until then the request
  // is answered 0, so it is asked again for a while.
  std::optional<std::string> answer;
  for (int attempt = 0; attempt < 30; ++attempt) {
    ASSERT_TRUE(peer.SendCommand('H', "SBY", "@Para=2@Site=0@Usb=0"));
    answer = peer.WaitFor('H', "SBY", kResultMs);
    ASSERT_TRUE(answer.has_value()) << run.Errors();
    if (protocol::GetPacketField(protocol::ProtocolPacket(*answer).Data(), "RET") == "1") break;
    std::this_thread::sleep_for(1s);
  }
  EXPECT_EQ(protocol::GetPacketField(protocol::ProtocolPacket(*answer).Data(), "RET"), "1") << *answer;
  const std::string file = dir.File("drives") + "/d/TEST/Machine/Tester_MachineSpec.ini";
  for (const char* word : {"Standby", "Dynamic"}) {
    const std::string key = std::string("2_Current_") + word + "_Measure_offset_7";
    EXPECT_NE(port::ini::ReadString(file, "CURRENT_TEST", key.c_str(), "none"), "none") << key;
  }
  peer.Close();
  run.WaitForExit(0ms);
}

}  // namespace

