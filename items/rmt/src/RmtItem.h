#pragma once
// The item's state: settings, the two instrument links, and the worker that runs the settings window's jobs
// (relay scans, the aging loop, single readings, the board's initialisation and version). The window only
// starts jobs and is told of their progress; nothing it does waits on an instrument.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MyTcp.h"
#include "RmtSettings.h"
#include "port/event.h"

class CQRV_LoadMemory;

constexpr int kRmtPass = 0;
constexpr int kRmtNotReady = 3;
constexpr int kRmtNoReply = 100;

class RmtItem {
 public:
  enum class Job { kScan, kAgingScan, kReadData, kRelayInit, kRelayVersion };
  // How a job ended: a job that had nothing to ask, or no links to ask on, sent nothing.
  enum class Outcome { kDone, kNoReply, kNothingToDo, kNotConnected };

  // What a job has done so far; the last report of a job has done set.
  struct JobReport {
    Job job = Job::kScan;
    bool done = false;
    int step = 0;   // relay selections made in this job
    int steps = 0;  // selections the job makes when every one answers
    int channel = 0;
    int testPoint = 0;
    Outcome outcome = Outcome::kNoReply;  // done only
    float reading = 0.0f;   // kReadData
    std::string version;    // kRelayVersion
  };
  // Called on the worker; must only queue work for the screen.
  using Listener = std::function<void(const JobReport&)>;

  explicit RmtItem(CQRV_LoadMemory* record);
  // Stops and joins the worker, then closes the meter link and the relay link.
  ~RmtItem();
  RmtItem(const RmtItem&) = delete;
  RmtItem& operator=(const RmtItem&) = delete;

  // Connects both links (the links of an earlier call are closed first) and says how it went in message
  // boxes, shown with no lock held; 1 when both are connected.
  int CreateItemAndConnect();
  int OnTest();

  void SetListener(Listener listener);
  // Starts a job on the worker; false while one runs. agingCount: the passes of kAgingScan.
  bool StartJob(Job job, int agingCount = 1);
  bool Busy() const;
  // "Aging Start" then ends after the current pass.
  void StopAging() { aging_ = false; }
  // Waits for the worker's job to end (tests, and before the links are replaced).
  void WaitJob();
  int ScanPasses() const { return scanPasses_; }

  // The settings window's view of the settings: what it shows, and what its jobs use until the next test
  // run reads Test.ini again.
  RmtSettings Settings() const;
  void UseSettings(const RmtSettings& settings);
  bool LinksReady() const { return linksReady_; }

  std::string IniPath() const;

 private:
  void Log(const std::string& text) const;
  void RunJob(Job job, int agingCount, const RmtSettings& settings);
  void Report(const JobReport& report);
  // Channels outer, test points inner; measure false is the window's scan (switching only). step is told
  // of each selection.
  int ScanChannels(const RmtSettings& settings, bool measure, const std::function<void(int ch, int tp)>& step);

  CQRV_LoadMemory* record_;
  mutable std::mutex settingsLock_;
  RmtSettings settings_;
  std::mutex linkLock_;  // one exchange at a time on the links: a test run and a window job must not interleave
  std::unique_ptr<CMyTCP> relay_;
  std::unique_ptr<CMyTCP> meter_;
  std::atomic<bool> linksReady_{false};
  std::atomic<bool> aging_{false};
  std::atomic<bool> busy_{false};
  std::atomic<int> scanPasses_{0};
  // Set when the item is deleted: ends every pause between instrument exchanges at once.
  port::Event stopping_{port::Event::Reset::Manual};
  std::mutex listenerLock_;
  Listener listener_;
  std::thread worker_;
};
