// Wall time per module with eight sites testing at once against one site alone, on the simulated-module
// model (eight sites on two simulated boards). A station whose sites do not wait for each other shows a
// ratio near 1; sites that share a board take turns on it, so the model's four sites per board bound it.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "handler/handler_peer.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kServers = 4;
constexpr int kModules = 20;
constexpr int kTimeoutMs = 30000;

// One handler link: starts every site it names, then waits for all their results; false on a refusal or
// a missing result.
bool TestModules(handler::HandlerPeer& peer, const std::vector<int>& sites, int server, int module) {
  for (const int site : sites) {
    handler::StartOfTest start;
    start.site = site;
    start.usb = server;
    start.bcd = port::Format("S%dM%03d", site, module);
    if (!peer.SendStartOfTest(start)) return false;
  }
  std::size_t results = 0;
  while (results < sites.size()) {
    const std::optional<std::string> packet = peer.ReadPacket(kTimeoutMs);
    if (!packet) return false;
    const protocol::ProtocolPacket received(*packet);
    if (received.Type() == 'N' && received.IsCommand('R', "RET")) {
      peer.Acknowledge(*packet, "@RET=1");
      ++results;
    } else if (received.Type() == 'A' && received.IsCommand('K', "SOT")) {
      return false;
    } else if (received.Type() == 'C') {
      peer.Respond(*packet);
    }
  }
  return true;
}

// Seconds per module when each server tests its sites of `sitesOf` kModules times, all servers at once.
double SecondsPerModule(std::vector<handler::HandlerPeer>& peers, const std::map<int, std::vector<int>>& sitesOf,
                        int firstModule, bool* ok) {
  std::atomic<bool> good = true;
  const auto began = Clock::now();
  std::vector<std::thread> drivers;
  for (const auto& [server, sites] : sitesOf)
    drivers.emplace_back([&, server = server, sites = sites] {
      for (int module = 0; module < kModules && good; ++module)
        if (!TestModules(peers[static_cast<std::size_t>(server)], sites, server, firstModule + module)) good = false;
    });
  for (std::thread& driver : drivers) driver.join();
  *ok = good;
  return std::chrono::duration<double>(Clock::now() - began).count() / kModules;
}

}  // namespace

int main() {
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  if (ports.size() != kServers || !qrv::test::PrepareSimModelStation(station, QRV_SIM_MODULE_ITEM, ports)) {
    std::fprintf(stderr, "the built station, the item or free ports are missing\n");
    return 1;
  }
  qrv::test::StationProcess run(station, {{"QRV_SIM_BOARDS", "2"},
                                          {"QRV_SIM_CRC_TRAILER", "1"},
                                          {"QRV_REGISTRY_DIR", dir.File("registry")},
                                          {"QRV_DRIVE_ROOT", dir.File("drives")},
                                          {"QRV_HEADLESS", "1"},
                                          {"QT_QPA_PLATFORM", "offscreen"}});
  std::vector<handler::HandlerPeer> peers(kServers);
  for (int server = 0; server < kServers; ++server) {
    if (!peers[static_cast<std::size_t>(server)].Connect("127.0.0.1", ports[static_cast<std::size_t>(server)], 60000)) {
      std::fprintf(stderr, "no handler link on port %d\n", ports[static_cast<std::size_t>(server)]);
      return 1;
    }
  }
  // The station's standard error is drained all along, so that a full pipe never holds it up.
  std::atomic<bool> done = false;
  std::thread drain([&] {
    while (!done) run.WaitForText("\n\x01", 100ms);
  });
  bool ok = true;
  bool allOk = true;
  SecondsPerModule(peers, {{0, {0}}}, 0, &ok);  // the first module loads the item and brings the boards up
  const double one = SecondsPerModule(peers, {{0, {0}}}, 1000, &ok);
  const double eight =
      SecondsPerModule(peers, {{0, {0, 4}}, {1, {1, 5}}, {2, {2, 6}}, {3, {3, 7}}}, 2000, &allOk);
  done = true;
  drain.join();
  if (!ok || !allOk) {
    std::fprintf(stderr, "a start was refused or went unanswered\n");
    return 1;
  }
  std::printf("one site:    %8.2f ms per module\n", one * 1000);
  std::printf("eight sites: %8.2f ms per module on each site\n", eight * 1000);
  std::printf("eight sites / one site wall time per module: %.2f\n", eight / one);
  return 0;
}
