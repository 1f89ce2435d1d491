// The site panel over a copy of the built station: every start path and STOP on several sites, the reports
// to the protocol library, the lot change, the component-version check, the site-count limits, the keypad
// and the ordered shutdown while sites run.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "BaseDraw.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "ModalDriver.h"
#include "QRVBaseDlg.h"
#include "SiteCtrl.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "QRV_Messages.h"
#include "port/message_box.h"
#include "port/ini.h"
#include "port/module.h"
#include "port/ui_thread.h"
#include "port/version.h"
#include "port/window_message.h"
#include "qrv_test/screenshot.h"

namespace {

using ExportPlatformStartFn = int (*)(int, int, int, int);

std::intptr_t Command(DynamicDlg& panel, const std::string& text) {
  return port::SendMessage(&panel, kWmProtocolCommand, reinterpret_cast<std::uintptr_t>(text.c_str()), 0);
}

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

std::string ItemFile(const SitePanelStation& station, const char* name) { return station.Root() + "/Dll/" + name; }

}  // namespace

TEST(SitePanelTest, EveryStartPathRunsItsSiteAndReportsWithTheSitesIdentity) {
  SitePanelStation station("4", "4");
  station.RegisterItems(4, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  ASSERT_EQ(panel.SiteCount(), 4);
  ASSERT_EQ(panel.ProtocolType, 8u) << "the recording library carries the handler library's identity";
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  item.Script(1, {7});

  // Start button: every site once, each keeping its USB index and server 0.
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 4; }));
  for (int site = 0; site < 4; ++site) EXPECT_EQ(panel.Runner(site)->RunCount(), 1) << site;
  EXPECT_EQ(panel.Model(0)->Label(), "PASS");
  EXPECT_NE(panel.Model(1)->Label(), "PASS");
  EXPECT_EQ(station.CountCalls("SendResultCode 0 0 PASS"), 3);
  EXPECT_EQ(station.CountCalls("SendResultCode 0 7"), 1) << "site B's failure goes out with its code";

  // The handler's start through the program's export, with its own server.
  const auto exportStart = reinterpret_cast<ExportPlatformStartFn>(port::FindProgramSymbol("ExportPlatformStart"));
  ASSERT_NE(exportStart, nullptr);
  EXPECT_EQ(exportStart(2, 2, 3, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 5; }));
  EXPECT_TRUE(Contains(station.ProtocolCalls(), "SendResultCode 3 0 PASS"));
  EXPECT_TRUE(Contains(station.ProtocolCalls(), "SendStatus 3"));
  EXPECT_EQ(exportStart(9, 0, 0, 0), -1) << "a site the station does not have is refused";

  // StartSite directly, and the handler's START command through the window message.
  EXPECT_EQ(panel.StartSite(1, 1, 2), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 6; }));
  EXPECT_TRUE(Contains(station.ProtocolCalls(), "SendStatus 2"));
  EXPECT_EQ(Command(panel, "START,3,3"), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 7; }));
  EXPECT_EQ(panel.Runner(3)->RunCount(), 2);
  EXPECT_EQ(panel.Runner(2)->RunCount(), 2);
  EXPECT_EQ(panel.Runner(1)->RunCount(), 2);
  EXPECT_EQ(panel.Runner(0)->RunCount(), 1);
  EXPECT_EQ(panel.StartSite(-1, 0, 0), -1);
  EXPECT_EQ(panel.StartSite(4, 0, 0), -1);
}

TEST(SitePanelTest, StopEndsEverySitesRunAfterTheItemItIsRunning) {
  SitePanelStation station("3", "3");
  station.RegisterItems(3, {"TestItemA.dll", "TestItemB.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl first(ItemFile(station, "TestItemA.dll"));
  const TestItemControl second(ItemFile(station, "TestItemB.dll"));
  first.SetDelayMs(1500);

  panel.StartButton()->click();
  // Every site is past the start of its run (which clears the stop flags) and in its first item.
  ASSERT_TRUE(station.WaitFor([&] {
    for (int site = 0; site < 3; ++site)
      if (panel.Model(site)->Label() != "Testing...") return false;
    return true;
  }));
  panel.StopButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 3; }));
  first.SetDelayMs(0);
  for (int site = 0; site < 3; ++site) {
    EXPECT_EQ(first.Calls(site), 1) << site;
    EXPECT_EQ(second.Calls(site), 0) << "no item starts after STOP, site " << site;
    EXPECT_EQ(panel.Model(site)->Label(), "STOP") << site;
    ASSERT_TRUE(station.WaitFor([&] { return panel.ResultLabel(site)->text() == "STOP"; }));
  }
  EXPECT_EQ(station.CountCalls("SendResultCode 0 999 "), 3) << "the stop code goes out for every site";
}

