// The site item list's double-click test of one item, against a real site runner and test plug-ins.
#include <gtest/gtest.h>

#include <QApplication>

#include "FakeSiteHost.h"
#include "SiteCtrl.h"
#include "qrv_test/station_folder.h"
#include "TestRunFixture.h"
#include "TestThread.h"

namespace {

using qrv::test::ProcessEventsUntil;
using qrv::test::TestApplication;

class SingleItemTest : public ::testing::Test {
 protected:
  SingleItemTest() {
    station.LoadItem("TestItemA.dll");
    station.LoadItem("MissingEntry.dll");
    station.Record().m_nLoginLevel = 2;
    list.InitColumns();
    model.SetUpdateHook(list.UpdateHook());
    ItemRow a, missing, gone;
    a.dllName = "TestItemA.dll";
    missing.dllName = "MissingEntry.dll";
    gone.dllName = "NotRegistered.dll";
    model.SetRows({a, missing, gone});
    list.SetLinks(SiteCtrlLinks{&runner, &station.Items(), &station.Record(),
                                [this] { return station.ErrorCodePath(); }, {}, {}, {}});
    EXPECT_TRUE(ProcessEventsUntil([&] { return list.GetItemCount() == 3; }));
  }
  std::string Result(int row) const { return model.Row(row).result; }

  QApplication& app = TestApplication();
  TestStation station;
  FakeSiteHost host{station.ErrorCodePath()};
  SiteModel model;
  CTestThread runner{host, station.Record(), station.Items(), model, 0, 0};
  CSiteCtrl list{'A', &model};
};

TEST_F(SingleItemTest, AnEngineersDoubleClickRunsTheItemOnceAndShowsItsResult) {
  station.ItemA().Script(0, {7});
  list.OnDoubleClick(0);
  list.JoinSingleItem();
  EXPECT_EQ(station.ItemA().Calls(0), 1);
  EXPECT_EQ(Result(0), "FAIL");
  EXPECT_EQ(model.Row(0).code, "7");
  EXPECT_EQ(model.Label(), model.Row(0).errorMsg);
  EXPECT_FALSE(runner.IsRunning()) << "the site is free again";
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(0, CSiteCtrl::kColResult) == "FAIL"; }));

  station.ItemA().Script(0, {0});
  list.OnDoubleClick(0);
  list.JoinSingleItem();
  EXPECT_EQ(Result(0), "PASS");
  EXPECT_EQ(model.Row(0).code, "0");
}

TEST_F(SingleItemTest, ASecondDoubleClickOrABusySiteStartsNothing) {
  station.ItemA().SetDelayMs(200);
  list.OnDoubleClick(0);
  list.OnDoubleClick(0);
  list.JoinSingleItem();
  station.ItemA().SetDelayMs(0);
  EXPECT_EQ(station.ItemA().Calls(0), 1);

  ASSERT_TRUE(runner.TryBeginSingleItem());  // the site's own run holds the site
  list.OnDoubleClick(0);
  list.JoinSingleItem();
  runner.EndSingleItem();
  EXPECT_EQ(station.ItemA().Calls(0), 1);
}

TEST_F(SingleItemTest, AnItemWithoutEntryPointsFailsAndAnUnloadedOneIsNotRun) {
  list.OnDoubleClick(1);
  list.JoinSingleItem();
  EXPECT_EQ(Result(1), "FAIL");
  EXPECT_EQ(model.Row(1).code, "-1");
  EXPECT_EQ(model.Row(1).errorMsg, "Dll path FAIL");

  list.OnDoubleClick(2);
  list.JoinSingleItem();
  EXPECT_EQ(Result(2), "Ready");
  EXPECT_FALSE(runner.IsRunning());
}

}  // namespace
