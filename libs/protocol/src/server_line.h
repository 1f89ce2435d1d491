#pragma once
// Everything a protocol server holds for its handler line that must outlive its sockets: the values of
// the last start of test, the tester state, the send path. The server's sockets (UI thread), its worker
// and the test threads share it through a shared_ptr, so closing a connection or a server never frees
// what another thread still uses.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "ProtocolFunctionTable.h"
#include "QRV_PlatformMemory.h"
#include "ack_monitor.h"
#include "debug_sequence.h"
#include "packet_log.h"
#include "status_lists.h"
#include "protocol_packet.h"
#include "tester_answers.h"

class QObject;

#include <cstdint>

namespace protocol {

inline constexpr std::chrono::milliseconds kSendTimeout{3000};
// Every packet is followed by this pause before the next leaves, so that a handler never gets two at once.
inline constexpr std::chrono::milliseconds kSendPause{10};
inline constexpr const char* kProtocolDebugKey = "Software\\QRV\\Platform\\SYSTEM\\";

enum TesterState : int { kTesterReady = 0, kTesterError = 1, kTesterWorking = 2 };

class ServerLine {
 public:
  ServerLine(int server, CQRV_LoadMemory* record, char siteCode);
  ServerLine(const ServerLine&) = delete;
  ServerLine& operator=(const ServerLine&) = delete;

  int Server() const { return server_; }
  CQRV_LoadMemory* Record() const { return record_; }
  // The tester's code in the packets it sends; a server created again may bring a new one.
  void SetSiteCode(char code) { siteCode_.store(code); }

  // The connection that sent packets go to; set and cleared on the UI thread. The line writes through a
  // descriptor of its own (a duplicate of the connection's), so a sender never waits for the UI thread
  // and never writes into a descriptor the connection has closed.
  void Attach(const QObject* connection, std::intptr_t descriptor);
  void Detach(const QObject* connection);
  ~ServerLine();

  // Builds and sends one packet; Commands and Notifies take the next sequence number, an Ack the ID
  // of its request. Without a connection nothing happens (no log, no sequence). Callable from any
  // thread; the send lock keeps the wire order the order of the IDs. A handler that stops reading holds
  // a sender for kSendTimeout at most from the first attempt, and the packet is then reported lost. A packet
  // leaves no sooner than kSendPause after the one before it.
  void SendPacket(PacketType type, char code, std::string_view ext, std::string_view data,
                  const ProtocolPacket* request = nullptr);
  void RestartSequence();

  // One line of the server's packet log and status list while "Packet Log Save" is on; any thread.
  void WritePacketLog(std::string_view text);
  std::shared_ptr<StatusLists> status;
  std::atomic<bool> packetSave{false};

  // A line to the log of the server's site (site 0 when that site is not configured).
  void Log(std::string_view text) const;
  void LogToSite(int site, std::string_view text) const;
  bool IsConfiguredSite(int site) const;
  // A command text ("STOP", "LOT_NUMBER,<lot>") to the site panel; returns once the UI thread took it.
  void SendCommandToPanel(const std::string& text) const;

  // Values of the last start of test, read by the test items without a lock.
  std::atomic<int> site;
  std::atomic<int> usbIndex;
  std::atomic<int> para;
  std::atomic<int> grrMode{0};
  std::atomic<int> testSequence{0};
  std::atomic<int> dual{0};
  std::atomic<int> firstStart{0};
  std::atomic<int> lastStart{0};
  std::atomic<float> distanceTarget{0.0f};
  std::atomic<float> distanceActual{0.0f};
  std::atomic<int> testCount{0};
  std::atomic<int> agingMode{0};
  std::atomic<int> userInsertBcd{0};
  std::atomic<int> foxLog{0};
  std::atomic<int> dualSiteLeft{0};
  std::atomic<int> dualSiteRight{0};
  BarCodeData barCode{};
  I1ProData i1Pro{};

  std::atomic<int> testerState{kTesterReady};
  std::atomic<int> pauseStatus{0};
  std::atomic<int> mesError{0};

  // Answers to the test items' requests, and the handler's MES data (read by the items through a
  // pointer, without a lock).
  TesterAnswers answers;
  MesRecord mes{};
  // Set when the server closes: requests waiting on it end at once.
  std::atomic<bool> closed{false};

  // The result of a dual start, cleared at its SOT: the pair's code when a test item set one, how many of
  // the pair have reported, the first report's code and message, and whether one side was refused (the pair
  // is then the started side alone).
  std::mutex resultMutex;
  std::optional<int> dualCode;
  int dualResultCount = 0;
  int dualFirstCode = 0;
  std::string dualMessage;
  bool dualSideRefused = false;
  int dualSequenceCount = 0;

  // The packet monitor's lists (shared by the four servers).
  std::shared_ptr<AckMonitor> monitor;
  void MarkMonitor(AckMonitor::List list) const;

  // Debug mode: the simulation sequences, the entries their rows call and the row of the last "Status".
  std::shared_ptr<DebugSequences> sequences;
  const ProtocolFunctionTable* table = nullptr;
  std::atomic<int> statusRow{0};
  // ProtocolDebug, read from the record at each call.
  bool IsDebugMode() const;
  // Runs the sequence of the site's letter against this server.
  void RunDebugSequence(int site);

 private:
  const int server_;
  CQRV_LoadMemory* const record_;
  void CloseDescriptor();

  PacketLog packetLog_;
  std::atomic<char> siteCode_;
  std::mutex sendMutex_;
  int sequence_ = 1;
  std::chrono::steady_clock::time_point nextSend_{};  // under sendMutex_
  const QObject* connection_ = nullptr;
  int descriptor_ = -1;
};

}  // namespace protocol