// A repeat run counts the runs of the site the tab shows: choosing a site that has already run the count
// during the repeat ends it after the run under way.
TEST(SitePanelTest, RepeatRunCountsTheRunsOfTheSiteTheTabShowsNow) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  for (int run = 1; run <= 3; ++run) {
    ASSERT_EQ(panel.StartSite(1, 1, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == run; }));
  }
  ASSERT_EQ(panel.Runner(1)->RunCount(), 3);

  panel.SetRepeatRun(1, 3);
  item.SetDelayMs(300);
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return panel.Model(0)->Label() == "Testing..."; }));
  panel.SelectSiteTab(1);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 5; }));
  item.SetDelayMs(0);
  station.WaitFor([] { return false; }, std::chrono::milliseconds(400));
  EXPECT_EQ(item.Calls(0), 1) << "site B, now shown, had run three times: no second pass";
  EXPECT_EQ(station.CountCalls("SendStatus"), 5);
}

// A Start clears the stop flags before it loads freed test items, then runs the sites.
TEST(SitePanelTest, StartClearsTheStopFlagsBeforeItLoadsFreedItems) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  ASSERT_TRUE(panel.FreeLibrary());
  ASSERT_FALSE(panel.AllItemsLoaded());
  panel.StopButton()->click();
  ASSERT_EQ(panel.GetStopButtonFlag(), 1u);

  panel.StartButton()->click();
  // The items load on this thread, which does not run its queue here: the start waits for the load.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (panel.GetStopButtonFlag() != 0 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(panel.GetStopButtonFlag(), 0u) << "the flags are cleared before the load";
  EXPECT_FALSE(panel.AllItemsLoaded());

  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_TRUE(panel.AllItemsLoaded());
  EXPECT_EQ(item.Calls(0), 1);
}

TEST(SitePanelTest, ReportsIdentifyTheSiteByTheProtocolType) {
  struct Case {
    std::uint32_t type;
    const char* result;
    const char* status;
  };
  // Site C started by the handler with USB index 5 and server 3.
  const Case cases[] = {{8, "SendResultCode 3 0 PASS", "SendStatus 3"},
                        {1, "SendResultCode 5 0 PASS", "SendStatus 5"},
                        {6, "SendResultCode 5 0 PASS", "SendStatus 5"},
                        {3, "SendResultCode 2 0 PASS", "SendStatus 5"}};
  SitePanelStation station("4", "4");
  station.RegisterItems(4, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  int runs = 0;
  for (const Case& c : cases) {
    panel.ProtocolType = c.type;
    ASSERT_EQ(panel.StartSite(2, 5, 3), 0);
    ++runs;
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == runs; })) << c.type;
    const std::vector<std::string> calls = station.ProtocolCalls();
    EXPECT_EQ(calls[calls.size() - 2], c.result) << c.type;
    EXPECT_EQ(calls.back(), c.status) << c.type;
  }
}

TEST(SitePanelTest, LotChangeResetsTheLotsCountsAndTimes) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  ASSERT_EQ(panel.Model(1)->Counts().total, 1);
  ASSERT_EQ(station.ReadConfig("LOT_COUNT_1", "TOTAL"), "1");

  panel.ApplyOperatorLot("LOT_B");
  EXPECT_EQ(panel.GetLotNumber(), "LOT_B");
  EXPECT_EQ(panel.LotButton()->text(), "LOT_B");
  EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), "LOT_B");
  EXPECT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), "0");
  for (int site = 0; site < 2; ++site) {
    const std::string section = "LOT_COUNT_" + std::to_string(site);
    EXPECT_EQ(panel.Model(site)->Counts().total, 0) << site;
    EXPECT_EQ(station.ReadConfig(section.c_str(), "TOTAL"), "0") << site;
    EXPECT_EQ(station.ReadConfig(section.c_str(), "DLL_TOTAL_TIME"), "0") << site;
    EXPECT_EQ(station.ReadConfig(section.c_str(), "THREAD_TOTAL_TIME"), "0") << site;
  }
}

