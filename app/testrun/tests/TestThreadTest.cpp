// The runner's threads: many sites on one shared item, starts during a run, jumps, and shutdown.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestRunFixture.h"
#include "TestThread.h"
#include "port/clock.h"

namespace {

struct Sites {
  explicit Sites(TestStation& station, int count) : host(station.ErrorCodePath()) {
    host.listLogFolder = station.Root();
    for (int site = 0; site < count; ++site) {
      models.push_back(std::make_unique<SiteModel>());
      host.Register(site, {{"TestItemA.dll", 1}, {"TestItemB.dll", 1}});
      host.SetModel(site, models.back().get());
    }
    for (int site = 0; site < count; ++site)
      runners.push_back(
          std::make_unique<CTestThread>(host, station.Record(), station.Items(), *models[site], site, site));
  }
  FakeSiteHost host;
  std::vector<std::unique_ptr<SiteModel>> models;
  std::vector<std::unique_ptr<CTestThread>> runners;
};

TEST(TestThread, EightSitesShareOneItemAndEveryRunReportsOnce) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  station.LoadItem("TestItemB.dll");
  constexpr int kSites = 8;
  constexpr int kRuns = 20;
  Sites sites(station, kSites);
  for (int run = 1; run <= kRuns; ++run) {
    for (int site = 0; site < kSites; ++site) sites.runners[site]->StartSite(site, site % 4);
    for (int site = 0; site < kSites; ++site) ASSERT_TRUE(sites.host.WaitForRuns(site, run)) << site;
  }
  for (int site = 0; site < kSites; ++site) {
    EXPECT_EQ(sites.host.StatusCount(site), kRuns);
    EXPECT_EQ(sites.runners[site]->RunCount(), kRuns);
    EXPECT_EQ(station.ItemA().Calls(site), kRuns);
    EXPECT_EQ(sites.models[site]->Counts().pass, kRuns);
  }
  EXPECT_EQ(sites.host.Reports().size(), static_cast<std::size_t>(kSites * kRuns));
}

TEST(TestThread, StartsDuringARunGiveOneRerunWithTheLaterIdentity) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  station.LoadItem("TestItemB.dll");
  station.ItemA().SetDelayMs(150);
  Sites sites(station, 1);
  CTestThread& runner = *sites.runners[0];
  runner.StartSite(1, 1);
  while (!runner.IsRunning()) port::clock::SleepMs(1);
  runner.StartSite(2, 2);
  runner.StartSite(3, 3);
  runner.Start();  // a start without identity during the run is dropped
  ASSERT_TRUE(sites.host.WaitForRuns(0, 2));
  port::clock::SleepMs(700);
  EXPECT_EQ(sites.host.StatusCount(0), 2);
  EXPECT_EQ(runner.Usb(), 3);
  EXPECT_EQ(runner.Server(), 3);
  station.ItemA().SetDelayMs(0);
  const auto log = TestStation::LogLines(0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Platform working... Start Command thrad change..."), 2);
}

TEST(TestThread, StartJustAfterAnIdleStartIsNotLost) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  station.LoadItem("TestItemB.dll");
  Sites sites(station, 1);
  for (int round = 1; round <= 10; ++round) {
    sites.runners[0]->StartSite(round, 0);
    sites.runners[0]->StartSite(round + 100, 0);
    ASSERT_TRUE(sites.host.WaitForRuns(0, 2 * round));
    EXPECT_EQ(sites.runners[0]->Usb(), round + 100);
  }
}

TEST(TestThread, JumpRunsOnlyTheNamedRowAndUnknownNamesNothing) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  station.LoadItem("TestItemB.dll");
  Sites sites(station, 1);
  sites.runners[0]->StartSite(0, 0);
  ASSERT_TRUE(sites.host.WaitForRuns(0, 1));
  sites.runners[0]->RequestJump("Item1");
  ASSERT_TRUE(sites.host.WaitForRuns(0, 2));
  EXPECT_EQ(station.ItemA().Calls(0), 1);
  EXPECT_EQ(station.ItemB().Calls(0), 2);
  sites.runners[0]->RequestJump("NoSuchItem");
  port::clock::SleepMs(200);
  EXPECT_EQ(sites.host.StatusCount(0), 2);
}

TEST(TestThread, ElapsedDisplayShowsSecondsOfTheRun) {
  TestStation station;
  station.LoadItem("TestItemA.dll");
  station.LoadItem("TestItemB.dll");
  station.ItemA().SetDelayMs(450);
  Sites sites(station, 1);
  sites.runners[0]->StartSite(0, 0);
  ASSERT_TRUE(sites.host.WaitForRuns(0, 1));
  port::clock::SleepMs(250);
  const std::string text = sites.models[0]->TimeText();
  EXPECT_EQ(text.rfind("Now\n", 0), 0u) << text;
  EXPECT_GE(std::stod(text.substr(4)), 0.4);
  station.ItemA().SetDelayMs(0);
}

TEST(TestThread, ShutdownWhileSitesRunJoinsEveryThreadBeforeTheItemsGo) {
  auto station = std::make_unique<TestStation>();
  station->LoadItem("TestItemA.dll");
  station->LoadItem("TestItemB.dll");
  station->ItemA().SetDelayMs(30);
  const int deletedBefore = station->ItemA().Deleted();
  {
    Sites sites(*station, 8);
    for (int site = 0; site < 8; ++site) sites.runners[site]->StartSite(site, 0);
    port::clock::SleepMs(10);
    sites.runners.clear();  // stops and joins while items run
    EXPECT_LE(station->ItemA().TotalCalls(), 8 * 2);
  }
  station->ItemA().SetDelayMs(0);
  station->Items().UnloadAll();
  EXPECT_EQ(station->ItemA().Deleted(), deletedBefore + 1);
}

}  // namespace
