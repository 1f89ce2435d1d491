// What a stream of tests leaves behind on the site panel: every site's test log file and window, its End
// cycle, the station's error list and the lot counts, and the lot change that writes the summaries and
// resets them.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTabWidget>
#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "ControllerIni.h"
#include "CycleSettingManager.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "IntegratedLog.h"
#include "QRVBaseDlg.h"
#include "SiteLogCtrl.h"
#include "SiteLogTab.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/text.h"
#include "port/ui_thread.h"
#include "port/window_message.h"
#include "QRV_Messages.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSites = 8;
constexpr int kModules = 30;

// What TestItemA returns on a site, module by module: a few codes, differently on each site.
std::vector<int> SiteCodes(int site) {
  std::vector<int> codes;
  for (int module = 0; module < kModules; ++module) {
    const int pick = (module * 7 + site * 3) % 10;
    codes.push_back(pick < 6 ? 0 : pick < 8 ? 5 : pick < 9 ? 7 : 12);
  }
  return codes;
}

struct LogFile {
  std::vector<std::string> itemCodes;  // the Code field of every item row, in order
  int endBlocks = 0;
  int cycleRows = 0;
  std::string text;
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
  return fields;
}

LogFile ReadLog(const std::string& path) {
  LogFile log;
  log.text = qrv::test::ReadFile(path);
  std::stringstream stream(log.text);
  bool inCycle = false;
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == ", Cycle End") inCycle = true;
    if (line.find(", Test Start Time,") != std::string::npos) {
      ++log.endBlocks;
      inCycle = false;
    }
    if (line.rfind(" , ", 0) != 0) continue;
    const std::vector<std::string> fields = Fields(line);
    EXPECT_EQ(fields.size(), 9u) << line;
    if (inCycle)
      ++log.cycleRows;
    else if (fields.size() > 3)
      log.itemCodes.push_back(fields[3].substr(1));
  }
  return log;
}

}  // namespace

