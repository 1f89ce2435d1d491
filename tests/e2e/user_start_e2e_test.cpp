// The station as a user starts it by hand from the README: the built station folder with the simulated-module
// model chosen in its Config/QRV_Config.ini, its own QRVBase.exe on four simulated boards, headless, with nothing
// in the environment but that and a fresh user's home. The handler peer on the model's own ports gets a PASS
// for every module of every site.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "handler/handler_peer.h"
#include "protocol_packet.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;

namespace {

using qrv::test::kServers;
using qrv::test::kSites;
constexpr int kModulesPerSite = 5;

// The handler ports the model ships with, PORT_A first.
// Whether a server could listen on the port now; another program on it would fail the test for its own reason.
bool PortFree(int number) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(number));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return bound;
}

TEST(UserStartE2eTest, EveryModuleOfEverySitePassesThroughTheModelsOwnPorts) {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  ASSERT_TRUE(qrv::test::PrepareUserSimModelStation(station)) << "the built station is missing";
  const std::vector<int> ports = qrv::test::SimModelPorts(station, kServers);
  for (const int number : ports) ASSERT_TRUE(PortFree(number)) << "the model's handler port " << number << " is taken";

  qrv::test::StationProcess run(station,
                                qrv::test::UserStartEnv(dir.File("home")),
                                qrv::test::StationProcess::Program::Shipped);
  ASSERT_TRUE(run.Started());
  std::vector<std::vector<std::string>> failures(kServers);
  qrv::test::DriveServers(run, kServers, [&](int server) {
    handler::HandlerPeer peer;
    failures[static_cast<std::size_t>(server)] = qrv::test::TestSiteModules(
        peer, server, ports[static_cast<std::size_t>(server)], kModulesPerSite,
        [](int site, int module, const std::string& result) {
          const protocol::ProtocolPacket packet(result);
          if (protocol::GetPacketField(packet.Data(), "RET") == "1" &&
              protocol::GetPacketField(packet.Data(), "MSG") == "PASS" &&
              protocol::GetPacketField(packet.Data(), "BCD") == qrv::test::ModuleCode(site, module))
            return std::string();
          return "start " + qrv::test::ModuleCode(site, module) + " answered by " + result;
        });
  });
  run.Signal(SIGTERM);
  EXPECT_EQ(run.WaitForExit(60s), 0);
  for (const std::vector<std::string>& server : failures)
    for (const std::string& failure : server) ADD_FAILURE() << failure;
  for (int site = 0; site < kSites; ++site) {
    const char name = static_cast<char>('A' + site);
    EXPECT_EQ(qrv::test::ListLogCount(station, name, "frames, every line's CRC good"), kModulesPerSite) << name;
  }
  if (HasFailure()) ADD_FAILURE() << run.Errors();
}

}  // namespace
