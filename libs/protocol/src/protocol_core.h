#pragma once
// The library's state behind its windows: owns the four protocol servers and the function table, reads the server
// settings of the model's Protocol.ini and starts the servers on the thread that creates it (the UI thread).
#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "debug_sequence.h"
#include "listen_socket.h"
#include "status_lists.h"
#include "mes_grids.h"

namespace protocol {

inline constexpr int kServerCount = 4;

// The chart check boxes, read by test threads at each chart move.
struct ChartOptions {
  std::atomic<bool> xInverse{false};
  std::atomic<bool> yInverse{false};
  std::atomic<bool> xyChange{false};
};

class ProtocolCore {
 public:
  ProtocolCore(CQRV_LoadMemory* record, ModuleHandle module);
  ~ProtocolCore();
  ProtocolCore(const ProtocolCore&) = delete;
  ProtocolCore& operator=(const ProtocolCore&) = delete;

  ProtocolFunctionTable* Table() const { return table_.get(); }
  CQRV_LoadMemory* Record() const { return record_; }
  const ChartOptions& Chart() const { return chart_; }
  MesGrids& Mes() { return mes_; }
  AckMonitor& Monitor() { return *monitor_; }
  DebugSequences& Sequences() { return *sequences_; }

  // Starts server index on the port text with the site code, in place of a server of that index that runs.
  // An empty port or site code does nothing. A port text that is no port number or a port that cannot be
  // taken leaves the server closed and goes to its status list, standard error and the platform error log;
  // where a server listens goes to its status list and its site's log.
  void CreateProtocolServer(int server, const std::string& portText, const std::string& siteCode);
  // "Server Close": closes the server's connection and listening socket and ends its worker. The line
  // stays, so the values and records the test items hold stay valid.
  void CloseServer(int server);
  // Closes every server; the table's entries then give their failure values until servers start again.
  void CloseServers();
  // The server's line while it is open; otherwise null, with a status line for servers 0 to 3. Any thread.
  std::shared_ptr<ServerLine> IsServerCreated(int server);

  void AppendServerStatus(int server, const std::string& text);
  std::deque<std::string> ServerStatus(int server) const;
  void ClearServerStatus();
  // Called after a status line was added or the lists cleared (any thread).
  void SetStatusChanged(std::function<void()> changed);
  // Called when an entry finds its server closed, so the dialog can come to the front (any thread).
  void SetServerMissing(std::function<void()> missing);

  // The settings the dialog shows and "Save" writes.
  struct ServerRow {
    std::string port, tester;
  };
  struct FtpSettings {
    std::string ip, account, password, port;
  };
  ServerRow ServerSettings(int server) const { return rows_.at(static_cast<std::size_t>(server)); }
  void SetServerSettings(int server, ServerRow row);
  const FtpSettings& Ftp() const { return ftp_; }
  void SetFtp(FtpSettings ftp) { ftp_ = std::move(ftp); }
  bool IsServerOpen(int server) const;
  bool IsDebugMode() const { return debugMode_; }
  bool PacketSave() const { return packetSave_; }
  void SetPacketSave(bool on);
  bool SimulationMode() const { return simulationMode_.load(); }
  void SetSimulationMode(bool on) { simulationMode_ = on && debugMode_; }
  ChartOptions& ChartSettings() { return chart_; }
  // Writes Protocol.ini: options, FTP, server rows and the simulation sequences.
  void SaveSettings() const;
  // Hands the text to the server as if the handler had sent it: the same framing, checks and refusals.
  void InjectPacket(int server, const std::string& text);
  const std::string& IniPath() const { return ini_; }

 private:
  void LoadSettings();
  std::shared_ptr<ServerLine> LineOf(int server, char siteCode);
  void ReportSetUpFault(int server, const std::string& text);

  CQRV_LoadMemory* const record_;
  std::unique_ptr<ProtocolFunctionTable> table_;
  std::atomic<bool> simulationMode_{false};
  bool packetSave_ = false;
  std::shared_ptr<DebugSequences> sequences_ = std::make_shared<DebugSequences>();
  std::shared_ptr<AckMonitor> monitor_ = std::make_shared<AckMonitor>();
  ChartOptions chart_;
  MesGrids mes_;
  // The sockets live on the UI thread; the lines that test threads reach are published under serversMutex_.
  std::array<std::unique_ptr<CListenSocket>, kServerCount> servers_;
  mutable std::mutex serversMutex_;
  std::array<std::shared_ptr<ServerLine>, kServerCount> lines_;
  std::array<bool, kServerCount> open_{};
  std::function<void()> serverMissing_;  // under serversMutex_
  std::shared_ptr<StatusLists> status_ = std::make_shared<StatusLists>();
  std::string ini_;
  bool debugMode_ = false;
  std::array<ServerRow, kServerCount> rows_;
  FtpSettings ftp_;
};

// Fills slot 0 with the module and slots 1..43 with the module's exports of those names; reports a
// missing module or missing entries in a message box and returns the table in every case.
ProtocolFunctionTable* LoadProtocolFunctionTable(ProtocolFunctionTable* table, ModuleHandle module);

}  // namespace protocol