TEST(RunRecordsPanelTest, EightSitesOfThirtyModulesLeaveTheirLogsCountsAndErrorList) {
  SitePanelStation station("8", "8");
  station.RegisterItems(kSites, {"TestItemA.dll"});
  fs::create_directories(station.Root() + "/Cycle");
  fs::copy_file(station.Root() + "/Dll/TestItemB.dll", station.Root() + "/Cycle/TestItemB.dll");
  const std::string cycle = station.ModelFile("Cycle.ini");
  port::ini::WriteString(cycle, "CYCLE_END_DLL", "ShowWIndow", "1");
  for (int site = 0; site < kSites; ++site) {
    const std::string section = std::string(1, static_cast<char>('A' + site)) + ".CYCLE_END_DLL";
    port::ini::WriteString(cycle, section.c_str(), "Count", "1");
    port::ini::WriteString(cycle, section.c_str(), "0", "TestItemB.dll,1,2");
  }
  DynamicDlg& panel = station.StartPanel();
  ASSERT_EQ(panel.SiteCount(), kSites);
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  const TestItemControl itemB(station.Root() + "/Cycle/TestItemB.dll");
  for (int site = 0; site < kSites; ++site) itemA.Script(site, SiteCodes(site));
  itemB.Script(kSites - 1, {0, 9, 9, 0});  // site H's End item fails both calls of its second module

  for (int module = 0; module < kModules; ++module) {
    for (int site = 0; site < kSites; ++site) ASSERT_EQ(panel.StartSite(site, site, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == kSites * (module + 1); }))
        << "module " << module;
  }

  std::map<std::pair<int, int>, int> sent;  // (site, code) -> failures
  for (int site = 0; site < kSites; ++site) {
    const std::vector<int> codes = SiteCodes(site);
    int fails = 0;
    for (const int code : codes)
      if (code != 0) {
        ++sent[{site, code}];
        ++fails;
      }
    const LogFile log = ReadLog(panel.TestLog(site)->Path());
    EXPECT_EQ(log.endBlocks, kModules) << "site " << site;
    EXPECT_EQ(log.cycleRows, kModules) << "site " << site;
    ASSERT_EQ(log.itemCodes.size(), static_cast<std::size_t>(kModules)) << "site " << site;
    for (int module = 0; module < kModules; ++module)
      EXPECT_EQ(log.itemCodes[static_cast<std::size_t>(module)], std::to_string(codes[static_cast<std::size_t>(module)]))
          << "site " << site << " module " << module;
    EXPECT_EQ(log.text.rfind("Line Name - ", 0), 0u);
    const std::string section = "LOT_COUNT_" + std::to_string(site);
    EXPECT_EQ(panel.Model(site)->Counts().total, kModules);
    EXPECT_EQ(panel.Model(site)->Counts().fail, fails);
    EXPECT_EQ(station.ReadConfig(section.c_str(), "TOTAL"), std::to_string(kModules));
    EXPECT_EQ(station.ReadConfig(section.c_str(), "FAIL"), std::to_string(fails));
    EXPECT_EQ(station.ReadConfig(section.c_str(), "YIELD"),
              MainScreenLayout::FormatYield(kModules - fails, kModules));
  }
  std::map<std::pair<int, int>, int> listed;
  for (const ErrorListRow& row : panel.Errors()->Rows()) listed[{std::stoi(row.key), std::stoi(row.code)}] += row.count;
  EXPECT_EQ(listed, sent);
  EXPECT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), std::to_string(panel.Errors()->Rows().size()));

  // Site H's failing End item shows its row and brought the window up.
  ASSERT_TRUE(station.WaitFor([&] { return panel.CycleWindow()->isVisible(); }));
  panel.CycleWindow()->SiteTab()->setCurrentIndex(kSites - 1);
  SitePanelStation::ProcessEvents();
  const CGridCtrl* endGrid = panel.CycleWindow()->Grid(kSites - 1);
  ASSERT_EQ(endGrid->GetItemCount(), 1);
  EXPECT_EQ(endGrid->GetItemText(0, 6), "PASS") << "the last module's End item passed";
  EXPECT_EQ(endGrid->CellBackground(0, 0), QColor(29, 219, 22)) << "a passed row is green";
  qrv::test::SaveScreenshot(*panel.CycleWindow(), "cycle_spec");

  SiteLogTab* window = panel.TestLogWindow();
  window->show();
  window->SelectSite(1);
  SitePanelStation::ProcessEvents();
  SiteLogCtrl* page = window->Page(1);
  ASSERT_GT(page->GetItemCount(), 2);
  EXPECT_EQ(page->GetItemText(0, 1), "0");
  EXPECT_EQ(page->GetItemText(0, 8), "TestItemA.dll");
  qrv::test::SaveScreenshot(*window, "test_log");

  // A new lot from the handler: every site's file ends with its summaries, and the counts and the error list
  // start again.
  const std::vector<ErrorListRow> errors = panel.Errors()->Rows();
  std::vector<std::string> paths;
  for (int site = 0; site < kSites; ++site) paths.push_back(panel.TestLog(site)->Path());
  panel.OnProtocolCommand("LOT_NUMBER,LOT_NEXT");
  for (int site = 0; site < kSites; ++site) {
    const std::string text = qrv::test::ReadFile(paths[static_cast<std::size_t>(site)]);
    const std::vector<int> codes = SiteCodes(site);
    const int fails = static_cast<int>(std::count_if(codes.begin(), codes.end(), [](int code) { return code != 0; }));
    const std::string summary = "\r\n\r\n, Total: 30, Pass: " + std::to_string(kModules - fails) +
                                ", Fail: " + std::to_string(fails) + ", Yield: " +
                                MainScreenLayout::FormatYield(kModules - fails, kModules);
    EXPECT_NE(text.find(summary), std::string::npos) << "site " << site;
    EXPECT_NE(text.find(",Item Nmae : " + errors[0].itemName + ", Code : " + errors[0].code + ", Count : " +
                        std::to_string(errors[0].count) + ", Msg : " + errors[0].msg),
              std::string::npos)
        << "site " << site;
    EXPECT_EQ(panel.Model(site)->Counts().total, 0);
  }
  EXPECT_TRUE(panel.Errors()->Rows().empty());
  EXPECT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), "0");
}

TEST(RunRecordsPanelTest, UnwritableTestLogFolderFailsThePreCheck) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  const std::string blocked = station.Root() + "/blocked";
  qrv::test::WriteFile(blocked, "a file where the log folder should be");
  station.WriteConfig("LOG", "ListLog", blocked);
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(itemA.TotalCalls(), 0) << "no item runs when its rows could not be kept";
  EXPECT_EQ(panel.Model(0)->Label(), "Log Directory Error");
  EXPECT_EQ(station.ReadConfig("PROTOCOL", "ERROR_MSG"), "Engineer/Product Log Directory Error");
}

