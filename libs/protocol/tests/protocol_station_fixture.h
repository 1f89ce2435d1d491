#pragma once
// A station around the protocol library for tests: the UI thread is the test's main thread, the record
// is a real platform record with fake utility functions, the main program's exports are this test's own
// (defined in protocol_station_fixture.cpp), and the servers listen on loopback ports chosen at run time.
#include <gtest/gtest.h>

#include <QWidget>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "handler/handler_peer.h"

namespace protocol_test {

struct StartCall {
  int site, usb, server, overrideFlag;
  bool operator==(const StartCall&) const = default;
};

// What the fake main program saw.
struct FakeStation {
  std::mutex mutex;
  std::vector<StartCall> starts;
  std::vector<std::string> panelCommands;
  std::vector<std::string> logLines;
  std::vector<std::string> errorLogLines;  // the platform error log
  std::atomic<std::uint32_t> protocolDebug{0};  // the registry switch ProtocolDebug
  // Called by the fake ExportPlatformStart after recording the call (on the protocol worker).
  std::function<void(const StartCall&)> onStart;
  // What the fake ExportPlatformStart answers: a negative status is a refused start.
  std::atomic<int> startStatus{0};
  // A site whose starts the fake refuses whatever startStatus says; -1 for none.
  std::atomic<int> refusedSite{-1};

  std::vector<StartCall> Starts();
  std::vector<std::string> PanelCommands();
  bool LogHas(const std::string& text);
  int LogCount(const std::string& text);
  bool ErrorLogHas(const std::string& text);
};
FakeStation& Station();

class ProtocolStation : public testing::Test {
 protected:
  static constexpr int kServers = 4;
  static constexpr int kWaitMs = 5000;

  void SetUp() override;
  void TearDown() override;

  template <typename T>
  T Resolve(const char* name) {
    return reinterpret_cast<T>(Symbol(name));
  }
  void* Symbol(const char* name);
  // Unloads the dialog, writes Protocol.ini with these port texts for A to D (followed by moreSettings:
  // further [PROTOCOL] keys, then sections of their own) and these site codes, and loads it again.
  void ReloadWithPorts(const std::array<std::string, kServers>& ports, const std::string& moreSettings = "",
                       const std::array<std::string, kServers>& siteCodes = {"A", "B", "C", "D"});
  std::array<std::string, kServers> PortTexts() const;

  // Runs work on a thread of its own (a handler, a site) while the UI thread keeps serving the sockets.
  template <typename F>
  auto OnOtherThread(F work) -> decltype(work()) {
    auto future = std::async(std::launch::async, std::move(work));
    PumpUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return future.get();
  }
  bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs);
  // Connects a peer to server index.
  bool Connect(handler::HandlerPeer& peer, int server);
  // Sends a request and returns the tester's next packet (nullopt when none came in waitMs).
  std::optional<std::string> Request(handler::HandlerPeer& peer, const std::string& raw, int waitMs = kWaitMs);

  std::filesystem::path folder_;
  std::unique_ptr<CQRV_LoadMemory> record_;
  std::unique_ptr<QWidget> sitePanel_;
  std::array<int, kServers> ports_{};
  ProtocolFunctionTable* table_ = nullptr;
  void* module_ = nullptr;
};

}  // namespace protocol_test
