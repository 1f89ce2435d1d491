// The program's 15 exports, looked up by name as libraries and items do, against a recording site panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ExportedCallbacks.h"
#include "QRV_Exports.h"
#include "QRV_InterFace_SW.h"
#include "TestRunFixture.h"
#include "TestThread.h"
#include "port/module.h"
#include "port/text.h"

namespace {

template <typename Fn>
Fn FindExport(const char* name) {
  return reinterpret_cast<Fn>(port::FindProgramSymbol(name));
}
#define EXPORT(name) FindExport<QRV_EXPORT_FN(name)>(#name)

struct LogLine {
  int site;
  std::string text;
  bool operator==(const LogLine&) const = default;
};

void PrintTo(const LogLine& line, std::ostream* out) { *out << line.site << " \"" << line.text << '"'; }

// A site panel that records what the exports ask of it. Its configured sites have runners and models.
class RecordingPanel : public ExportTarget {
 public:
  RecordingPanel(TestStation& station, int sites) : m_station(station), m_host(station.ErrorCodePath()) {
    m_host.listLogFolder = station.Root();
    for (int site = 0; site < sites; ++site) {
      m_models.push_back(std::make_unique<SiteModel>());
      m_host.Register(site, {{"TestItemA.dll", 1}});
      m_host.SetModel(site, m_models.back().get());
    }
    for (int site = 0; site < sites; ++site)
      m_runners.push_back(
          std::make_unique<CTestThread>(m_host, station.Record(), station.Items(), *m_models[site], site, site));
  }

  CQRV_LoadMemory& Record() override { return m_station.Record(); }
  int SiteCount() override { return static_cast<int>(m_runners.size()); }
  CTestThread* Runner(int site) override {
    return site >= 0 && site < SiteCount() ? m_runners[site].get() : nullptr;
  }
  SiteModel* Model(int site) override { return site >= 0 && site < SiteCount() ? m_models[site].get() : nullptr; }
  void AddListLog(int site, std::string text) override {
    if (failing) throw std::runtime_error("list log failed");
    std::unique_lock lock(m_lock);
    m_log.push_back({site, std::move(text)});
    ++logCalls;
    m_changed.notify_all();
    m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return !holdLog; });
  }
  void SetOverride(int overrideFlag) override { Call("SetOverride " + std::to_string(overrideFlag)); }
  void SelectSiteTab(int site) override { Call("SelectSiteTab " + std::to_string(site)); }
  int StartSite(int site, int usb, int server) override {
    if (failing) throw std::runtime_error("start failed");
    Call("StartSite " + std::to_string(site) + " " + std::to_string(usb) + " " + std::to_string(server));
    return startStatus;
  }
  void SetFinishAfterPass() override { Call("SetFinishAfterPass"); }
  void StopAll() override {
    Call("StopAll");
    Record().SetStopButtonFlag(1);
  }
  int GetFpsDraw() override { return fpsDraw; }
  void DrawSiteLabel(int site) override { Call("DrawSiteLabel " + std::to_string(site)); }

  std::vector<std::string> Calls() {
    std::lock_guard lock(m_lock);
    return m_calls;
  }
  std::vector<LogLine> Log() {
    std::lock_guard lock(m_lock);
    return m_log;
  }
  void Clear() {
    std::lock_guard lock(m_lock);
    m_calls.clear();
    m_log.clear();
  }
  // Holds every AddListLog until Release(); WaitForLog waits (bounded) for the count of log calls.
  void Hold() {
    std::lock_guard lock(m_lock);
    holdLog = true;
  }
  void Release() {
    std::lock_guard lock(m_lock);
    holdLog = false;
    m_changed.notify_all();
  }
  bool WaitForLog(int count) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return logCalls >= count; });
  }
  CTestThread& RunnerOf(int site) { return *m_runners[site]; }
  SiteModel& ModelOf(int site) { return *m_models[site]; }
  FakeSiteHost& Host() { return m_host; }

  std::atomic<int> fpsDraw{0};
  std::atomic<int> startStatus{0};
  // The panel's list log and start throw.
  std::atomic<bool> failing{false};

 private:
  void Call(std::string text) {
    std::lock_guard lock(m_lock);
    m_calls.push_back(std::move(text));
  }

  TestStation& m_station;
  FakeSiteHost m_host;
  std::vector<std::unique_ptr<SiteModel>> m_models;
  std::vector<std::unique_ptr<CTestThread>> m_runners;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<std::string> m_calls;
  std::vector<LogLine> m_log;
  int logCalls = 0;
  bool holdLog = false;
};

