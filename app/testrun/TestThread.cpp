#include "TestThread.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "PlatformLoadlibrary.h"
#include "QRV_PlatformMemory.h"
#include "port/clock.h"
#include "port/text.h"
#include "port/thread_priority.h"
#include "port/thread_site.h"

namespace {
constexpr std::int64_t kElapsedPollMs = 200;
constexpr std::int64_t kJumpPollMs = 50;
constexpr std::int64_t kRerunPollMs = 100;
constexpr std::int64_t kRerunSettleMs = 300;
}  // namespace

CTestThread::CTestThread(SiteRunHost& owner, CQRV_LoadMemory& record, const ItemLibraryMap& items,
                         SiteModel& model, int usb, int site)
    : m_owner(owner),
      m_memory(record),
      m_items(items),
      m_model(model),
      m_errorCodes([&owner] { return owner.ErrorCodePath(); }),
      m_nPendingUsb(usb),
      m_nUsb(usb),
      m_nSite(site),
      m_nPara(usb) {
  m_pLoopThread = std::thread(&CTestThread::TestLoopThread, this);
  m_pJumpThread = std::thread(&CTestThread::JumpToItemThread, this);
  m_pElapsedThread = std::thread(&CTestThread::ElapsedTimeThread, this);
  m_pRerunThread = std::thread(&CTestThread::RerunThread, this);
}

CTestThread::~CTestThread() { Stop(); }

void CTestThread::Stop() {
  // The flag goes first: a worker that resets its event after this sees it before it waits again.
  m_bShutdown.store(true);
  m_bElapsedStop.store(1);
  for (port::Event* event : {&m_hStartEvent, &m_hJumpEvent, &m_hElapsedEvent, &m_hRerunEvent}) event->Set();
  for (std::thread* worker : {&m_pLoopThread, &m_pJumpThread, &m_pElapsedThread, &m_pRerunThread})
    if (worker->joinable()) worker->join();
}

void CTestThread::Log(const char* format, ...) const {
  if (m_memory.SetLog == nullptr) return;
  std::va_list args;
  va_start(args, format);
  const std::string text = port::FormatV(format, args);
  va_end(args);
  m_memory.SetLog(m_nSite, "%s", text.c_str());
}

void CTestThread::StartSite(int usb, int server) {
  std::lock_guard lock(m_startLock);
  m_memory.SetSiteStopFlag(m_nSite, 0);
  if (m_bRunning.load() != 0 || m_bStartPending) {
    m_nPendingServer.store(server);
    m_nPendingUsb.store(usb);
    Log("Platform working... Start Command thrad change...");
    m_hRerunEvent.Set();
    return;
  }
  m_nServer.store(server);
  m_nUsb.store(usb);
  m_bStartPending = true;
  m_hStartEvent.Set();
}

void CTestThread::Start() {
  std::lock_guard lock(m_startLock);
  if (m_bRunning.load() != 0) return;
  m_bStartPending = true;
  m_hStartEvent.Set();
}

void CTestThread::RequestJump(const std::string& itemName) {
  {
    std::lock_guard lock(m_startLock);
    m_strJumpItem = itemName;
  }
  m_hJumpEvent.Set();
}

void CTestThread::SetTestData(int para, const std::string& barcode) {
  std::lock_guard lock(m_startLock);
  m_nPara.store(para);
  m_strBarcode = barcode;
}

bool CTestThread::TryBeginSingleItem() {
  std::lock_guard lock(m_startLock);
  if (m_bStartPending) return false;
  int idle = 0;
  return m_bRunning.compare_exchange_strong(idle, 1);
}

void CTestThread::EndSingleItem() {
  std::lock_guard lock(m_startLock);
  m_bRunning.store(0);
}

bool CTestThread::WaitWhileRunning(std::int64_t pollMs) {
  while (!ShuttingDown()) {
    {
      std::lock_guard lock(m_startLock);
      if (m_bRunning.load() == 0 && !m_bStartPending) return true;
    }
    port::clock::SleepMs(pollMs);
  }
  return false;
}

