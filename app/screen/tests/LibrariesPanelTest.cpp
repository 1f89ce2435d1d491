// The test items' libraries on the site panel: the load order (Init list first, and run at once, then the site
// lists, the End lists and the Close list), one library per DLL file name, the item-library window with every
// library's result, the free and load commands and the load that a start makes after a free.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <atomic>
#include <filesystem>
#include <thread>

#include "CurrentLibrary.h"
#include "GridCtrl.h"
#include "PlatformErrorLog.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "port/ini.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"

namespace fs = std::filesystem;

namespace {

// A station whose Init list and site A's list both name TestItemB.dll, and whose Close list names TestItemA.dll
// that site A runs too; endDll goes into site A's End list.
void WriteLists(SitePanelStation& station, const std::string& endDll) {
  station.RegisterItems(1, {"TestItemA.dll", "TestItemB.dll"});
  fs::create_directories(station.Root() + "/Cycle");
  fs::copy_file(station.Root() + "/Dll/TestItemB.dll", station.Root() + "/Cycle/TestItemB.dll");
  const std::string cycle = station.ModelFile("Cycle.ini");
  port::ini::WriteString(cycle, "CYCLE_INIT_DLL", "Count", "1");
  port::ini::WriteString(cycle, "CYCLE_INIT_DLL", "0", "TestItemB.dll,1,1");
  port::ini::WriteString(cycle, "A.CYCLE_END_DLL", "Count", endDll.empty() ? "0" : "1");
  port::ini::WriteString(cycle, "A.CYCLE_END_DLL", "0", (endDll + ",1,1").c_str());
  port::ini::WriteString(cycle, "CYCLE_CLOSE_DLL", "Count", "1");
  port::ini::WriteString(cycle, "CYCLE_CLOSE_DLL", "0", "TestItemA.dll,1,1");
}

std::vector<std::vector<std::string>> StatusRows(const CGridCtrl& list) {
  std::vector<std::vector<std::string>> rows;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    rows.emplace_back();
    for (int column = 1; column < list.GetColumnCount(); ++column)
      rows.back().push_back(list.GetItemText(row, column).toStdString());
  }
  return rows;
}

// An item that shows a message box in its create hook, as the resistance item does: while the box is up, a
// handler's start arrives on a worker thread, and the box closes once that start has been answered.
DynamicDlg* g_panel = nullptr;
std::atomic<int> g_startDuringLoad{1};

void StartWhileTheBoxIsUp() {
  QMessageBox box(QMessageBox::Information, "QRVBase", "RMT Board TCP Connect Pass");
  std::thread handler([&box] {
    g_startDuringLoad = g_panel->StartSite(0, 0, 0);
    QMetaObject::invokeMethod(&box, "accept", Qt::QueuedConnection);
  });
  box.exec();
  handler.join();
}

}  // namespace

TEST(LibrariesPanelTest, InitListLoadsAndRunsFirstAndEveryDllIsLoadedOnceFromItsFirstList) {
  SitePanelStation station("1", "1");
  WriteLists(station, "");
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  const TestItemControl cycleB(station.Root() + "/Cycle/TestItemB.dll");
  EXPECT_EQ(cycleB.Calls(0), 1) << "the Init list ran with the load";
  EXPECT_EQ(itemA.Created(), 1) << "one library for site A's list and the Close list";

  CurrentLibrary* window = panel.CurrentLibraryWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->isVisible()) << "the window opens by itself only when a library failed";
  const std::vector<std::vector<std::string>> want = {{"TestItemB.dll", "Cycle", "Init", "0"},
                                                      {"TestItemA.dll", "DLL", "Function", "0"}};
  EXPECT_EQ(StatusRows(*window->StatusList()), want);
  EXPECT_EQ(window->StatusList()->CellBackground(0, 0), QColor(29, 219, 22));
  EXPECT_TRUE(window->OpenRowSettings(1));
  EXPECT_FALSE(window->OpenRowSettings(2)) << "below the last row";

  // Site A runs B from the Cycle folder: the one instance the Init list ran.
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(cycleB.Calls(0), 2);
  EXPECT_EQ(panel.Model(0)->Label(), "PASS");

  panel.OpenCurrentLibrary();
  SitePanelStation::ProcessEvents();
  EXPECT_TRUE(window->isVisible());
  qrv::test::SaveScreenshot(*window, "current_library");
}