TEST(SitePanelTest, LotTimeTotalsBeyondAnIntKeepCounting) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  const std::int64_t itemTotal = 5'000'000'000;
  const std::int64_t threadTotal = 6'000'000'123;
  station.WriteConfig("LOT_COUNT_0", "DLL_TOTAL_TIME", std::to_string(itemTotal));
  station.WriteConfig("LOT_COUNT_0", "THREAD_TOTAL_TIME", std::to_string(threadTotal));
  DynamicDlg& panel = station.StartPanel();
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  const std::int64_t itemAfter = std::stoll(station.ReadConfig("LOT_COUNT_0", "DLL_TOTAL_TIME"));
  const std::int64_t threadAfter = std::stoll(station.ReadConfig("LOT_COUNT_0", "THREAD_TOTAL_TIME"));
  EXPECT_GE(itemAfter, itemTotal);
  EXPECT_LT(itemAfter, itemTotal + 60'000);
  EXPECT_GE(threadAfter, threadTotal);
  EXPECT_LT(threadAfter, threadTotal + 60'000);
}

// A model folder that cannot be looked at (here a link to itself) is reported, not thrown out of start-up, and
// the model is asked for in the Config dialog until one is chosen; a cancel asks again.
TEST(SitePanelTest, ModelFolderThatCannotBeReadIsReportedAndAskedForAtStart) {
  SitePanelStation station("1", "1");
  std::filesystem::create_symlink("Loop", station.Root() + "/Ref/Loop");
  port::ini::WriteString(station.Root() + "/Config/QRV_Config.ini", "QRV_Equip", "Model_Name", "Loop/Model");
  port::ClearShownMessageBoxes();
  int asked = 0;
  qrv::test::OnNextModal([&](QDialog& first) {
    ++asked;
    EXPECT_EQ(first.objectName(), "131");
    qrv::test::OnNextModal([&](QDialog& second) {
      ++asked;
      auto* models = second.findChild<QComboBox*>("1012");
      ASSERT_NE(models, nullptr);
      EXPECT_EQ(models->findText("Loop"), -1) << "a folder that cannot be read is no model";
      models->setCurrentText("Sim_Model");
      qrv::test::SaveScreenshot(second, "config_model_only");
      second.findChild<QPushButton*>("1")->click();
    });
    first.findChild<QPushButton*>("2")->click();
  });
  DynamicDlg& panel = station.StartPanel();
  EXPECT_EQ(asked, 2);
  const auto boxes = port::ShownMessageBoxes();
  EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                          [](const port::ShownMessageBox& box) { return box.text == "Ref is not exist."; }),
            2);
  EXPECT_EQ(panel.GetModelName(), "Sim_Model");
  EXPECT_EQ(panel.GetModelPath(), station.Root() + "/Ref/Sim_Model");
}

TEST(SitePanelTest, YieldTextIsCutNotRounded) {
  const struct {
    int pass, total;
    const char* text;
  } cases[] = {{2, 3, "66.66%"}, {1, 8, "12.50%"}, {1, 7, "14.28%"}, {1, 200, "0.500%"},
               {3, 3, "100%"},   {0, 4, "0%"},     {0, 0, "0%"}};
  for (const auto& c : cases) EXPECT_EQ(MainScreenLayout::FormatYield(c.pass, c.total), c.text) << c.pass << "/" << c.total;
}