void CTestThread::TestLoopThread() {
  port::RaiseThreadPriority();
  // The End cycle's power-down runs here besides the items: it too must reach this site's own channel.
  const port::ThreadSiteScope forSite(m_nSite);
  while (!ShuttingDown()) {
    m_hStartEvent.Wait();
    if (ShuttingDown()) return;
    {
      std::lock_guard lock(m_startLock);
      m_bRunning.store(1);
      m_bStartPending = false;
    }
    m_nRunCount.fetch_add(1);
    RunOnce();
  }
}

void CTestThread::ElapsedTimeThread() {
  CTimeCounter watch;
  while (!ShuttingDown()) {
    m_hElapsedEvent.Wait();
    if (ShuttingDown()) return;
    watch.SetTimeStamp();
    watch.Start();
    do {
      port::clock::SleepMs(kElapsedPollMs);
      const double seconds = std::atof(watch.GetElapsedText().c_str()) / 1000.0;
      m_model.SetTimeText(port::Format("Now\n%.1f s", seconds));
    } while (m_bElapsedStop.load() == 0 && !ShuttingDown());
    m_hElapsedEvent.ResetEvent();
  }
}

void CTestThread::JumpToItemThread() {
  const port::ThreadSiteScope forSite(m_nSite);
  while (!ShuttingDown()) {
    m_hJumpEvent.Wait();
    if (ShuttingDown() || !WaitWhileRunning(kJumpPollMs)) return;
    std::string wanted;
    {
      std::lock_guard lock(m_startLock);
      wanted = m_strJumpItem;
    }
    const std::vector<ItemRow> rows = m_model.Rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
      if (rows[row].item != wanted) continue;
      std::lock_guard lock(m_startLock);
      m_nJumpRow.store(static_cast<int>(row));
      m_bJumpPending.store(1);
      m_bStartPending = true;
      m_hStartEvent.Set();
      break;
    }
    m_hJumpEvent.ResetEvent();
  }
}

void CTestThread::RerunThread() {
  while (!ShuttingDown()) {
    m_hRerunEvent.Wait();
    bool started = false;
    while (!started) {
      if (ShuttingDown() || !WaitWhileRunning(kRerunPollMs)) return;
      port::clock::SleepMs(kRerunSettleMs);
      if (ShuttingDown()) return;
      std::lock_guard lock(m_startLock);
      // Another start may have taken the site during the settle time: wait for that run too.
      if (m_bRunning.load() != 0 || m_bStartPending) continue;
      m_nUsb.store(m_nPendingUsb.load());
      m_nServer.store(m_nPendingServer.load());
      m_bStartPending = true;
      m_hRerunEvent.ResetEvent();
      m_hStartEvent.Set();
      started = true;
    }
  }
}

int CTestThread::RunItem(const std::string& dllName) {
  return m_items.RunOnTest(dllName, m_nUsb.load(), m_nSite, m_model.LotTotal(), m_nServer.load());
}

void CTestThread::AppendItemTimeLog(const std::string& dllName, const std::string& elapsedMs) {
  if (dllName == "Pelio_INIT.dll") return;
  const port::clock::LocalTime now = port::clock::NowLocal();
  const std::filesystem::path folder = std::filesystem::path(m_owner.ListLogFolder()) / "Log" / "ListLogTime" /
                                       port::Format("%04d", now.year) / port::Format("%02d", now.month);
  if (m_memory.DirectoryCreate != nullptr) {
    m_memory.DirectoryCreate(folder.c_str());
  } else {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  const std::filesystem::path file = folder / port::Format("%d.txt", m_nSite);
  // Nobody reads this log: a file that cannot be opened loses its line without a word.
  std::FILE* out = std::fopen(file.c_str(), "ab");
  if (out == nullptr) return;
  std::fprintf(out, "%s\r\n", elapsedMs.c_str());
  std::fclose(out);
}
