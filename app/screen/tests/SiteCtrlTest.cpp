#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include "ItemRegistration.h"
#include "QRV_PlatformMemory.h"
#include "SiteCtrl.h"
#include "SiteModel.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::ProcessEventsUntil;
using qrv::test::StationFolder;
using qrv::test::TestApplication;

const QColor kGreen = ColorFromRef(0x16DB1D);
const QColor kYellow = ColorFromRef(0x00E4FF);
const QColor kRed = ColorFromRef(0x0000FF);

// Site B of model M registers SiteItemA.dll (checked), Missing.dll (not checked) and SiteItemC.dll (checked).
class SiteCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    std::filesystem::create_directories(station.Path("Dll"));
    std::filesystem::copy_file(SITE_ITEM_A, station.Path("Dll/SiteItemA.dll"));
    std::filesystem::copy_file(SITE_ITEM_C, station.Path("Dll/SiteItemC.dll"));
    Register({{"SiteItemA.dll", 1, "1"}, {"Missing.dll", 0, "1"}, {"SiteItemC.dll", 1, "2"}});
    list.InitColumns();
    model.SetUpdateHook(list.UpdateHook());
  }
  static void Register(const std::vector<DllEntry>& entries) {
    ASSERT_EQ(ItemRegistration::SaveDllList(1, entries), 1);
  }
  void Pin(const std::string& text) { station.Write("Ref/M/ItemVersion.ini", text); }
  void LoadAndShow() {
    list.LoadSiteItems();
    ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemCount() == model.RowCount(); }));
    list.Refresh();
  }

  QApplication& app = TestApplication();
  StationFolder station;
  SiteModel model;
  CSiteCtrl list{'B', &model};
};

TEST_F(SiteCtrlTest, RowsComeFromTheCheckedEntriesWithTheItemFilesStrings) {
  Pin("[B.DLL_VERSION_INDEX]\r\nItemC=1\r\n");
  LoadAndShow();
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.horizontalHeaderItem(0)->text(), "B");
  const QStringList expected[] = {{"0", "ItemA", "", "", "Ready", "SiteItemA.dll", "1.0.0.1", "", "0"},
                                  {"1", "ItemC", "", "", "Ready", "SiteItemC.dll", "2.0.0.3", "", "0"}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 9; ++c) EXPECT_EQ(list.GetItemText(r, c), expected[r][c]) << r << "," << c;
  }
  EXPECT_TRUE(list.isColumnHidden(CSiteCtrl::kColBreak));
  EXPECT_EQ(model.Row(1).retry, 2) << "the row carries its registration entry's retry count";
}

TEST_F(SiteCtrlTest, AnItemFileThatIsGoneStillGetsARow) {
  Register({{"Gone.dll", 1, "1"}});
  LoadAndShow();
  ASSERT_EQ(list.GetItemCount(), 1);
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColItem), "");
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColVersion), "");
  EXPECT_EQ(list.CellBackground(0, 0), kRed) << "pinned count 0 differs from one row";
}

struct VersionCase {
  const char* name;
  const char* itemVersionIni;
  QColor first, second;
};

