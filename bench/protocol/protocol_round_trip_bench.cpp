// How much the station adds to a handler's start-of-test round trip: SOT in, ExportPlatformStart,
// SendResultCode and SendStatus at once, the result notice out; compared with a bare loopback echo of the
// same bytes. The counter "ratio" is station time over loopback time.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "handler/handler_peer.h"
#include "port/module.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

port::ModuleHandle g_library = nullptr;

int ListenLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 1);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return fd;
}

// Answers every whole packet with the same bytes, until the peer closes.
void EchoServer(int listener) {
  const int fd = ::accept(listener, nullptr, nullptr);
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  char block[4096];
  ssize_t got;
  while ((got = ::recv(fd, block, sizeof block, 0)) > 0) ::send(fd, block, static_cast<std::size_t>(got), MSG_NOSIGNAL);
  ::close(fd);
  ::close(listener);
}

// The station: a UI thread of its own running the library's sockets.
class Station {
 public:
  Station() {
    folder_ = std::filesystem::temp_directory_path() / ("protocol_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    int port = 0;
    ::close(ListenLoopback(port));
    port_ = port;
    std::ofstream(folder_ / "Protocol.ini") << "[PROTOCOL]\nPORT_A=" << port << "\n[SITE_CODE]\nTESTER_A=A\n";
    std::promise<void> ready;
    thread_ = std::thread([this, &ready] { Run(ready); });
    ready.get_future().wait();
  }
  ~Station() {
    QMetaObject::invokeMethod(app_, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    thread_.join();
    std::filesystem::remove_all(folder_);
  }
  int Port() const { return port_; }

 private:
  void Run(std::promise<void>& ready) {
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    app_ = &app;
    port::ui::InstallDispatcher();
    CQRV_LoadMemory record((folder_ / "missing").string());
    record.m_nSiteCount = 1;
    record.m_nPara = 1;
    port::CopyText(record.m_szModelPath, folder_.string());
    ModuleHandle module = g_library;
    reinterpret_cast<LoadProtocol_Fn>(port::FindSymbol(g_library, "Load_Protocol"))(&record, &module);
    ready.set_value();
    app.exec();
    reinterpret_cast<LoadOnDelete_Fn>(port::FindSymbol(g_library, "Load_OnDelete"))(&record);
  }
  std::filesystem::path folder_;
  int port_ = 0;
  QCoreApplication* app_ = nullptr;
  std::thread thread_;
};

void BM_StartOfTestToResult(benchmark::State& state) {
  g_library = port::LoadModule(QRV_PROTOCOL_LIBRARY);
  if (!g_library) return state.SkipWithError("QRV_Protocol.dll did not load");
  Station station;
  handler::HandlerPeer stationPeer;
  stationPeer.Connect("127.0.0.1", station.Port(), 5000);
  int echoPort = 0;
  std::thread echo(EchoServer, ListenLoopback(echoPort));
  handler::HandlerPeer echoPeer;
  echoPeer.Connect("127.0.0.1", echoPort, 5000);

  const std::string sot = handler::HandlerPeer::CommandPacket(1, 'K', "SOT", "@Site=0@Usb=0@Para=0@BCD=B@VCM=V");
  using Clock = std::chrono::steady_clock;
  Clock::duration stationTime{}, loopbackTime{};
  for (auto _ : state) {
    auto start = Clock::now();
    stationPeer.SendRaw(sot);
    if (!stationPeer.WaitFor('R', "RET", 5000)) return state.SkipWithError("no result");
    stationTime += Clock::now() - start;
    start = Clock::now();
    echoPeer.SendRaw(sot);
    echoPeer.ReadPacket(5000);
    loopbackTime += Clock::now() - start;
  }
  echoPeer.Close();
  echo.join();
  const double n = static_cast<double>(state.iterations());
  state.counters["station_us"] = std::chrono::duration<double, std::micro>(stationTime).count() / n;
  state.counters["loopback_us"] = std::chrono::duration<double, std::micro>(loopbackTime).count() / n;
  state.counters["ratio"] = state.counters["station_us"] / state.counters["loopback_us"];
}
BENCHMARK(BM_StartOfTestToResult)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

// The station that answers at once: the result and the ready status go back from the start call itself.
QRV_EXPORT int ExportPlatformStart(int, int, int server, int) {
  reinterpret_cast<prototable::SendResultCode_Fn>(port::FindSymbol(g_library, "SendResultCode"))(server, 0, "PASS");
  reinterpret_cast<prototable::SendStatus_Fn>(port::FindSymbol(g_library, "SendStatus"))(server);
  return 1;
}

BENCHMARK_MAIN();