namespace {

std::atomic<int> g_powerDowns{0};
int CountPowerDown(int, int) { return ++g_powerDowns, 0; }

}  // namespace

TEST(RunRecordsPanelTest, HardwareType20PowersDownAfterEveryTestAndLogsUnderTheProgramFolder) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  panel.HardwareType = 20;
  panel.PowerDownSequence = CountPowerDown;
  g_powerDowns = 0;
  for (int module = 1; module <= 3; ++module) {
    ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == module; }));
  }
  EXPECT_EQ(g_powerDowns.load(), 3);
  const std::string path = panel.TestLog(0)->Path();
  EXPECT_EQ(path.rfind(station.Root() + "/Log/PlatformLog/", 0), 0u) << path;
  EXPECT_EQ(ReadLog(path).endBlocks, 3);
  EXPECT_EQ(ReadLog(path).cycleRows, 0) << "an empty End list writes only its section line";
}

TEST(RunRecordsPanelTest, HardwareType20EndItemThatFailsShowsItsRowAndTheWindowWhenAsked) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  fs::create_directories(station.Root() + "/Cycle");
  fs::copy_file(station.Root() + "/Dll/TestItemB.dll", station.Root() + "/Cycle/TestItemB.dll");
  const std::string cycle = station.ModelFile("Cycle.ini");
  port::ini::WriteString(cycle, "CYCLE_END_DLL", "ShowWIndow", "1");
  port::ini::WriteString(cycle, "A.CYCLE_END_DLL", "Count", "1");
  port::ini::WriteString(cycle, "A.CYCLE_END_DLL", "0", "TestItemB.dll,1,2");
  DynamicDlg& panel = station.StartPanel();
  panel.HardwareType = 20;
  panel.PowerDownSequence = CountPowerDown;
  g_powerDowns = 0;
  const TestItemControl itemB(station.Root() + "/Cycle/TestItemB.dll");
  itemB.Script(0, {0, 7, 7, 0});  // the second module's End item fails both of its calls

  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_FALSE(panel.CycleWindow()->isVisible()) << "a passing End item leaves the window closed";
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  ASSERT_TRUE(station.WaitFor([&] { return panel.CycleWindow()->isVisible(); }));
  const CGridCtrl* endGrid = panel.CycleWindow()->Grid(0);
  ASSERT_TRUE(station.WaitFor([&] { return endGrid->GetItemCount() == 1 && endGrid->GetItemText(0, 6) == "FAIL"; }));
  EXPECT_EQ(endGrid->GetItemText(0, 5), "2");
  EXPECT_EQ(endGrid->GetItemText(0, 7), "7");
  EXPECT_EQ(g_powerDowns.load(), 2);
  EXPECT_EQ(panel.Model(0)->Label(), "PASS") << "the End cycle never changes the test's result";
  for (int column = 0; column < endGrid->GetColumnCount(); ++column)
    EXPECT_EQ(endGrid->CellBackground(0, column), QColor(255, 0, 0)) << "a failed row is red, column " << column;
  qrv::test::SaveScreenshot(*panel.CycleWindow(), "cycle_spec_end_failed");

  // A double-click on the row opens the End item's settings for an engineer, with site index 0.
  CGridCtrl* grid = panel.CycleWindow()->Grid(0);
  auto doubleClick = [grid] {
    const QPoint at = grid->visualRect(grid->model()->index(0, 2)).center();
    QMouseEvent event(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &event);
  };
  panel.m_nLoginLevel.store(0);
  doubleClick();
  EXPECT_EQ(itemB.SpecCalls(), 0) << "not for an operator";
  panel.m_nLoginLevel.store(1);
  doubleClick();
  EXPECT_EQ(itemB.SpecCalls(), 1);
  EXPECT_EQ(itemB.LastSpecSite(), 0);

  const std::string text = qrv::test::ReadFile(panel.TestLog(0)->Path());
  EXPECT_NE(text.find(", Cycle End\r\n , 0, TestItemB, 7, FAIL, "), std::string::npos) << text;
  EXPECT_EQ(ReadLog(panel.TestLog(0)->Path()).cycleRows, 2);
}