TEST_F(SiteCtrlTest, ColumnZeroShowsTheVersionCheck) {
  const VersionCase cases[] = {
      {"all pinned", "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\nItemC=2.0.0.3\r\n"
                     "[B.DLL_VERSION_INDEX]\r\ncount=2\r\nItemA=0\r\nItemC=1\r\n", kGreen, kGreen},
      {"count differs", "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\nItemC=2.0.0.3\r\n"
                        "[B.DLL_VERSION_INDEX]\r\ncount=3\r\nItemA=0\r\nItemC=1\r\n", kRed, kRed},
      {"C not pinned", "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\n"
                       "[B.DLL_VERSION_INDEX]\r\ncount=2\r\nItemA=0\r\nItemC=1\r\n", kGreen, kYellow},
      {"version differs by case", "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\nItemC=2.0.0.3a\r\n"
                                  "[B.DLL_VERSION_INDEX]\r\ncount=2\r\nItemA=0\r\nItemC=1\r\n", kGreen, kRed},
      {"positions swapped", "[B.DLL_VERSION]\r\nItemA=1.0.0.1\r\nItemC=2.0.0.3\r\n"
                            "[B.DLL_VERSION_INDEX]\r\ncount=2\r\nItemA=1\r\nItemC=0\r\n", kRed, kRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Pin(c.itemVersionIni);
    LoadAndShow();
    EXPECT_EQ(list.CellBackground(0, 0), c.first);
    EXPECT_EQ(list.CellBackground(1, 0), c.second);
  }
}

TEST_F(SiteCtrlTest, StateChangesFromAWorkerShowAfterTheQueuedUpdate) {
  LoadAndShow();
  EXPECT_EQ(list.CellBackground(0, CSiteCtrl::kColResult), QColor(255, 255, 255));

  std::thread worker([&] { list.SetRowResult(0, kRowTesting, "", "", 0); });
  worker.join();
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColResult), "Ready") << "the widget waits for the UI thread";
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(0, CSiteCtrl::kColResult) == "Testing.."; }));
  EXPECT_EQ(list.CellBackground(0, CSiteCtrl::kColItem), kYellow);

  worker = std::thread([&] {
    list.SetRowResult(0, kRowPass, "0", "", 0);
    list.SetRowResult(1, kRowFail, "-1", "Dll path FAIL", 0);
    model.SetTact(1, "120");
  });
  worker.join();
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(1, CSiteCtrl::kColTact) == "120"; }));
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColResult), "PASS");
  EXPECT_EQ(list.CellBackground(0, CSiteCtrl::kColErrorMsg), kGreen);
  EXPECT_EQ(list.GetItemText(1, CSiteCtrl::kColCode), "-1");
  EXPECT_EQ(list.GetItemText(1, CSiteCtrl::kColErrorMsg), "Dll path FAIL");
  EXPECT_EQ(list.CellBackground(1, CSiteCtrl::kColDll), kRed);

  // State 0 readies every row and keeps codes and messages.
  list.SetRowResult(7, kRowReady, "x", "y", 1);
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(1, CSiteCtrl::kColResult) == "Ready"; }));
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColResult), "Ready");
  EXPECT_EQ(list.GetItemText(1, CSiteCtrl::kColCode), "-1");
}

// The item manager's save reads the list again while the site runs: the list goes on showing the run's rows and
// results, and shows the list read once the run has ended.
TEST_F(SiteCtrlTest, AListReadDuringARunShowsOnceTheRunHasEnded) {
  LoadAndShow();
  model.BeginRun(model.Rows());
  model.SetRowResult(0, kRowFail, "5", "Focus NG");
  Register({{"SiteItemC.dll", 1, "1"}});
  list.LoadSiteItems();
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(0, CSiteCtrl::kColResult) == "FAIL"; }));
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColDll), "SiteItemA.dll");
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColCode), "5");

  model.EndRun();
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemCount() == 1; }));
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColDll), "SiteItemC.dll");
  EXPECT_EQ(list.GetItemText(0, CSiteCtrl::kColResult), "Ready");
}

// The colour at the left of a cell, clear of its text.
QColor CellColour(CSiteCtrl& list, int row, int column) {
  const QImage shot = list.viewport()->grab().toImage();
  const QRect cell = list.visualRect(list.model()->index(row, column));
  return shot.pixelColor(cell.left() + 2, cell.center().y());
}

TEST_F(SiteCtrlTest, TheRunningRowIsMarkedAndAFinishedRowShowsItsResultColour) {
  LoadAndShow();
  list.resize(325, 120);
  list.show();
  model.SetCurrentRow(0);
  list.SetRowResult(0, kRowPass, "0", "", 0);
  model.SetCurrentRow(1);
  list.SetRowResult(1, kRowTesting, "", "", 0);
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(1, CSiteCtrl::kColResult) == "Testing.."; }));
  EXPECT_EQ(list.GetSelectionMark(), 1) << "the running row is the one the row commands act on";
  EXPECT_EQ(CellColour(list, 1, CSiteCtrl::kColResult), kYellow);
  EXPECT_EQ(CellColour(list, 0, CSiteCtrl::kColResult), kGreen);

  list.SetRowResult(1, kRowFail, "-1", "Dll path FAIL", 0);
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(1, CSiteCtrl::kColResult) == "FAIL"; }));
  EXPECT_EQ(list.GetSelectionMark(), 1);
  for (const int column : {CSiteCtrl::kColItem, CSiteCtrl::kColCode, CSiteCtrl::kColResult})
    EXPECT_EQ(CellColour(list, 1, column), kRed) << "the last row run, column " << column;
  EXPECT_EQ(CellColour(list, 0, CSiteCtrl::kColItem), kGreen);
  qrv::test::SaveScreenshot(list, "site_item_list_after_a_failed_run");
}

