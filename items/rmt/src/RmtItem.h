#pragma once
// The item's state: settings, the two instrument links, and the dialog's relay-scan worker.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MyTcp.h"
#include "RmtSettings.h"

class CQRV_LoadMemory;

constexpr int kRmtPass = 0;
constexpr int kRmtNotReady = 3;
constexpr int kRmtNoReply = 100;

class RmtItem {
 public:
  explicit RmtItem(CQRV_LoadMemory* record);
  // Stops and joins the scan worker, then closes the meter link and the relay link.
  ~RmtItem();
  RmtItem(const RmtItem&) = delete;
  RmtItem& operator=(const RmtItem&) = delete;

  // Connects both links (the links of an earlier call are closed first); 1 when both are connected.
  int CreateItemAndConnect();
  int OnTest();

  // "Start" (aging false) and "Aging Start"; a scan already running is finished first.
  void StartRelayScan(bool aging, int agingCount);
  void StopAging() { aging_ = false; }
  void WaitRelayScan();
  int ScanPasses() const { return scanPasses_; }

  // The settings window's view of the settings: what it shows, and what its buttons use until the next
  // test run reads Test.ini again.
  RmtSettings Settings();
  void UseSettings(const RmtSettings& settings);
  bool LinksReady() const { return linksReady_; }
  // "Read Data": meter set-up and one reduced reading; false when the links are not ready or the meter
  // gave no reply.
  bool ReadData(float& value);
  // "RMT INIT" and "RMT Version"; the version is empty when the board did not answer.
  int RelayInitOnce();
  std::string RelayVersionText();

  std::string IniPath() const;

 private:
  void Log(const std::string& text) const;
  void RelayScanThread(int repetitions);
  int ScanChannels(bool measure);

  CQRV_LoadMemory* record_;
  RmtSettings settings_;
  std::mutex linkLock_;  // one exchange at a time on the links: a test run and a scan must not interleave
  std::unique_ptr<CMyTCP> relay_;
  std::unique_ptr<CMyTCP> meter_;
  std::atomic<bool> linksReady_{false};
  std::atomic<bool> aging_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<int> scanPasses_{0};
  std::thread scanWorker_;
};