class ExportedCallbacks : public ::testing::Test {
 protected:
  static constexpr int kSites = 3;

  ExportedCallbacks() : panel(station, kSites) {
    station.LoadItem("TestItemA.dll");
    SetExportTarget(&panel);
  }
  ~ExportedCallbacks() override { SetExportTarget(nullptr); }

  TestStation station;
  RecordingPanel panel;
};

using Strings = std::vector<std::string>;

TEST_F(ExportedCallbacks, SiteExportsReachTheirSite) {
  EXPORT(OnSiteDrawExe)(2);
  EXPECT_EQ(panel.Calls(), Strings{"DrawSiteLabel 2"});

  EXPORT(ExportPlatformMsg)(1, "Insert module");
  EXPECT_EQ(panel.ModelOf(1).Label(), "Insert module");
  EXPECT_NE(panel.ModelOf(0).Label(), "Insert module");

  panel.ModelOf(2).SetPicture(kPictureReady + 1);
  panel.Clear();
  EXPORT(SetSiteStatus)(2);
  EXPECT_EQ(panel.ModelOf(2).Picture(), kPictureReady);
  EXPECT_EQ(panel.ModelOf(2).Label(), "Ready");
  EXPECT_EQ(panel.Calls(), Strings{"SetFinishAfterPass"});

  station.ItemA().Script(1, {37});
  panel.RunnerOf(1).StartSite(1, 0);
  ASSERT_TRUE(panel.Host().WaitForRuns(1, 1));
  EXPECT_NE(panel.RunnerOf(1).LastResult(), 0);
  EXPECT_EQ(EXPORT(GetTestErrorCode)(1), panel.RunnerOf(1).LastResult());
  EXPECT_EQ(EXPORT(GetTestErrorCode)(0), 0);
}

TEST_F(ExportedCallbacks, StationExportsReachThePanelAndTheRecord) {
  panel.fpsDraw = 5;
  EXPECT_EQ(EXPORT(GetFpsDraw)(), 1);
  panel.fpsDraw = 0;
  EXPECT_EQ(EXPORT(GetFpsDraw)(), 0);

  EXPORT(ExportPlatformStop)(7);
  EXPECT_EQ(station.Record().GetStopButtonFlag(), 1u);
  for (int site = 0; site < kSites; ++site) EXPECT_EQ(panel.ModelOf(site).Label(), "STOP") << site;
  EXPORT(InitStopFlagExe)();
  EXPECT_EQ(station.Record().GetStopButtonFlag(), 0u);
  EXPECT_EQ(panel.ModelOf(0).Label(), "STOP");

  int hardwareModule = 0;
  station.Record().m_hHardware = &hardwareModule;
  EXPECT_EQ(EXPORT(GetHardwareInstance)(), &hardwareModule);
  station.Record().m_hHardware = nullptr;
  EXPECT_EQ(EXPORT(GetHardwareInstance)(), nullptr);
}

TEST_F(ExportedCallbacks, VersionExportsCopyTheRecordsLines) {
  CQRV_LoadMemory& record = station.Record();
  port::CopyText(record.m_szHardwareVer, kTextSize, "Hardware_x64 3.2.1.0");
  port::CopyText(record.m_szProtocolVer, kTextSize, "Protocol_x64 2.0");
  port::CopyText(record.m_szSoftwareVer, kTextSize, "");
  port::CopyText(record.m_szPlatformVer, kTextSize, std::string(kTextSize - 1, 'P'));
  EXPECT_EQ(EXPORT(GetHardwareVer)(), "Hardware_x64 3.2.1.0");
  EXPECT_EQ(EXPORT(GetProtocolVer)(), "Protocol_x64 2.0");
  EXPECT_EQ(EXPORT(GetSoftwareVer)(), "");
  EXPECT_EQ(EXPORT(GetPlatformVer)(), std::string(kTextSize - 1, 'P'));
}