// The yield lists start with the texts the file holds, Yield included as it was written; a missing value shows
// "0" or "0%", and the site's next test writes the Yield from the counts.
TEST(SitePanelTest, YieldListsStartWithTheFilesTextsUntilTheNextTest) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  for (const auto& [key, value] : {std::pair{"TOTAL", "3"}, {"PASS", "2"}, {"FAIL", "1"}, {"YIELD", "66.7%"}})
    station.WriteConfig("LOT_COUNT_0", key, value);
  for (const char* key : {"TOTAL", "PASS", "FAIL", "YIELD"}) station.WriteConfig("LOT_COUNT_1", key, "");
  DynamicDlg& panel = station.StartPanel();
  auto* siteA = panel.findChild<CGridCtrl*>("2048");
  auto* siteB = panel.findChild<CGridCtrl*>("2049");
  ASSERT_TRUE(siteA != nullptr && siteB != nullptr);
  EXPECT_EQ(siteA->GetItemText(0, 4), "66.7%");
  EXPECT_EQ(siteA->GetItemText(0, 1), "3");
  EXPECT_EQ(siteB->GetItemText(0, 3), "0");
  EXPECT_EQ(siteB->GetItemText(0, 4), "0%");

  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return siteA->GetItemText(0, 1) == "4"; }));
  EXPECT_EQ(siteA->GetItemText(0, 4), "75.00%");
}

// A site count changed in the model waits for the next start of the program, without a word in the list log.
TEST(SitePanelTest, ReadingTheModelSettingsAgainKeepsTheSiteCountSilently) {
  SitePanelStation station("2", "2");
  DynamicDlg& panel = station.StartPanel();
  station.WaitFor([] { return false; }, std::chrono::milliseconds(200));
  const std::size_t logged = ListLogLines(panel, 0).size();
  station.WriteConfig("SITE", "site", "3");
  panel.ReadModelSettings();
  station.WaitFor([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(ListLogLines(panel, 0).size(), logged);
  EXPECT_EQ(panel.SiteCount(), 2);
}

TEST(SitePanelTest, HandlerLotWhileASiteRunsIsAppliedWholeWhenItEnds) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  const std::string oldLot = station.ReadConfig("LOT_NUMBER", "number");

  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  item.SetDelayMs(1000);
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return panel.Runner(0)->IsRunning(); }));
  EXPECT_EQ(Command(panel, "LOT_NUMBER,NEW\r\nLOT"), 0);
  EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), oldLot) << "nothing of the change while site A runs";
  // Site A's list log says that the change failed, and nothing about the lot itself.
  const auto hasLine = [&](const char* part) {
    for (const std::string& line : ListLogLines(panel, 0))
      if (line.find(part) != std::string::npos) return true;
    return false;
  };
  ASSERT_TRUE(station.WaitFor([&] { return hasLine("---Lot Change Fail!! Platform Testing...---"); }));
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_FALSE(hasLine("NEWLOT"));
  EXPECT_EQ(panel.Model(1)->Counts().total, 1);
  ASSERT_TRUE(panel.PendingLot().has_value());

  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 3; }));
  ASSERT_TRUE(station.WaitFor([&] { return !panel.Runner(0)->IsRunning(); }));
  panel.OnTimer(DynamicDlg::kTimerId);
  EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), "NEWLOT");
  EXPECT_EQ(panel.GetLotNumber(), "NEWLOT");
  EXPECT_EQ(panel.Model(0)->Counts().total, 0);
  EXPECT_EQ(panel.Model(1)->Counts().total, 0);
  EXPECT_EQ(station.ReadConfig("LOT_COUNT_0", "TOTAL"), "0");
  EXPECT_FALSE(panel.PendingLot().has_value());
}

TEST(SitePanelTest, LotFromOutsideCannotInjectIniLinesOrLeaveTheLogFolder) {
  const struct {
    std::string received;
    std::string stored;
  } cases[] = {
      {"A1\n[SITE]\nsite=99", "A1[SITE]site=99"},
      {"../../etc/passwd", ".._.._etc_passwd"},
      {"..", "__"},
      {"C:\\Log\\x", "C__Log_x"},
      {std::string(300, 'L'), std::string(DynamicDlg::kMaxLotNumber, 'L')},
  };
  for (const auto& c : cases) EXPECT_EQ(DynamicDlg::SanitizeLotNumber(c.received), c.stored) << c.received;

  SitePanelStation station("2", "2");
  DynamicDlg& panel = station.StartPanel();
  EXPECT_EQ(Command(panel, "LOT_NUMBER,A1\n[SITE]\nsite=99"), 0);
  EXPECT_EQ(station.ReadConfig("LOT_NUMBER", "number"), "A1[SITE]site=99");
  EXPECT_EQ(station.ReadConfig("SITE", "site"), "2");
}

