// A site's run holds its board through the hardware library: a start on a board that the setup dialog holds
// waits for it, runs when the dialog lets go in time and is refused with its message and a result otherwise,
// while the sites of the other boards run on; every run gives its board back.
#include <gtest/gtest.h>

#include <thread>

#include "ErrorCodeTable.h"
#include "TestRunFixture.h"
#include "TestThread.h"
#include "port/module.h"

namespace {

class LeaseHardware {
 public:
  explicit LeaseHardware(CQRV_LoadMemory& record) : m_record(record), m_module(port::LoadModule(LEASE_HARDWARE)) {
    record.m_hHardware = m_module;
  }
  ~LeaseHardware() {
    HoldForDialog(0, false);
    m_record.m_hHardware = nullptr;
    port::FreeModule(m_module);
  }
  void HoldForDialog(int board, bool hold) const {
    port::FindFunction<void (*)(int, int)>(m_module, "LeaseHardware_HoldForDialog")(board, hold ? 1 : 0);
  }
  int SiteLeases(int board) const {
    return port::FindFunction<int (*)(int)>(m_module, "LeaseHardware_SiteLeases")(board);
  }
  int Refusals() const { return port::FindFunction<int (*)()>(m_module, "LeaseHardware_Refusals")(); }

 private:
  CQRV_LoadMemory& m_record;
  ModuleHandle m_module;
};

}  // namespace

TEST(SiteBoardHoldTest, StartOnABoardTheDialogHoldsWaitsForItOrIsRefusedWhileOtherBoardsRun) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  const LeaseHardware hardware(station.Record());
  ASSERT_EQ(hardware.Refusals(), 0);
  FakeSiteHost host(station.ErrorCodePath());
  host.listLogFolder = station.Root();
  host.Register(0, {{"TestItemA.dll", 1}});
  host.Register(1, {{"TestItemA.dll", 1}});
  SiteModel siteA;
  SiteModel siteB;
  host.SetModel(0, &siteA);
  host.SetModel(1, &siteB);
  {
    CTestThread runnerA(host, station.Record(), station.Items(), siteA, 0, 0);
    CTestThread runnerB(host, station.Record(), station.Items(), siteB, 1, 1);

    // Board 0 stays with the dialog past the wait: site A is refused, site B on board 1 runs meanwhile.
    hardware.HoldForDialog(0, true);
    runnerA.StartSite(0, 0);
    runnerB.StartSite(1, 0);
    ASSERT_TRUE(host.WaitForRuns(1, 1));
    EXPECT_EQ(host.StatusCount(0), 0) << "site A still waits for its board";
    ASSERT_TRUE(host.WaitForRuns(0, 1));
    EXPECT_EQ(station.ItemA().Calls(0), 0);
    EXPECT_EQ(station.ItemA().Calls(1), 1);
    EXPECT_EQ(siteA.Label(), kBoardInUseText);
    EXPECT_EQ(runnerA.LastResult(), kCodeBoardInUse);

    // The dialog lets go while the next start waits: the site gets its board and runs.
    runnerA.StartSite(0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    hardware.HoldForDialog(0, false);
    ASSERT_TRUE(host.WaitForRuns(0, 2));
    EXPECT_EQ(station.ItemA().Calls(0), 1);
    EXPECT_EQ(siteA.Label(), "PASS");
  }
  std::vector<std::pair<int, int>> reports;
  for (const Report& report : host.Reports()) reports.emplace_back(report.site, report.code);
  EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{1, 0}, {0, kCodeBoardInUse}, {0, 0}}));
  EXPECT_EQ(host.Reports()[1].label, kBoardInUseText);
  EXPECT_EQ(hardware.Refusals(), 1);
  EXPECT_EQ(hardware.SiteLeases(0), 0) << "every run gave its board back";
  EXPECT_EQ(hardware.SiteLeases(1), 0);
}
