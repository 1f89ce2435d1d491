// A station as a new user meets it, driven by the handler peer: ended by Ctrl-C or a service manager in the
// middle of a run, it closes in order and its logs and counts hold the last run; with an item library
// missing, every start the handler makes still gets its (failing) result.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "StationRun.h"
#include "StationSetup.h"
#include "handler/handler_peer.h"
#include "port/clock.h"
#include "port/ini.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/station_copy.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kServers;
using qrv::test::kConnectMs;
using qrv::test::kResultMs;
constexpr auto kCloseTimeout = 60s;

// A copy of the built station on simulated boards with its handler ports on free loopback ports.
class StationEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(qrv::test::CopyBuiltStation(station_)) << "the built station is missing";
    ports_ = qrv::test::FreeLoopbackPorts(kServers);
    ASSERT_EQ(ports_.size(), static_cast<std::size_t>(kServers)) << "no free loopback ports";
    ASSERT_TRUE(qrv::test::WriteHandlerPorts(ModelFile("Protocol.ini"), ports_));
  }

  std::unique_ptr<qrv::test::StationProcess> Start() const {
    return std::make_unique<qrv::test::StationProcess>(station_, qrv::test::HeadlessStationEnv(dir_));
  }

  std::string ModelFile(const std::string& name) const { return station_ + "/Ref/Init_Model/" + name; }

  // The lines of site A's list logs, in order.
  std::vector<std::string> ListLogOfSiteA() const {
    std::vector<std::string> lines;
    const std::filesystem::path folder = station_ + "/Log/ListLog";
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (name.size() < 6 || name.compare(name.size() - 6, 6, "_A.txt") != 0) continue;
      std::ifstream file(entry.path());
      for (std::string line; std::getline(file, line);) lines.push_back(line);
    }
    return lines;
  }

  int CountInSiteALog(const std::string& text) const {
    int count = 0;
    for (const std::string& line : ListLogOfSiteA())
      if (line.find(text) != std::string::npos) ++count;
    return count;
  }

  qrv::test::TempDir dir_;
  const std::string station_ = dir_.File("station");
  const qrv::test::StationRegistry registry_{dir_};
  std::vector<int> ports_;
};

handler::StartOfTest StartOnSiteA(int module) {
  handler::StartOfTest start;
  start.bcd = port::Format("M%03d", module);
  return start;
}

// Sends the start again while the station refuses it (its site is still finishing) until taken() holds.
template <typename Taken>
bool StartAccepted(handler::HandlerPeer& peer, const handler::StartOfTest& start, Taken taken) {
  constexpr int kPollMs = 20;
  const auto end = std::chrono::steady_clock::now() + 30s;
  bool send = true;
  while (std::chrono::steady_clock::now() < end) {
    if (send && !peer.SendStartOfTest(start)) return false;
    send = false;
    if (taken()) return true;
    if (const std::optional<std::string> answer = peer.ReadPacket(kPollMs)) {
      const protocol::ProtocolPacket received(*answer);
      send = received.Type() == 'A' && received.IsCommand('K', "SOT");
    }
  }
  return false;
}

TEST_F(StationEnd, SignalInTheMiddleOfARunClosesInOrderAndKeepsTheLastResult) {
  for (const int signal : {SIGINT, SIGTERM}) {
    const int totalBefore = std::atoi(port::ini::ReadString(ModelFile("Config.ini"), "LOT_COUNT_0", "TOTAL", "0").c_str());
    const int startsBefore = CountInSiteALog("Receive START : Site - 0,");
    const auto run = Start();
    ASSERT_TRUE(run->Started());
    handler::HandlerPeer peer;
    ASSERT_TRUE(peer.Connect("127.0.0.1", ports_[0], kConnectMs)) << run->Errors();
    const std::optional<std::string> first = peer.RunTest(StartOnSiteA(1), kResultMs);
    ASSERT_TRUE(first.has_value()) << run->Errors();

    ASSERT_TRUE(StartAccepted(peer, StartOnSiteA(2), [&] {
      run->WaitForText("\n\x01", 1ms);  // reads the station's standard error, so a full pipe never holds it up
      return CountInSiteALog("Receive START : Site - 0,") == startsBefore + 2;
    })) << run->Errors();
    run->Signal(signal);
    EXPECT_EQ(run->WaitForExit(kCloseTimeout), 0) << "signal " << signal << ": " << run->Errors();
    EXPECT_NE(run->Errors().find(port::Format("Signal %d: the station closes in order", signal)), std::string::npos)
        << run->Errors();

    const int starts = CountInSiteALog("Receive START : Site - 0,") - startsBefore;
    EXPECT_EQ(starts, 2) << "signal " << signal;
    EXPECT_EQ(CountInSiteALog("Platform Thread END -> SITE : 0,"), CountInSiteALog("Receive START : Site - 0,"))
        << "every run that started ended in the log, signal " << signal;
    EXPECT_EQ(CountInSiteALog("---SendResultCode---"), CountInSiteALog("Receive START : Site - 0,"))
        << "every run's result is in the log, signal " << signal;
    EXPECT_EQ(port::ini::ReadString(ModelFile("Config.ini"), "LOT_COUNT_0", "TOTAL", "<missing>"),
              std::to_string(totalBefore + starts))
        << "the lot count holds the last run, signal " << signal;
    EXPECT_EQ(port::ini::ReadString(ModelFile("Config.ini"), "SITE", "site", "<missing>"), "8")
        << "Config.ini is whole";
  }
}

TEST_F(StationEnd, EveryStartGetsAFailingResultWhenAnItemLibraryIsMissing) {
  std::filesystem::remove(station_ + "/Dll/InitMemoryItem.dll");
  const auto run = Start();
  ASSERT_TRUE(run->Started());
  handler::HandlerPeer peer;
  ASSERT_TRUE(peer.Connect("127.0.0.1", ports_[0], kConnectMs)) << run->Errors();
  for (int module = 0; module < 3; ++module) {
    const std::optional<std::string> result = peer.RunTest(StartOnSiteA(module), kResultMs);
    ASSERT_TRUE(result.has_value()) << "start " << module << " got no result: " << run->Errors();
    const protocol::ProtocolPacket packet(*result);
    EXPECT_NE(protocol::GetPacketField(packet.Data(), "RET"), "1") << *result;
  }
  EXPECT_EQ(CountInSiteALog("DLL load fail. Can not start test !!!"), 3);
  EXPECT_EQ(CountInSiteALog("---SendResultCode----2 "), 3);
  run->Signal(SIGTERM);
  EXPECT_EQ(run->WaitForExit(kCloseTimeout), 0) << run->Errors();
}

}  // namespace