TEST(SitePanelTest, ComponentVersionCheckFollowsSystemIni) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  SitePanelStation::SetRegistry("Software\\QRV\\Platform\\SYSTEM\\", "SystemVersionByPass", 0);
  const std::string system = station.Root() + "/System/";
  const std::pair<const char*, std::string> pinned[] = {
      {"Platform_x64.exe", port::ReadVersionString(port::ProgramPath(), "FileVersion")},
      {"QRV_PlatformHW.dll", port::ReadVersionString(system + "QRV_PlatformHW.dll", "FileVersion")},
      {"QRV_PlatformSW_x64.dll", port::ReadVersionString(system + "QRV_PlatformSW_x64.dll", "FileVersion")},
      {"QRV_Protocol.dll", "1.0.0.1"},
      {"RigUtil_x64.dll", port::ReadVersionString(system + "RigUtil_x64.dll", "FileVersion")}};
  for (const auto& [key, version] : pinned)
    port::ini::WriteString(station.ModelFile("System.ini"), "SYSTEM_VERSION", key, version.c_str());
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));

  EXPECT_TRUE(panel.CheckSystemVersion(0));
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(item.Calls(0), 1);

  port::ini::WriteString(station.ModelFile("System.ini"), "SYSTEM_VERSION", "QRV_Protocol.dll", "1.0.0.2");
  EXPECT_FALSE(panel.CheckSystemVersion(0));
  port::ini::WriteString(station.ModelFile("System.ini"), "SYSTEM_VERSION", "QRV_Protocol.dll", "1.0.0.10");
  EXPECT_FALSE(panel.CheckSystemVersion(0));
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return panel.Model(0)->Label() == "System Version Error"; }));
  ASSERT_TRUE(station.WaitFor([&] { return !panel.Runner(0)->IsRunning(); }));
  EXPECT_EQ(item.Calls(0), 1) << "a refused run calls no item";
  EXPECT_EQ(station.ReadConfig("PROTOCOL", "ERROR_MSG"), "System Version Error");

  SitePanelStation::SetRegistry("Software\\QRV\\Platform\\SYSTEM\\", "SystemVersionByPass", 1);
  EXPECT_TRUE(panel.CheckSystemVersion(0));
}

TEST(SitePanelTest, SiteCountOutsideOneToEightIsRefusedAndTheStationRunsWhatItCan) {
  const struct {
    const char* configured;
    int sites;
  } cases[] = {{"", 1}, {"0", 1}, {"-3", 1}, {"9", 8}, {"400", 8}, {"8", 8}, {"3", 3}};
  for (const auto& c : cases) {
    port::ClearShownMessageBoxes();
    SitePanelStation station(c.configured, "2");
    station.RegisterItems(8, {"TestItemA.dll"});
    DynamicDlg& panel = station.StartPanel();
    EXPECT_EQ(panel.SiteCount(), c.sites) << c.configured;
    EXPECT_EQ(panel.GetSiteCount(), static_cast<std::uint32_t>(c.sites)) << c.configured;
    EXPECT_EQ(panel.Layout().GetSiteCount(), c.sites) << c.configured;
    const auto boxes = port::ShownMessageBoxes();
    const bool refused = std::any_of(boxes.begin(), boxes.end(), [](const port::ShownMessageBox& box) {
      return box.text.find("Config.ini [SITE] site") != std::string::npos;
    });
    // A missing key is the one site of the default, without a word.
    EXPECT_EQ(refused, *c.configured != '\0' && std::to_string(c.sites) != c.configured) << c.configured;
    EXPECT_EQ(Command(panel, "STOP"), 0);
    EXPECT_EQ(Command(panel, "STOP,Site=12"), 0);
    EXPECT_EQ(Command(panel, "IS_WORKING,12"), 0);
  }
}