TEST_F(ExportedCallbacks, SetLogFormatsAndHandsTheLineToTheListLog) {
  EXPORT(SetLog)(2, "%s : %d frames, %.1f %%", "Pool", 16, 2.5);
  const std::string longText(3000, 'x');
  EXPORT(SetLog)(0, "[%s]", longText.c_str());
  EXPORT(SetLog)(1, "100%% plain");
  EXPECT_EQ(panel.Log(), (std::vector<LogLine>{{2, "Pool : 16 frames, 2.5 %"}, {0, "[" + longText + "]"},
                                               {1, "100% plain"}}));
}

TEST_F(ExportedCallbacks, StartTakesTheOverrideAndStartsTheSite) {
  panel.startStatus = 4;
  EXPECT_EQ(EXPORT(ExportPlatformStart)(1, 2, 3, 1), 4);
  EXPECT_EQ(panel.Calls(), (Strings{"SetOverride 1", "StartSite 1 2 3"}));
  EXPECT_EQ(panel.Log(), (std::vector<LogLine>{{1, "Receive START : Site - 1, USB_INDEX - 2, Server - 3"}}));
}

// With one board for all sites the start selects the site's tab, and the hardware library's board index
// replaces the one the handler sent, in the start and in its log line.
TEST_F(ExportedCallbacks, StartWithOneBoardUsesTheHardwareLibrarysBoard) {
  station.Record().m_nPara = 1;
  station.Record().GetUSBID = [] { return 3; };
  EXPECT_EQ(EXPORT(ExportPlatformStart)(2, 0, 1, 0), 0);
  EXPECT_EQ(panel.Calls(), (Strings{"SetOverride 0", "SelectSiteTab 2", "StartSite 2 3 1"}));
  EXPECT_EQ(panel.Log(), (std::vector<LogLine>{{2, "Receive START : Site - 2, USB_INDEX - 3, Server - 1"}}));

  panel.Clear();
  station.Record().GetUSBID = nullptr;
  EXPORT(ExportPlatformStart)(0, 1, 0, 0);
  EXPECT_EQ(panel.Calls(), (Strings{"SetOverride 0", "SelectSiteTab 0", "StartSite 0 1 0"}));

  panel.Clear();
  station.Record().m_nPara = 2;
  station.Record().GetUSBID = [] { return 3; };
  EXPORT(ExportPlatformStart)(1, 1, 0, 0);
  EXPECT_EQ(panel.Calls(), (Strings{"SetOverride 0", "StartSite 1 1 0"}));
}

TEST_F(ExportedCallbacks, AutoFocusHomeCallsTheTwelfthEntryOfThePublishedTable) {
  using Entry = int (*)();
  static Entry table[12] = {};
  table[11] = [] { return 42; };
  static void* published = nullptr;
  CInterFace_SW binder(QRV_SW_LIBRARY);
  binder.GetUserMemory = [](const char* name) { return std::string(name) == "AutoFocus" ? published : nullptr; };

  EXPECT_EQ(EXPORT(AutoFocus_Home)(), 0) << "no binder";
  station.Record().m_pInterFaceSW = &binder;
  EXPECT_EQ(EXPORT(AutoFocus_Home)(), 0) << "nothing published";
  published = table;
  EXPECT_EQ(EXPORT(AutoFocus_Home)(), 42);
  station.Record().m_pInterFaceSW = nullptr;
  published = nullptr;
}

