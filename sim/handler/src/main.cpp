// handler_peer: drives a station through its handler link as a handler would, one site per server.
//   handler_peer [--host 127.0.0.1] --port <p> [--port <p> ...] [--tests <n>] [--timeout <ms>]
//                [--ack <class><letters>=silent|late:<ms>|ret0:<ms>] ...
// With n servers, server i tests sites i, i + n, ... in turn on board i, each module after the previous
// result and after a status inquiry that found the tester ready, all servers at once. The tester's requests are answered as a handler does; --ack makes
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
    else if (name == "--ack") {
      AckOption ack;
      if (!ParseAck(value, ack)) return false;
      options.acks.push_back(ack);
    } else return false;
  }
  return !options.ports.empty() && options.tests > 0;
}

constexpr int kSites = 8;

struct Tally {
  std::mutex lock;
  int pass = 0;
  int fail = 0;
  int missing = 0;
};

// One server's stream of modules; prints each result as it comes.
void TestServer(handler::HandlerPeer& peer, int server, int servers, const Options& options, Tally& tally) {
  for (int test = 0; test < options.tests; ++test) {
    for (int site = server; site < kSites; site += servers) {
      handler::StartOfTest start;
      start.site = site;
      start.usb = server;
      start.bcd = "BCD" + std::to_string(test);
      const auto result = peer.RunTest(start, options.timeoutMs);
      const std::lock_guard guard(tally.lock);
      if (!result) {
        std::printf("test %d site %c: no result: %s\n", test + 1, static_cast<char>('A' + site),
                    peer.LastFailure().c_str());
        ++tally.missing;
        continue;
      }
      const protocol::ProtocolPacket packet(*result);
      const std::string ret = protocol::GetPacketField(packet.Data(), "RET");
      std::printf("test %d site %c: RET=%s MSG=%s\n", test + 1, static_cast<char>('A' + site), ret.c_str(),
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
                 "usage: %s [--host h] --port p [--port p ...] [--tests n] [--timeout ms]"
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
