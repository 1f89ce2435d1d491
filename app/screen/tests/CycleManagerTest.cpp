// The cycle editor over a station folder: it shows what Cycle.ini holds (and names what it skipped),
// inserts DLLs once, moves entries, and saves every list and option back, but not while a site runs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTabWidget>
#include <filesystem>

#include "CCycleGridCtrl.h"
#include "CycleManager.h"
#include "Util.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "qrv_test/test_application.h"

using qrv::test::StationFolder;

namespace {

constexpr const char* kCycle = "Ref/M/Cycle.ini";

void WriteStation(const StationFolder& station) {
  station.Write("Ref/M/Config.ini", "[SITE]\r\nsite=2\r\n[SITE_NAME]\r\n0=A\r\n1=B\r\n");
  station.Write(kCycle,
                "[CYCLE_INIT_DLL]\r\nCount=3\r\n0=ItemA.dll,1,2\r\n1=Broken row\r\nShowWIndow=1\r\n"
                "[B.CYCLE_END_DLL]\r\nCount=2\r\n0=ItemA.dll,1,1\r\n1=Gone.dll,0,3\r\n"
                "[CYCLE_CLOSE_DLL]\r\nCount=1\r\n0=ItemA.dll,0,1\r\n5=Old.dll,1,1\r\n"
                "[CYCLE_SEND_RESULT]\r\ncheck=1\r\n");
  std::filesystem::create_directories(station.Path("Cycle"));
  std::filesystem::copy_file(SITE_ITEM_A, station.Path("Cycle/ItemA.dll"));
  std::filesystem::copy_file(SITE_ITEM_C, station.Path("Cycle/ItemC.dll"));
}

}  // namespace

TEST(CycleManagerTest, ShowsTheListsNamesWhatItSkippedAndSavesThemBack) {
  qrv::test::TestApplication();
  StationFolder station;
  WriteStation(station);
  bool running = false;
  CycleManager dialog([&running] { return running; });
  dialog.show();

  ASSERT_EQ(dialog.DllList()->GetItemCount(), 2);
  ASSERT_EQ(dialog.InitList()->GetItemCount(), 1);
  EXPECT_EQ(dialog.InitList()->GetItemText(0, 2), "2");
  EXPECT_TRUE(dialog.InitList()->GetCheck(0));
  ASSERT_EQ(dialog.Skipped().size(), 2u) << "the garbled row and the missing entry of the Init list";
  ASSERT_EQ(dialog.EndList(1)->GetItemCount(), 2);
  EXPECT_EQ(dialog.EndList(1)->GetItemText(1, 1), "") << "a DLL that is gone shows no item name";
  EXPECT_TRUE(dialog.Option(1123)->isChecked());
  EXPECT_TRUE(dialog.Option(1150)->isChecked());

  // Both DLLs inserted into site B's End list: ItemA is there already, ItemC comes once, unchecked, retry 1.
  dialog.SiteTab()->setCurrentIndex(1);
  for (int row = 0; row < dialog.DllList()->GetItemCount(); ++row) dialog.DllList()->SetCheck(row, true);
  dialog.InsertCheckedDlls(dialog.EndList(1));
  dialog.InsertCheckedDlls(dialog.EndList(1));
  ASSERT_EQ(dialog.EndList(1)->GetItemCount(), 3);
  EXPECT_EQ(dialog.EndList(1)->GetItemText(2, 3), "ItemC.dll");
  EXPECT_EQ(dialog.EndList(1)->GetItemText(2, 2), "1");
  EXPECT_FALSE(dialog.EndList(1)->GetCheck(2));
  dialog.EndList(1)->SetSelectionMark(2);
  dialog.EndList(1)->MoveRowUp();
  dialog.CloseList()->SetSelectionMark(0);
  dialog.CloseList()->DeleteSelectedRow();
  qrv::test::SaveScreenshot(dialog, "cycle_manager");

  running = true;
  EXPECT_FALSE(dialog.SaveCycleLists());
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "Count", "", kCycle), "2") << "nothing is written while a site runs";

  running = false;
  EXPECT_TRUE(dialog.SaveCycleLists());
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "Count", "", kCycle), "3");
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "1", "", kCycle), "ItemC.dll,0,1");
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "2", "", kCycle), "Gone.dll,0,3");
  EXPECT_EQ(ReadIniString("A.CYCLE_END_DLL", "Count", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "Count", "", kCycle), "1");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "0", "", kCycle), "ItemA.dll,1,2");
  EXPECT_EQ(ReadIniString("CYCLE_CLOSE_DLL", "Count", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_CLOSE_DLL", "5", "", kCycle), "Old.dll,1,1") << "old keys stay";
  EXPECT_EQ(ReadIniString("CYCLE_END_DLL", "ShowWIndow", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_SEND_RESULT", "check", "", kCycle), "1");
}