namespace {

// Every line the list-log window of a site shows.
std::vector<std::string> ListLogRows(const DynamicDlg& panel, int site) {
  std::vector<std::string> rows;
  const QAbstractItemModel* model = panel.ListLogWindow()->List(site)->model();
  for (int row = 0; row < model->rowCount(); ++row)
    rows.push_back(model->index(row, 0).data().toString().toStdString());
  return rows;
}

}  // namespace

TEST(RunRecordsPanelTest, FreeAndLoadLibraryAreRefusedSilentlyWhileASiteTestsAndLoadRunsTheInitListAgain) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  fs::create_directories(station.Root() + "/Cycle");
  fs::copy_file(station.Root() + "/Dll/TestItemB.dll", station.Root() + "/Cycle/TestItemB.dll");
  port::ini::WriteString(station.ModelFile("Cycle.ini"), "CYCLE_INIT_DLL", "Count", "1");
  port::ini::WriteString(station.ModelFile("Cycle.ini"), "CYCLE_INIT_DLL", "0", "TestItemB.dll,1,1");
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  const TestItemControl itemB(station.Root() + "/Cycle/TestItemB.dll");
  EXPECT_EQ(itemB.Calls(0), 1) << "the Init list ran once with the first load";

  itemA.SetDelayMs(500);
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return panel.Runner(0)->IsRunning(); }));
  port::ClearShownMessageBoxes();
  EXPECT_FALSE(panel.FreeLibrary());
  EXPECT_FALSE(panel.LoadLibrary());
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Model(0)->Label(), "PASS") << "the run kept its items";
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "a refusal shows nothing";
  for (const std::string& row : ListLogRows(panel, 0)) EXPECT_EQ(row.find("Library"), std::string::npos) << row;
  itemA.SetDelayMs(0);

  ASSERT_TRUE(station.WaitFor([&] { return !panel.Runner(0)->IsRunning(); }));
  EXPECT_TRUE(panel.FreeLibrary());
  EXPECT_FALSE(panel.AllItemsLoaded());
  EXPECT_TRUE(panel.LoadLibrary());
  EXPECT_TRUE(panel.AllItemsLoaded());
  // The test's own hold keeps the library's counters across the reload.
  EXPECT_EQ(itemB.Calls(0), 2) << "the Init list ran again after the load";
}