// Every column keeps its width however narrow the list is; what does not fit is reached by scrolling sideways.
TEST_F(SiteCtrlTest, ColumnsKeepTheirWidthsAndANarrowListScrollsSideways) {
  LoadAndShow();
  list.show();
  list.resize(325, 150);
  list.SetRowResult(1, kRowFail, "-1", "Dll path FAIL", 0);
  ASSERT_TRUE(ProcessEventsUntil([&] { return list.GetItemText(1, CSiteCtrl::kColResult) == "FAIL"; }));
  const int widths[] = {20, 85, 40, 47, 61, 93, 53, 100};
  for (int column = 0; column <= CSiteCtrl::kColErrorMsg; ++column) {
    EXPECT_FALSE(list.isColumnHidden(column)) << column;
    EXPECT_EQ(list.columnWidth(column), widths[column]) << column;
  }
  EXPECT_TRUE(list.isColumnHidden(CSiteCtrl::kColBreak));
  qrv::test::SaveScreenshot(list, "site_item_list_scrolled_left");
  QScrollBar* sideways = list.horizontalScrollBar();
  ASSERT_TRUE(sideways->isVisible());
  sideways->setValue(sideways->maximum());
  const QRect errorMsg = list.visualItemRect(list.item(1, CSiteCtrl::kColErrorMsg));
  EXPECT_TRUE(list.viewport()->rect().contains(errorMsg)) << "the error message is in sight once scrolled";
  qrv::test::SaveScreenshot(list, "site_item_list_scrolled_right");
}

TEST_F(SiteCtrlTest, AnUpdateAfterTheListIsGoneIsHarmless) {
  SiteModel other;
  {
    CSiteCtrl gone('A', &other);
    other.SetUpdateHook(gone.UpdateHook());
  }
  std::thread worker([&] { other.SetRows({ItemRow{}}); });
  worker.join();
  QApplication::processEvents();
  EXPECT_EQ(other.RowCount(), 1);
}

TEST_F(SiteCtrlTest, MenuRightsFollowTheLoginLevelAndAMissingKeyIsWrittenWithItsDefault) {
  CQRV_LoadMemory record;
  record.m_nLoginLevel = 0;
  list.SetLinks(SiteCtrlLinks{nullptr, nullptr, &record, {}, {}, {}, {}});
  std::unique_ptr<QMenu> menu = list.CreateItemMenu();
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_EQ(menu->actions()[1]->text(), "Before Image");
  for (QAction* action : menu->actions()) EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
  EXPECT_NE(station.Read("Config/QRV_Config.ini").find("OP_Site=0;0;0;0;"), std::string::npos);

  // A field without a number greys its command, though the Maintenance default would enable it.
  station.Write("Config/QRV_Config.ini", "[QRV_Equip]\r\nModel_Name=M\r\n[MENU_ENABLE]\r\nMT_Site=1;0;;0;\r\n");
  EXPECT_EQ(CSiteCtrl::ReadMenuRights(1), (std::array<bool, 4>{true, false, false, false}));
  EXPECT_EQ(CSiteCtrl::ReadMenuRights(2), (std::array<bool, 4>{true, true, true, true}));
  const std::string before = station.Read("Config/QRV_Config.ini");
  EXPECT_EQ(CSiteCtrl::ReadMenuRights(12), (std::array<bool, 4>{true, true, true, true}));
  EXPECT_EQ(station.Read("Config/QRV_Config.ini"), before) << "a pending level reads and writes no key";
}

TEST_F(SiteCtrlTest, AnOperatorsDoubleClickStartsNothing) {
  CQRV_LoadMemory record;
  record.m_nLoginLevel = 0;
  list.SetLinks(SiteCtrlLinks{nullptr, nullptr, &record, {}, {}, {}, {}});
  LoadAndShow();
  list.OnDoubleClick(0);
  EXPECT_FALSE(list.SingleItemRunning());
  EXPECT_EQ(model.Row(0).result, "Ready");
}

TEST(SiteCtrlCycleGridTest, ColourModeOneFollowsColumnSix) {
  TestApplication();
  CSiteCtrl grid;
  grid.SetColorMode(1);
  for (int c = 0; c < 7; ++c) grid.InsertColumn(c, "", Qt::AlignLeft, 30);
  const char* results[] = {"PASS", "FAIL", "Testing..", "Ready"};
  for (int r = 0; r < 4; ++r) grid.SetItemText(grid.InsertItem(r, ""), 6, results[r]);
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(grid.CellBackground(0, c), kGreen);
    EXPECT_EQ(grid.CellBackground(1, c), kRed);
    EXPECT_EQ(grid.CellBackground(2, c), kYellow);
    EXPECT_FALSE(grid.CellBackground(3, c).isValid());
  }
}

}  // namespace