TEST(LibrariesPanelTest, StartAfterFreeLoadsTheItemsAgainAndRunsTheInitListAgain) {
  SitePanelStation station("1", "1");
  WriteLists(station, "");
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  const TestItemControl cycleB(station.Root() + "/Cycle/TestItemB.dll");

  ASSERT_TRUE(panel.FreeLibrary());
  EXPECT_EQ(itemA.Deleted(), 1);
  EXPECT_EQ(panel.CurrentLibraryWindow()->StatusList()->GetItemCount(), 0);
  EXPECT_TRUE(panel.Items().Empty());
  EXPECT_TRUE(panel.FreeLibrary()) << "a second free does nothing";
  EXPECT_EQ(itemA.Deleted(), 1);

  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Model(0)->Label(), "PASS") << "the start loaded the items before the run";
  EXPECT_EQ(itemA.Created(), 2);
  EXPECT_EQ(cycleB.Calls(0), 3) << "Init at start-up, Init after the reload, site A's run";
  EXPECT_EQ(panel.CurrentLibraryWindow()->StatusList()->GetItemCount(), 2);
  EXPECT_FALSE(panel.CurrentLibraryWindow()->isVisible());

  EXPECT_TRUE(panel.LoadLibrary()) << "a load while loaded does nothing";
  EXPECT_EQ(itemA.Created(), 2);
}

TEST(LibrariesPanelTest, LoadLibraryLoadsTheRowsTheSiteListsShowNotWhatTheFileSaysSince) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemB(station.Root() + "/Dll/TestItemB.dll");
  // The file changes under the lists, which are not read again.
  station.RegisterItems(2, {"TestItemB.dll"});

  ASSERT_TRUE(panel.FreeLibrary());
  ASSERT_TRUE(panel.LoadLibrary());
  const std::vector<std::vector<std::string>> want = {{"TestItemA.dll", "DLL", "Function", "0"}};
  EXPECT_EQ(StatusRows(*panel.CurrentLibraryWindow()->StatusList()), want);
  EXPECT_EQ(itemB.Created(), 0) << "a DLL no list shows is not loaded";
  EXPECT_EQ(panel.Model(1)->Row(0).dllName, "TestItemA.dll") << "the lists still show what they read";
}

TEST(LibrariesPanelTest, EndLibraryThatDoesNotLoadOpensTheWindowAndNoSiteStarts) {
  SitePanelStation station("1", "1");
  WriteLists(station, "Gone.dll");
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  CurrentLibrary* window = panel.CurrentLibraryWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  const CGridCtrl& list = *window->StatusList();
  ASSERT_EQ(list.GetItemCount(), 3);
  EXPECT_EQ(StatusRows(list)[2], (std::vector<std::string>{"Gone.dll", "Cycle", "End", "-2"}));
  EXPECT_EQ(list.CellBackground(2, 0), QColor(255, 0, 0));
  EXPECT_FALSE(window->OpenRowSettings(2)) << "no settings window of a library that did not load";
  const std::string errorLog = platform_error_log::GetErrorLogPath(port::clock::NowLocal());
  EXPECT_EQ((fs::exists(errorLog) ? qrv::test::ReadFile(errorLog) : std::string()).find("Gone.dll"), std::string::npos)
      << "the red row is the whole report";
  qrv::test::SaveScreenshot(*window, "current_library_failed");

  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Model(0)->Label(), "Load library Error");
  EXPECT_EQ(itemA.TotalCalls(), 0);
}

TEST(LibrariesPanelTest, StartThatArrivesWhileAnItemShowsAMessageBoxDuringTheLoadIsRefused) {
  SitePanelStation station("1", "1");
  WriteLists(station, "");
  DynamicDlg& panel = station.StartPanel();
  const TestItemControl itemA(station.Root() + "/Dll/TestItemA.dll");
  ASSERT_TRUE(panel.FreeLibrary());
  g_panel = &panel;
  itemA.SetOnCreate(&StartWhileTheBoxIsUp);

  ASSERT_TRUE(panel.LoadLibrary());
  itemA.SetOnCreate(nullptr);
  EXPECT_EQ(g_startDuringLoad.load(), -1) << "the start is refused, not a second load inside the first";
  EXPECT_EQ(itemA.Created(), 2) << "one load at start-up, one after the free";
  EXPECT_EQ(panel.CurrentLibraryWindow()->StatusList()->GetItemCount(), 2);
  EXPECT_EQ(station.CountCalls("SendStatus"), 0) << "no site ran";

  ASSERT_EQ(panel.StartSite(0, 0, 0), 0) << "once the load has ended a start is taken";
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(panel.Model(0)->Label(), "PASS");
}
