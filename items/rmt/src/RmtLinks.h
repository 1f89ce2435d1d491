#pragma once
// The relay board and meter exchanges of one test. Every wait is bounded on the station clock.
#include <functional>
#include <string>

#include "MyTcp.h"
#include "RelayFrame.h"
#include "RmtSettings.h"
#include "port/event.h"

constexpr int kReplyTimeoutMs = 5000;

class RmtLinks {
 public:
  using Logger = std::function<void(const std::string&)>;

  // stop, when given, ends a pause or a wait for a reply early (the item is being deleted).
  RmtLinks(CMyTCP& relay, CMyTCP& meter, const RmtSettings& settings, Logger log, port::Event* stop = nullptr)
      : relay_(relay), meter_(meter), settings_(settings), log_(std::move(log)), stop_(stop) {}

  // 1 when the board answered, 0 after the time-out.
  int RelayInit();
  int RelaySelect(int channel, int testPoint);
  int RelayVersion();
  const std::string& VersionText() const { return version_; }

  int MeterSetup();
  // False when a reading got no reply in time; value is then 0.
  bool MeasureResistance(float& value);

 private:
  bool SendRelay(const RelayFrame& frame);
  // Waits for the board's reply on the clock; false after kReplyTimeoutMs.
  bool AwaitRelayReply(int pauseMs);
  bool Stopped() const { return stop_ != nullptr && stop_->IsSet(); }
  // Sleeps, or returns early once stopped.
  void Pause(int ms) const;
  void CheckReply(const RelayFrame& expected);
  void SendMeterLine(const std::string& line);
  bool ReadMeter(std::string& text);

  CMyTCP& relay_;
  CMyTCP& meter_;
  const RmtSettings& settings_;
  Logger log_;
  port::Event* const stop_;
  std::string version_;
};