// Outside 0..7, or a site the station does not run: nothing of any site changes, and the refusal is logged.
TEST_F(ExportedCallbacks, SitesOutsideTheConfiguredOnesAreRefusedAndLogged) {
  for (const int site : {-1, kSites, 7, 8, 1000}) {
    panel.Clear();
    for (int configured = 0; configured < kSites; ++configured) panel.ModelOf(configured).SetLabel("before");
    EXPORT(OnSiteDrawExe)(site);
    EXPORT(ExportPlatformMsg)(site, "text");
    EXPORT(SetSiteStatus)(site);
    EXPECT_EQ(EXPORT(GetTestErrorCode)(site), 0);
    EXPECT_EQ(EXPORT(ExportPlatformStart)(site, 0, 0, 1), -1);

    // Finish-after-pass is the station's switch, not a site's: it is still taken.
    EXPECT_EQ(panel.Calls(), Strings{"SetFinishAfterPass"}) << site;
    for (int configured = 0; configured < kSites; ++configured)
      EXPECT_EQ(panel.ModelOf(configured).Label(), "before") << site;
    const auto log = panel.Log();
    ASSERT_EQ(log.size(), 5u) << site;
    for (const char* caller :
         {"OnSiteDrawExe", "ExportPlatformMsg", "SetSiteStatus", "GetTestErrorCode", "ExportPlatformStart"}) {
      const std::string expected =
          std::string(caller) + " : site " + std::to_string(site) + " refused (configured sites: 3)";
      EXPECT_NE(std::find(log.begin(), log.end(), LogLine{0, expected}), log.end()) << expected;
    }
  }
}

TEST_F(ExportedCallbacks, SetLogOfANonSiteGoesToTheFirstSiteMarked) {
  EXPORT(SetLog)(8, "late %d", 1);
  EXPORT(SetLog)(-1, "early");
  EXPECT_EQ(panel.Log(),
            (std::vector<LogLine>{{0, "Site 8 is not a site: late 1"}, {0, "Site -1 is not a site: early"}}));
}

// The callers are C code of libraries and items: a failure inside the panel never leaves an export.
TEST_F(ExportedCallbacks, AFailureInsideThePanelStaysInTheExport) {
  panel.failing = true;
  EXPECT_EQ(EXPORT(ExportPlatformStart)(1, 0, 0, 0), -1);
  EXPORT(SetLog)(1, "lost %d", 1);
  panel.failing = false;
  EXPORT(SetLog)(1, "after");
  EXPECT_EQ(panel.Log(), (std::vector<LogLine>{{1, "after"}}));
  EXPECT_EQ(EXPORT(ExportPlatformStart)(1, 0, 0, 0), 0);
}

TEST(ExportedCallbacksWithoutPanel, EveryExportDoesNothing) {
  SetExportTarget(nullptr);
  EXPORT(OnSiteDrawExe)(0);
  EXPECT_EQ(EXPORT(GetFpsDraw)(), 0);
  EXPORT(InitStopFlagExe)();
  EXPECT_EQ(EXPORT(AutoFocus_Home)(), 0);
  EXPECT_EQ(EXPORT(GetTestErrorCode)(0), 0);
  EXPORT(SetSiteStatus)(0);
  EXPECT_EQ(EXPORT(GetHardwareVer)(), "");
  EXPECT_EQ(EXPORT(GetProtocolVer)(), "");
  EXPECT_EQ(EXPORT(GetSoftwareVer)(), "");
  EXPECT_EQ(EXPORT(GetPlatformVer)(), "");
  EXPORT(SetLog)(0, "no panel %d", 1);
  EXPECT_EQ(EXPORT(ExportPlatformStart)(0, 0, 0, 0), -1);
  EXPORT(ExportPlatformStop)(0);
  EXPORT(ExportPlatformMsg)(0, "text");
  EXPECT_EQ(EXPORT(GetHardwareInstance)(), nullptr);
}