// After two sites have run, the lot counts under each site and the error list below them: the yield list's one
// row in its four coloured quarters, both averages of a site with its letter, the error list's five columns at
// their widths with one row per failure.
TEST(RunRecordsPanelTest, YieldListsAveragesAndErrorListAfterTheRuns) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  const std::string errorCodes = station.ModelFile("ErrorCode.ini");
  port::ini::WriteString(errorCodes, "TestItemA.dll", "count", "2");
  port::ini::WriteString(errorCodes, "TestItemA.dll", "0", "1,5,,Focus value under the lower limit");
  port::ini::WriteString(errorCodes, "TestItemA.dll", "1", "1,7,,Image grab timed out");
  CQRVBaseDlg window;
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  itemA.Script(0, {0, 5});
  itemA.Script(1, {7, 7});
  // Something restyled the averages meanwhile: every update styles them from their font entries again.
  for (const int id : {2032, 2033, 2040, 2041})
    panel.findChild<CFontStatic*>(QString::number(id))->SetTextStyle("Arial", 5, 0, 0);
  for (int run = 1; run <= 2; ++run) {
    for (int site = 0; site < 2; ++site) ASSERT_EQ(panel.StartSite(site, site, 0), 0);
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2 * run; }));
  }
  CGridCtrl* grid = panel.findChild<CGridCtrl*>("1232");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(station.WaitFor([&] { return grid->GetItemCount() == 2; }));

  const struct {
    int site;
    const char* cells[4];
  } yields[] = {{0, {"2", "1", "1", "50.00%"}}, {1, {"2", "0", "2", "0%"}}};
  for (const auto& expected : yields) {
    SCOPED_TRACE(expected.site);
    auto* yield = panel.findChild<CGridCtrl*>(QString::number(2048 + expected.site));
    ASSERT_NE(yield, nullptr) << "the yield list is a grid";
    ASSERT_TRUE(station.WaitFor([&] { return yield->GetItemText(0, 1) == "2"; }));
    EXPECT_EQ(yield->GetItemCount(), 1);
    EXPECT_EQ(yield->GetColorMode(), 2);
    EXPECT_TRUE(yield->isColumnHidden(0));
    EXPECT_EQ(yield->horizontalHeaderItem(0)->text(), QString(QChar('A' + expected.site)));
    const QrvRect r = ControllerIni::ReadControlRect(expected.site == 0 ? "YIELD_LIST_A" : "YIELD_LIST_B");
    const char* titles[] = {"Total", "Pass", "Fail", "Yield"};
    for (int column = 1; column <= 4; ++column) {
      EXPECT_EQ(yield->horizontalHeaderItem(column)->text(), titles[column - 1]);
      EXPECT_EQ(yield->GetItemText(0, column), expected.cells[column - 1]) << column;
      EXPECT_EQ(yield->columnWidth(column), (r.right - r.left) / 4) << column;
      EXPECT_TRUE(yield->CellBackground(0, column).isValid()) << column;
    }
    EXPECT_TRUE(yield->viewport()->rect().contains(yield->visualItemRect(yield->item(0, 4))))
        << "the row is in sight under its header";
    for (const auto& [first, key] : {std::pair{2032, "AVERAGE_DLL_%c"}, {2040, "AVERAGE_THREAD_%c"}}) {
      const auto* average = panel.findChild<CFontStatic*>(QString::number(first + expected.site));
      ASSERT_NE(average, nullptr);
      ASSERT_TRUE(station.WaitFor([&] { return average->text().startsWith("Average_"); }));
      const std::string entry = port::Format(key, 'A' + expected.site);
      EXPECT_EQ(average->LabelFont().pixelSize(), ControllerIni::ReadFont("USER_INIT", entry.c_str()).size) << entry;
      EXPECT_TRUE(QRegularExpression(QString("^Average_%1\\n\\d+\\.\\d s$").arg(QChar('A' + expected.site)))
                      .match(average->text())
                      .hasMatch())
          << average->text().toStdString();
    }
  }

  EXPECT_EQ((std::set<QString>{grid->GetItemText(0, 0), grid->GetItemText(1, 0)}),
            (std::set<QString>{"Focus value under the lower limit", "Image grab timed out"}));
  const char* titles[] = {"Msg", "Code", "Count", "Item Name", "SITE"};
  const int widths[] = {70, 50, 50, 100, 50};
  for (int column = 0; column < 5; ++column) {
    EXPECT_EQ(grid->horizontalHeaderItem(column)->text(), titles[column]);
    EXPECT_EQ(grid->columnWidth(column), widths[column]) << titles[column];
  }
  qrv::test::SaveScreenshot(panel, "site_panel_yield_and_error_lists");
  window.RequestExit();
  port::ui::SetClosing(false);
}