TEST(SitePanelTest, KeypadCommandsActOnSiteAWithOneDevice) {
  SitePanelStation station("2", "1");
  station.RegisterItems(2, {"TestItemA.dll"});
  station.WriteConfig("COMMUNICATION", "KEY_USE", "1");
  station.WriteConfig("COMMUNICATION", "KEY_USE_1", "START");
  station.WriteConfig("COMMUNICATION", "KEY_USE_3", "TEST_BREAK");
  DynamicDlg& panel = station.StartPanel();

  QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier, "1");
  QCoreApplication::sendEvent(&panel, &press);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Runner(0)->RunCount(), 1);
  EXPECT_EQ(panel.Runner(1)->RunCount(), 0);

  EXPECT_FALSE(panel.PreTranslateKey(96 + 3));
  EXPECT_EQ(panel.GetSiteStopFlag(0), 1u);
  EXPECT_TRUE(panel.PreTranslateKey(13)) << "Enter never acts on the panel while the keypad is on";
  EXPECT_TRUE(panel.PreTranslateKey(27));
}

TEST(SitePanelTest, HandlerCommandsStopHomeAndAskWhetherASiteWorks) {
  SitePanelStation station("3", "3");
  station.RegisterItems(3, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  item.SetDelayMs(1000);
  ASSERT_EQ(panel.StartSite(1, 1, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return panel.Model(1)->Label() == "Testing..."; }));
  EXPECT_EQ(Command(panel, "IS_WORKING,1"), 1);
  EXPECT_EQ(Command(panel, "IS_WORKING,0"), 0);
  EXPECT_EQ(Command(panel, "STOP,Site=2"), 0);
  EXPECT_EQ(panel.GetSiteStopFlag(2), 1u);
  EXPECT_EQ(panel.GetStopButtonFlag(), 0u);
  EXPECT_EQ(panel.Model(2)->Label(), "STOP");
  EXPECT_EQ(Command(panel, "STOP"), 0);
  EXPECT_EQ(panel.GetStopButtonFlag(), 1u);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(Command(panel, "IS_WORKING,1"), 0);
}

// With one shared device in the tab view, the handler's START shows the site's controls even when the tab
// already names that site.
TEST(SitePanelTest, HandlerStartWithOneDeviceShowsTheSiteItNames) {
  SitePanelStation station("2", "1");
  station.WriteConfig("DRAW", "draw", "3");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  panel.SelectSiteTab(1);
  station.WaitFor([] { return false; }, std::chrono::milliseconds(200));
  ASSERT_EQ(panel.DrawMode(), 3);
  panel.ItemList(1)->hide();
  panel.ResultLabel(1)->hide();

  EXPECT_EQ(Command(panel, "START,1,0"), 0);
  EXPECT_FALSE(panel.ItemList(1)->isHidden());
  EXPECT_FALSE(panel.ResultLabel(1)->isHidden());
  EXPECT_TRUE(panel.ItemList(0)->isHidden());
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  panel.resize(panel.childrenRect().united(QRect(0, 0, 400, 300)).size());
  EXPECT_FALSE(qrv::test::SaveScreenshot(panel, "site_panel_tab_view_handler_start").empty());
}