// The panel withdraws itself before its runners and models go; an export that is running then must finish
// first, and no export may reach the panel afterwards.
TEST_F(ExportedCallbacks, WithdrawingThePanelWaitsForARunningExport) {
  panel.Hold();
  std::thread logger([] { EXPORT(SetLog)(1, "slow line"); });
  ASSERT_TRUE(panel.WaitForLog(1));
  std::atomic<bool> withdrawn{false};
  std::thread closer([&] {
    SetExportTarget(nullptr);
    withdrawn = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(withdrawn) << "withdrawn while SetLog was still in the panel";
  panel.Release();
  logger.join();
  closer.join();
  EXPECT_TRUE(withdrawn);
  EXPORT(SetLog)(1, "after");
  EXPORT(OnSiteDrawExe)(1);
  EXPECT_EQ(panel.Log(), (std::vector<LogLine>{{1, "slow line"}}));
  EXPECT_TRUE(panel.Calls().empty());
}

// Libraries' workers call exports all the time while the panel comes and goes. A new panel replaces the old
// one directly and the replaced one is freed at once: every call must find a panel, reach exactly one, and
// never reach one already replaced. Panel n answers a start with n, so a worker sees the numbers of the
// panels it reached rise.
TEST(ExportedCallbacksChurn, PanelsComeAndGoUnderConcurrentExports) {
  constexpr int kWorkers = 4;
  constexpr int kCallsPerWorker = 3000;
  const std::string version = "Platform_x64 Debug - churn";
  TestStation station;
  port::CopyText(station.Record().m_szPlatformVer, kTextSize, version);

  struct Count {
    int logs = 0;
    int draws = 0;
    int starts = 0;
  };
  struct Worker {
    Count made;
    int lastPanel = 0;
    std::vector<std::string> faults;
  };
  std::vector<Worker> workers(kWorkers);
  Count reached;
  std::vector<std::string> misplaced;
  auto makePanel = [&](int number) {
    auto panel = std::make_unique<RecordingPanel>(station, 2);
    panel->startStatus = number;
    panel->fpsDraw = 1;
    return panel;
  };
  // Called once the panel is withdrawn, so no export reaches it any more.
  auto tally = [&](RecordingPanel& panel) {
    for (const std::string& call : panel.Calls()) {
      if (call == "DrawSiteLabel 0") ++reached.draws;
      if (call.rfind("StartSite 1 ", 0) == 0) ++reached.starts;
    }
    for (const LogLine& line : panel.Log()) {
      if (line.text.rfind("worker ", 0) != 0) continue;
      ++reached.logs;
      if (line.site != std::stoi(line.text.substr(7)) % 2) misplaced.push_back(line.text);
    }
  };

  std::atomic<int> finished{0};
  std::unique_ptr<RecordingPanel> current = makePanel(1);
  SetExportTarget(current.get());
  std::vector<std::thread> threads;
  for (int number = 0; number < kWorkers; ++number)
    threads.emplace_back([&, number] {
      Worker& worker = workers[number];
      int& lastPanel = worker.lastPanel;
      auto fault = [&](const std::string& what) {
        if (worker.faults.size() < 5) worker.faults.push_back(what);
      };
      for (int call = 0; call < kCallsPerWorker; ++call) {
        EXPORT(SetLog)(number % 2, "worker %d", number);
        ++worker.made.logs;
        EXPORT(OnSiteDrawExe)(0);
        ++worker.made.draws;
        if (EXPORT(GetFpsDraw)() != 1) fault("GetFpsDraw found no panel");
        if (const std::string line = EXPORT(GetPlatformVer)(); line != version) fault("GetPlatformVer: " + line);
        EXPORT(ExportPlatformMsg)(1, "busy");
        const int panel = EXPORT(ExportPlatformStart)(1, number, 0, 0);
        ++worker.made.starts;
        if (panel < std::max(lastPanel, 1))
          fault("a start reached panel " + std::to_string(panel) + " after panel " + std::to_string(lastPanel));
        lastPanel = panel;
      }
      ++finished;
    });
  // Panels keep coming and going until every worker has made its calls.
  for (int number = 2; finished.load() < kWorkers; ++number) {
    auto next = makePanel(number);
    SetExportTarget(next.get());
    tally(*current);
    current = std::move(next);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (auto& thread : threads) thread.join();
  SetExportTarget(nullptr);
  tally(*current);

  Count made;
  int latestPanel = 0;
  for (const Worker& worker : workers) {
    EXPECT_TRUE(worker.faults.empty()) << worker.faults.front();
    made.logs += worker.made.logs;
    made.draws += worker.made.draws;
    made.starts += worker.made.starts;
    latestPanel = std::max(latestPanel, worker.lastPanel);
  }
  EXPECT_GT(latestPanel, 1) << "the calls went on while a panel was replaced";
  EXPECT_EQ(reached.logs, made.logs) << "every log line reaches one panel's list log";
  EXPECT_EQ(reached.draws, made.draws);
  EXPECT_EQ(reached.starts, made.starts);
  EXPECT_TRUE(misplaced.empty()) << misplaced.front();
}

}  // namespace
