#pragma once
// The relay board and the resistance meter on two loopback TCP ports, for tests and manual runs.
// The board answers a switch frame with its 'B' reply, the version request with its version text and the
// initialisation with an echo; the meter answers ":FETCH?" with the next queued reading.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rmt_sim {

class RmtSim {
 public:
  // Ports 0 take free ones.
  RmtSim(int relayPort = 0, int meterPort = 0);
  ~RmtSim();
  RmtSim(const RmtSim&) = delete;
  RmtSim& operator=(const RmtSim&) = delete;

  bool ok() const { return relayListen_ >= 0 && meterListen_ >= 0; }
  int relayPort() const { return relayPort_; }
  int meterPort() const { return meterPort_; }

  // A silent instrument takes what it is sent and never answers.
  void SetRelaySilent(bool silent) { relaySilent_ = silent; }
  void SetMeterSilent(bool silent) { meterSilent_ = silent; }
  // A slow instrument: each answer of either instrument comes this long after what it answers.
  void SetReplyDelayMs(int ms) { replyDelayMs_ = ms; }
  // Held instruments keep their answers back until released, so a test can look at the station while an
  // exchange is under way for as long as it needs.
  void HoldReplies(bool hold);
  // Readings for ":FETCH?", in order; when none is left the last one repeats ("0" before any).
  void QueueReadings(const std::vector<std::string>& texts);

  std::vector<std::vector<std::uint8_t>> RelayFrames() const;
  std::vector<std::string> MeterLines() const;

 private:
  void Run();
  void ServeRelay(int& client);
  void ServeMeter(int& client);
  void Accept(int listen, int& client);
  void DelayReply() const;

  int relayListen_ = -1;
  int meterListen_ = -1;
  int relayPort_ = 0;
  int meterPort_ = 0;
  int relayClient_ = -1;
  int meterClient_ = -1;
  std::atomic<bool> relaySilent_{false};
  std::atomic<bool> meterSilent_{false};
  std::atomic<int> replyDelayMs_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex holdLock_;
  mutable std::condition_variable holdChanged_;
  bool held_ = false;
  mutable std::mutex lock_;
  std::vector<std::uint8_t> relayPending_;
  std::string meterPending_;
  std::vector<std::vector<std::uint8_t>> relayFrames_;
  std::vector<std::string> meterLines_;
  std::deque<std::string> readings_;
  std::string lastReading_ = "0";
  std::thread worker_;
};

}  // namespace rmt_sim