// The window counts its own rows while the file names each item's row in the item list; a lot change passes
// over every site's page and starts the new lot's files.
TEST(RunRecordsPanelTest, TestLogGridCountsItsRowsAndALotChangeSelectsEverySite) {
  SitePanelStation station("3", "3");
  DynamicDlg& panel = station.StartPanel();
  ItemRow focus;
  focus.item = "Focus";
  focus.code = "0";
  focus.result = "PASS";
  focus.tact = "120";
  focus.dllName = "TestItemA.dll";
  panel.SetLogHeader(0);
  panel.SetLogBody(0, 4, 1, focus);
  panel.SetLogBody(0, 7, 2, focus);
  SiteLogCtrl* page = panel.TestLogWindow()->Page(0);
  ASSERT_TRUE(station.WaitFor([&] { return page->GetItemCount() == 2; }));
  EXPECT_EQ(page->GetItemText(0, 1), "0");
  EXPECT_EQ(page->GetItemText(1, 1), "1");
  EXPECT_EQ(page->GetItemText(1, 2), "Focus");
  EXPECT_EQ(page->GetItemText(1, 6), "2");
  const std::string text = qrv::test::ReadFile(panel.TestLog(0)->Path());
  EXPECT_NE(text.find(" , 4, Focus, 0, PASS, , 1, 120, TestItemA.dll\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" , 7, Focus, 0, PASS, , 2, 120, TestItemA.dll\r\n"), std::string::npos) << text;

  const auto* tabs = panel.TestLogWindow()->findChild<QTabWidget*>("1221");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->currentIndex(), 0);
  panel.OnProtocolCommand("LOT_NUMBER,LOT_NEXT");
  EXPECT_EQ(tabs->currentIndex(), 2) << "every site's page was selected in turn";
  for (int site = 0; site < 3; ++site) {
    const std::string path = panel.TestLog(site)->Path();
    EXPECT_NE(path.find("_LOT_NEXT.csv"), std::string::npos) << path;
    EXPECT_TRUE(fs::exists(path)) << path;
  }
}

// A header sort is the list's order from then on: a later count stays in its row, a new failure comes last,
// and the stored list and the lot-end summaries follow the order on screen.
TEST(RunRecordsPanelTest, AnErrorListSortStaysThroughLaterTestsAndIsTheOrderWritten) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  itemA.Script(0, {12, 12, 5});
  itemA.Script(1, {7});
  int sent = 0;
  const auto test = [&](int site) {
    ASSERT_EQ(panel.StartSite(site, site, 0), 0);
    ++sent;
    ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == sent; }));
  };
  CGridCtrl* grid = panel.findChild<CGridCtrl*>("1232");
  ASSERT_NE(grid, nullptr);
  const auto shown = [&] {
    std::vector<std::string> rows;
    for (int at = 0; at < grid->GetItemCount(); ++at)
      rows.push_back((grid->GetItemText(at, 1) + "/" + grid->GetItemText(at, 4) + "x" + grid->GetItemText(at, 2))
                         .toStdString());
    return rows;
  };
  using Rows = std::vector<std::string>;
  test(0);
  test(1);
  ASSERT_TRUE(station.WaitFor([&] { return grid->GetItemCount() == 2; }));
  EXPECT_EQ(shown(), (Rows{"12/0x1", "7/1x1"}));

  grid->OnHeaderClick(1);  // Code, ascending
  EXPECT_EQ(shown(), (Rows{"7/1x1", "12/0x1"}));
  test(0);
  test(0);
  ASSERT_TRUE(station.WaitFor([&] { return grid->GetItemCount() == 3; }));
  station.WaitFor([&] { return shown().back() == "5/0x1"; });
  EXPECT_EQ(shown(), (Rows{"7/1x1", "12/0x2", "5/0x1"})) << "counted in place, the new failure last";

  EXPECT_EQ(station.ReadConfig("ERROR_LIST", "COUNT"), "3");
  const char* stored[] = {",7,1,", ",12,2,", ",5,1,"};
  for (int n = 0; n < 3; ++n) {
    const std::string row = station.ReadConfig("ERROR_LIST", std::to_string(n).c_str());
    EXPECT_NE(row.find(stored[n]), std::string::npos) << n << ": " << row;
  }

  const std::string path = panel.TestLog(0)->Path();
  panel.OnProtocolCommand("LOT_NUMBER,LOT_NEXT");
  const std::string text = qrv::test::ReadFile(path);
  const std::size_t first = text.find(", Code : 7,");
  const std::size_t second = text.find(", Code : 12,");
  const std::size_t third = text.find(", Code : 5,");
  ASSERT_NE(third, std::string::npos) << text;
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
}

// A site's count posts its update to the list on screen; the lot changes before that call runs. The call shows
// the list as it is then: the old lot's failure never comes back onto the new lot's list.
TEST(RunRecordsPanelTest, AnErrorListUpdateThatRunsLateShowsTheListAsItIsThen) {
  SitePanelStation station("2", "2");
  DynamicDlg& panel = station.StartPanel();
  CGridCtrl* grid = panel.findChild<CGridCtrl*>("1232");
  ASSERT_NE(grid, nullptr);
  ItemRow failed;
  failed.item = "Focus";
  failed.code = "5";
  failed.result = "FAIL";
  failed.dllName = "TestItemA.dll";
  panel.Model(0)->SetRows({failed});
  QCoreApplication::processEvents();
  int inserted = 0;
  QObject::connect(grid->model(), &QAbstractItemModel::rowsInserted, [&] { ++inserted; });

  std::thread site([&] { panel.UpdateErrorList(0, 0); });
  site.join();
  ASSERT_EQ(panel.Errors()->Rows().size(), 1u);
  panel.OnProtocolCommand("LOT_NUMBER,LOT_NEXT");
  ASSERT_TRUE(panel.Errors()->Rows().empty());
  for (int pass = 0; pass < 5; ++pass) QCoreApplication::processEvents();
  EXPECT_EQ(inserted, 0) << "the old lot's failure was shown after the lot change";
  EXPECT_EQ(grid->GetItemCount(), 0);
}