TEST(SitePanelTest, ClosingWhileSitesWaitForTheHandlerStopsServersJoinsAndUnloadsItemsFirst) {
  SitePanelStation station("8", "8");
  station.RegisterItems(8, {"TestItemA.dll", "TestItemB.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl item(ItemFile(station, "TestItemA.dll"));
  const TestItemControl second(ItemFile(station, "TestItemB.dll"));
  item.SetTesterRequest(true);
  const int created = item.Created();
  ASSERT_GT(created, 0);
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return station.HandlerRequestsInFlight() == 8; }))
      << "every site's item waits for the handler";

  panel.OnDestroy();
  item.SetTesterRequest(false);
  EXPECT_EQ(panel.Runner(0), nullptr);
  EXPECT_EQ(panel.m_hProtocol, nullptr);
  EXPECT_EQ(panel.m_pInterFaceSW, nullptr);
  const std::vector<std::string> calls = station.ProtocolCalls();
  const auto stop = std::find(calls.begin(), calls.end(), "StopProtocolServers");
  const auto unload = std::find_if(calls.begin(), calls.end(),
                                   [](const std::string& call) { return call.rfind("Load_OnDelete", 0) == 0; });
  ASSERT_NE(stop, calls.end()) << "the handler servers are stopped";
  ASSERT_NE(unload, calls.end());
  EXPECT_LT(stop, unload);
  EXPECT_EQ(*unload, "Load_OnDelete items-deleted=" + std::to_string(created) + " requests-in-flight=0")
      << "the items go before the protocol library, and no request is left in it";
  EXPECT_EQ(unload, calls.end() - 1) << "nothing is called through the library after its unload";
  EXPECT_EQ(item.RequestsDone(), 8) << "each waiting request ended when the servers stopped";
  EXPECT_EQ(station.CountCalls("SendResultCode 0 999 "), 8) << "each run the close ended reports the stop code";
  EXPECT_EQ(station.CountCalls("SendStatus 0"), 8);
  EXPECT_EQ(panel.StartSite(0, 0, 0), -1);
  EXPECT_EQ(Command(panel, "IS_WORKING,0"), -1) << "the closed panel takes no window messages";
  EXPECT_EQ(item.Deleted(), created) << "every loaded item was deleted";
  EXPECT_EQ(item.TotalCalls(), 8) << "each site finished the item it was running";
  EXPECT_EQ(second.TotalCalls(), 0) << "no item starts once the station closes";
  EXPECT_EQ(second.Deleted(), second.Created());
}

TEST(SitePanelTest, MainWindowMakesOneViewPerSiteTheStationRuns) {
  const struct {
    const char* configured;
    int views;
  } cases[] = {{"12", 8}, {"", 1}, {"6", 6}};
  for (const auto& c : cases) {
    SitePanelStation station(c.configured, "2");
    station.RegisterItems(8, {"TestItemA.dll"});
    {
      CQRVBaseDlg window;
      DynamicDlg* panel = window.SitePanel();
      ASSERT_NE(panel, nullptr);
      EXPECT_EQ(window.ViewCount(), c.views) << c.configured;
      EXPECT_EQ(panel->SiteCount(), c.views) << c.configured;
      for (int site = 0; site < kMaxSites; ++site) {
        EXPECT_EQ(panel->m_hViewDC[site] != nullptr, site < c.views) << c.configured << " site " << site;
        EXPECT_EQ(window.SiteView(site) != nullptr, site < c.views) << c.configured << " site " << site;
      }
      window.show();
      // The views tile the image area below the menu bar: 900 x 600 here.
      const int menuHeight = window.ImageArea().top();
      window.resize(900, 600 + menuHeight);
      SitePanelStation::ProcessEvents();
      if (c.views == 6) {
        EXPECT_EQ(window.SiteView(3)->geometry(), QRect(600, 300 + menuHeight, 300, 300)) << "D sits bottom right in mode 0";
        EXPECT_EQ(panel->m_rcView[3].right, 300);
      }
      window.RequestExit();
      EXPECT_EQ(window.SitePanel(), nullptr) << "closing takes the panel down with its sites";
    }
    port::ui::SetClosing(false);
  }
}

// Before the layout gives them their own texts, the panel's labels and its Lot button carry their template
// texts; the layout then writes its own over them (the firmware label is always empty).
TEST(SitePanelTest, ControlsCarryTheirTemplateTextsUntilTheLayoutWritesItsOwn) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  const struct {
    const char* id;
    const char* text;
  } cases[] = {{"1205", "Info Msg"},         {"1208", "User Msg"},       {"1223", "Firmware Version"},
               {"1230", "ItemVersin.ini"},   {"1204", "Lot Button"},     {"1206", "100%"}};
  {
    DynamicDlg panel;
    for (const auto& c : cases) {
      const auto* label = panel.findChild<QLabel*>(c.id);
      const auto* button = panel.findChild<QPushButton*>(c.id);
      ASSERT_TRUE(label != nullptr || button != nullptr) << c.id;
      EXPECT_EQ((label ? label->text() : button->text()).toStdString(), c.text) << c.id;
    }
  }
  DynamicDlg& panel = station.StartPanel();
  EXPECT_TRUE(panel.findChild<QLabel*>("1223")->text().isEmpty());
  EXPECT_EQ(panel.findChild<QLabel*>("1205")->text().toStdString(), "LINE_1 - MACHINE_1");
}
