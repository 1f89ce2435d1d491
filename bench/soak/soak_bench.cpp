// A day's run in a few minutes: a copy of the built station on the simulated-module model, its own QRVBase.exe
// started as the README starts it (four simulated boards, headless, a fresh user's home), and the handler peer
// on the model's own four ports testing N modules on each of the eight sites, each start after the previous
// result of its link. Prints the results lost and duplicated (both must be 0), the start-to-result median, and
// the station's resident memory after warm-up and at the end with their ratio.
//   bench_soak [modules per site, default 400]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "SimModelStation.h"
#include "StationRun.h"
#include "handler/handler_peer.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "qrv_test/temp_dir.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kServers = 4;
constexpr int kSites = 8;
constexpr int kDefaultModules = 400;
constexpr int kTimeoutMs = 60000;

// The station's resident memory in MB from /proc/<pid>/status; 0 when it cannot be read.
double ResidentMb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

struct Tally {
  std::mutex lock;
  std::vector<double> milliseconds;  // start to result, one per answered start
  int lost = 0;
  int duplicated = 0;
  int foreign = 0;  // a result for no start of its link
};

// One handler link: sites `server` and `server + kServers` in turn, `modules` times each.
class Link {
 public:
  Link(int server, int port, Tally& tally) : server_(server), port_(port), tally_(tally) {}

  bool Connect() { return peer_.Connect("127.0.0.1", port_, kTimeoutMs); }

  // Tests module `module` on both sites of the link.
  void TestModule(int module) {
    for (const int site : {server_, server_ + kServers}) {
      handler::StartOfTest start;
      start.site = site;
      start.usb = server_;
      start.bcd = port::Format("S%dM%05d", site, module);
      const auto began = Clock::now();
      std::optional<std::string> result = peer_.RunTest(start, kTimeoutMs);
      while (result && Bcd(*result) != start.bcd) {
        Misplaced(*result);
        result = peer_.WaitFor('R', "RET", kTimeoutMs);
        if (result) peer_.Acknowledge(*result, "@RET=1");
      }
      std::lock_guard lock(tally_.lock);
      if (!result) {
        ++tally_.lost;
        continue;
      }
      answered_.insert(start.bcd);
      tally_.milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
    }
  }

  // Whatever result still comes after the last one is a duplicate or a stray.
  void Drain() {
    while (const std::optional<std::string> packet = peer_.ServeNext(2000)) {
      if (!protocol::ProtocolPacket(*packet).IsCommand('R', "RET")) continue;
      peer_.Acknowledge(*packet, "@RET=1");
      Misplaced(*packet);
    }
  }

 private:
  static std::string Bcd(const std::string& result) {
    return protocol::GetPacketField(protocol::ProtocolPacket(result).Data(), "BCD");
  }

  void Misplaced(const std::string& result) {
    std::lock_guard lock(tally_.lock);
    ++(answered_.count(Bcd(result)) != 0 ? tally_.duplicated : tally_.foreign);
  }

  const int server_;
  const int port_;
  Tally& tally_;
  handler::HandlerPeer peer_;
  std::set<std::string> answered_;
};

// The handler ports the model ships with, PORT_A first.
double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // the progress lines show as they come, into a file too
  const int modules = argc > 1 ? std::atoi(argv[1]) : kDefaultModules;
  if (modules < 2) {
    std::fprintf(stderr, "usage: bench_soak [modules per site, at least 2; default %d]\n", kDefaultModules);
    return 2;
  }
  // The station copy is made from the build this benchmark belongs to.
  ::setenv("QRV_STATION_BUILD_DIR", QRV_STATION_DIR, 0);
  ::setenv("QRV_STATION_TEMPLATE_DIR", QRV_STATION_TEMPLATE, 0);
  qrv::test::TempDir dir;
  const std::string station = dir.File("station");
  if (!qrv::test::PrepareUserSimModelStation(station)) {
    std::fprintf(stderr, "the built station is missing\n");
    return 1;
  }
  const std::vector<int> ports = qrv::test::SimModelPorts(station, kServers);
  qrv::test::StationProcess run(station,
                                qrv::test::UserStartEnv(dir.File("home")),
                                qrv::test::StationProcess::Program::Shipped);
  Tally tally;
  std::vector<std::unique_ptr<Link>> links;
  for (int server = 0; server < kServers; ++server)
    links.push_back(std::make_unique<Link>(server, ports[static_cast<std::size_t>(server)], tally));

  // Warm-up: the first tenth of the modules loads the items, brings the boards up and fills what a run keeps.
  const int warmUp = std::max(1, modules / 10);
  std::atomic<int> connected = 0;
  std::atomic<int> warm = 0;
  double warmMb = 0;
  const auto began = Clock::now();
  qrv::test::DriveServers(run, kServers, [&](int server) {
    Link& link = *links[static_cast<std::size_t>(server)];
    if (!link.Connect()) {
      std::fprintf(stderr, "no handler link on port %d\n", ports[static_cast<std::size_t>(server)]);
      return;
    }
    ++connected;
    for (int module = 0; module < modules; ++module) {
      if (module == warmUp && ++warm == kServers) warmMb = ResidentMb(run.Pid());
      if (server == 0 && module > 0 && module % std::max(1, modules / 8) == 0)
        std::printf("%5d modules per site: resident memory %7.1f MB\n", module, ResidentMb(run.Pid()));
      link.TestModule(module);
    }
    link.Drain();
  });
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  const double endMb = ResidentMb(run.Pid());
  run.Signal(SIGTERM);
  const int exitCode = run.WaitForExit(120s);
  if (connected != kServers) return 1;

  std::printf("modules: %d per site, %d starts in %.0f s\n", modules, modules * kSites, seconds);
  std::printf("results lost: %d, duplicated: %d, for no start: %d\n", tally.lost, tally.duplicated, tally.foreign);
  std::printf("start-to-result median: %.1f ms\n", Median(tally.milliseconds));
  std::printf("resident memory after warm-up (%d modules per site): %.1f MB, at the end: %.1f MB, end / warm-up: %.2f\n",
              warmUp, warmMb, endMb, warmMb > 0 ? endMb / warmMb : 0.0);
  if (exitCode != 0) std::fprintf(stderr, "the station ended with %d\n", exitCode);
  return tally.lost == 0 && tally.duplicated == 0 && tally.foreign == 0 && exitCode == 0 ? 0 : 1;
}
