// Wall time per module with eight sites testing at once against one site alone, on the simulated-module
// model (eight sites on four simulated boards). A station whose sites do not wait for each other shows a
// ratio near 1: each site reaches the module on its own channel of its board.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "handler/handler_peer.h"
#include "port/text.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kServers = 4;
constexpr int kModules = 20;
constexpr int kTimeoutMs = 30000;

// One handler link tests a module on each site it names: one site by a plain start, two by one dual start
// (the link answers once both have ended). False when no result came.
bool TestModules(handler::HandlerPeer& peer, const std::vector<int>& sites, int server, int module) {
  handler::StartOfTest start;
  start.site = sites.front();
  start.usb = sites.size() == 2 ? 0 : server;  // a dual start takes boards usb and usb + 1 (the item picks its own)
  start.bcd = port::Format("S%dM%03d", sites.front(), module);
  if (sites.size() == 2) start.extra = port::Format("@DUAL=1@DUAL_SITE_L=%d@DUAL_SITE_R=%d", sites[0], sites[1]);
  const auto result = peer.RunTest(start, kTimeoutMs);
  if (!result) std::fprintf(stderr, "server %d: no result for %s\n", server, start.bcd.c_str());
  return result.has_value();
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
  // The station copy is made from the build this benchmark belongs to.
  ::setenv("QRV_STATION_BUILD_DIR", QRV_STATION_DIR, 0);
  ::setenv("QRV_STATION_TEMPLATE_DIR", QRV_STATION_TEMPLATE, 0);
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  const std::vector<int> ports = qrv::test::FreeLoopbackPorts(kServers);
  if (ports.size() != kServers || !qrv::test::PrepareSimModelStation(station, ports)) {
    std::fprintf(stderr, "the built station or free ports are missing\n");
    return 1;
  }
  qrv::test::StationProcess run(station,
                                qrv::test::UserStartEnv(dir.File("home")),
                                qrv::test::StationProcess::Program::Shipped);
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
