#pragma once
// The runner of one site: the current run's identity, a start that arrived during a run, and four workers
// (item loop, elapsed-time display, jump to item, re-run), each waiting on its own auto-reset event.
// The destructor stops and joins every worker; the item loop finishes the item it is running first.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "ErrorCodeTable.h"
#include "SiteModel.h"
#include "SiteRunHost.h"
#include "TimeCounter.h"
#include "port/event.h"

class CQRV_LoadMemory;
class ItemLibraryMap;

class CTestThread {
 public:
  CTestThread(SiteRunHost& owner, CQRV_LoadMemory& record, const ItemLibraryMap& items, SiteModel& model,
              int usb, int site);
  ~CTestThread();
  CTestThread(const CTestThread&) = delete;
  CTestThread& operator=(const CTestThread&) = delete;

  // A start with identity (handler, START commands): an idle site starts with it; a running site keeps it
  // as pending and runs once more after the current run. Never lost.
  void StartSite(int usb, int server);
  // A start without identity (Start button, keypad, "Site Test"): keeps the current USB index and server;
  // dropped while the site runs.
  void Start();
  // Runs the first row of the site's list whose "Item" equals name once the site is idle.
  void RequestJump(const std::string& itemName);
  // The handler's test data for the next run's log.
  void SetTestData(int para, const std::string& barcode);

  // The single-item test: takes the running flag only when the site is idle.
  bool TryBeginSingleItem();
  void EndSingleItem();

  // Ends and joins the site's workers; a running item finishes first and its run reports as usual.
  void Stop();

  // One item's OnTest through the registry, or its load status when not 0.
  int RunItem(const std::string& dllName);
  void AppendItemTimeLog(const std::string& dllName, const std::string& elapsedMs);

  // A start taken but not yet begun counts as running: a caller that would start the site again, or refuse
  // to change what it runs, must not slip in between.
  bool IsRunning() const { return m_bStartPending.load() || m_bRunning.load() != 0; }
  int RunCount() const { return m_nRunCount.load(); }
  void ResetRunCount() { m_nRunCount.store(0); }
  int LastResult() const { return m_nLastResult.load(); }
  int Usb() const { return m_nUsb.load(); }
  int Server() const { return m_nServer.load(); }
  int Site() const { return m_nSite; }
  SiteModel& Model() { return m_model; }

 private:
  struct RunState {
    int result = 0;
    bool pass = true;
    bool handlerStop = false;
    int stopRow = -1;
    // The item stopwatch also holds the run's start stamp.
    CTimeCounter itemWatch;
    CTimeCounter runWatch;
  };

  void TestLoopThread();
  void ElapsedTimeThread();
  void JumpToItemThread();
  void RerunThread();

  // The parts of one run (SiteItemLoop.cpp).
  void RunOnce();
  bool PreChecks();
  // The refused run's failure: shown on the view and the picture, and sent to the handler.
  void RefuseRun(int code, const std::string& text);
  void RefuseBoard();
  void BeginRun(RunState& run);
  void RunItems(RunState& run);
  int RunRow(int row, RunState& run, bool& endAfterRow);
  void ConcludeRun(RunState& run);
  void Finish();
  void ShowFinalState(const RunState& run, int finalRow);
  void RunCycleEnd();
  void CaptureItemImage(const std::string& item);

  void Log(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void SetLabel(const std::string& text) { m_model.SetLabel(text); }
  bool WaitWhileRunning(std::int64_t pollMs);
  bool ShuttingDown() const { return m_bShutdown.load(); }

  SiteRunHost& m_owner;
  CQRV_LoadMemory& m_memory;
  const ItemLibraryMap& m_items;
  SiteModel& m_model;
  const ErrorCodeTable m_errorCodes;

  std::atomic<int> m_bRunning{0};
  std::atomic<int> m_nRunCount{0};
  std::atomic<int> m_nLastResult{0};
  std::atomic<int> m_nPendingUsb;
  std::atomic<int> m_nUsb;
  const int m_nSite;
  std::atomic<int> m_nPendingServer{0};
  std::atomic<int> m_nServer{0};
  std::atomic<int> m_nPara;
  std::atomic<int> m_bElapsedStop{0};
  std::atomic<int> m_nJumpRow{0};
  std::atomic<int> m_bJumpPending{0};
  std::atomic<bool> m_bShutdown{false};

  // Guards the hand-over of a start: the decision idle/running, the start taken by the loop, and the strings.
  mutable std::mutex m_startLock;
  // Written under m_startLock; read without it only by IsRunning, so the loop sets m_bRunning before it
  // clears this.
  std::atomic<bool> m_bStartPending{false};
  std::string m_strBarcode;
  std::string m_strJumpItem;

  port::Event m_hStartEvent;
  port::Event m_hJumpEvent;
  port::Event m_hElapsedEvent;
  port::Event m_hRerunEvent;
  std::thread m_pLoopThread;
  std::thread m_pJumpThread;
  std::thread m_pElapsedThread;
  std::thread m_pRerunThread;
};
