// handler_peer: drives a station through its handler link as a handler would, one site per server.
//   handler_peer [--host 127.0.0.1] --port <p> [--port <p> ...] [--tests <n>] [--timeout <ms>] [--dual 1]
//                [--ack <class><letters>=silent|late:<ms>|ret0:<ms>] ...
// With n servers, server i tests sites i, i + n, ... in turn on board i, each module after the previous
// result and after a status inquiry that found the tester ready, all servers at once. With --dual 1 each start
// is a dual start of two neighbouring sites (A and B on boards 0 and 1, C and D on boards 2 and 3, E and F, G
// and H), server i starting pairs i, i + n, ... in turn, and the one result is the pair's. The tester's requests are answered as a handler does; --ack makes
// the answer to one kind of request go missing, come late, or come as RET 0 first. Each result is
// printed; the summary is the last line, and the exit code is 0 only when every test got a result.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "handler/handler_peer.h"
#include "protocol_packet.h"

namespace {

struct AckOption {
  std::string kind;  // class letter and three letters, "FFXY"
  handler::AckBehaviour behaviour;
};

struct Options {
  std::string host = "127.0.0.1";
  std::vector<int> ports;
  std::vector<AckOption> acks;
  int tests = 1;
  int timeoutMs = 60000;
  bool dual = false;
};

bool ParseAck(const std::string& text, AckOption& ack) {
  const std::size_t eq = text.find('=');
  if (eq != 4) return false;
  ack.kind = text.substr(0, 4);
  const std::string how = text.substr(5);
  const std::size_t colon = how.find(':');
  const std::string name = how.substr(0, colon);
  ack.behaviour.delayMs = colon == std::string::npos ? 0 : std::atoi(how.c_str() + colon + 1);
  using Kind = handler::AckBehaviour::Kind;
  if (name == "silent") ack.behaviour.kind = Kind::Silent;
  else if (name == "late") ack.behaviour.kind = Kind::Late;
  else if (name == "ret0") ack.behaviour.kind = Kind::RetZeroThenOne;
  else return false;
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--host") options.host = value;
    else if (name == "--port") options.ports.push_back(std::atoi(value));
    else if (name == "--tests") options.tests = std::atoi(value);
    else if (name == "--timeout") options.timeoutMs = std::atoi(value);
    else if (name == "--dual") options.dual = std::atoi(value) != 0;
    else if (name == "--ack") {
      AckOption ack;
      if (!ParseAck(value, ack)) return false;
      options.acks.push_back(ack);
    } else return false;
  }
  return !options.ports.empty() && options.tests > 0;
}

constexpr int kSites = 8;
constexpr int kBoards = 4;

// What one start names: a site, or the left site of a pair and its right neighbour.
struct Module {
  int site;
  int right;  // -1 for a single site
  int usb;
};

// The starts of server `server` of `servers`, in the order it makes them.
std::vector<Module> ServerModules(int server, int servers, bool dual) {
  std::vector<Module> modules;
  if (!dual) {
    for (int site = server; site < kSites; site += servers) modules.push_back({site, -1, server});
    return modules;
  }
  for (int pair = server; pair < kSites / 2; pair += servers)
    modules.push_back({2 * pair, 2 * pair + 1, 2 * pair % kBoards});
  return modules;
}

std::string SiteNames(const Module& module) {
  std::string names(1, static_cast<char>('A' + module.site));
  if (module.right >= 0) names += std::string("+") + static_cast<char>('A' + module.right);
  return names;
}

struct Tally {
  std::mutex lock;
  int pass = 0;
  int fail = 0;
  int missing = 0;
};

// One server's stream of modules; prints each result as it comes.
void TestServer(handler::HandlerPeer& peer, int server, int servers, const Options& options, Tally& tally) {
  const std::vector<Module> modules = ServerModules(server, servers, options.dual);
  for (int test = 0; test < options.tests; ++test) {
    for (const Module& module : modules) {
      handler::StartOfTest start;
      start.site = module.site;
      start.dualRight = module.right;
      start.usb = module.usb;
      start.bcd = "BCD" + std::to_string(test);
      const auto result = peer.RunTest(start, options.timeoutMs);
      const std::lock_guard guard(tally.lock);
      const std::string sites = SiteNames(module);
      if (!result) {
        std::printf("test %d site %s: no result: %s\n", test + 1, sites.c_str(), peer.LastFailure().c_str());
        ++tally.missing;
        continue;
      }
      const protocol::ProtocolPacket packet(*result);
      const std::string ret = protocol::GetPacketField(packet.Data(), "RET");
      std::printf("test %d site %s: RET=%s MSG=%s\n", test + 1, sites.c_str(), ret.c_str(),
                  protocol::GetPacketField(packet.Data(), "MSG").c_str());
      std::fflush(stdout);
      ret == "1" ? ++tally.pass : ++tally.fail;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--host h] --port p [--port p ...] [--tests n] [--timeout ms] [--dual 1]"
                 " [--ack CEXT=silent|late:ms|ret0:ms ...]\n",
                 argv[0]);
    return 2;
  }
  std::vector<handler::HandlerPeer> peers(options.ports.size());
  for (std::size_t i = 0; i < peers.size(); ++i) {
    if (!peers[i].Connect(options.host, options.ports[i], options.timeoutMs)) {
      std::fprintf(stderr, "cannot connect to %s:%d\n", options.host.c_str(), options.ports[i]);
      return 1;
    }
    for (const AckOption& ack : options.acks) peers[i].SetBehaviour(ack.kind[0], ack.kind.substr(1), ack.behaviour);
  }
  Tally tally;
  std::vector<std::thread> servers;
  const int count = static_cast<int>(peers.size());
  for (int i = 0; i < count; ++i)
    servers.emplace_back(TestServer, std::ref(peers[i]), i, count, std::cref(options), std::ref(tally));
  for (std::thread& server : servers) server.join();
  const int pass = tally.pass, fail = tally.fail, missing = tally.missing;
  std::printf("summary: tests %d pass %d fail %d no result %d\n", pass + fail + missing, pass, fail, missing);
  return missing == 0 ? 0 : 1;
}
