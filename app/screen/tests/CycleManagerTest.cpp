// The cycle editor over a station folder: it shows what Cycle.ini holds, inserts DLLs once, moves entries, and saves every list and option back, but not while a site runs; what it
// shows but was not changed is written back as the file held it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QTabWidget>
#include <filesystem>

#include "CCycleGridCtrl.h"
#include "CycleManager.h"
#include "Util.h"
#include "port/message_box.h"
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
  std::filesystem::copy_file(SITE_ITEM_C, station.Path("Cycle/ItemC.DLL"));
}

}  // namespace

TEST(CycleManagerTest, ShowsTheListsAndSavesThemBack) {
  qrv::test::TestApplication();
  StationFolder station;
  WriteStation(station);
  bool running = false;
  CycleManager dialog([&running] { return running; });
  dialog.show();

  ASSERT_EQ(dialog.DllList()->GetItemCount(), 2) << "the extension matches without regard to case";
  EXPECT_EQ(dialog.DllList()->columnWidth(4), 68);
  const QFontMetrics metrics(dialog.DllList()->font());
  for (int row = 0; row < dialog.DllList()->GetItemCount(); ++row) {
    const QString date = dialog.DllList()->GetItemText(row, 4);
    EXPECT_EQ(date.size(), 10) << date.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(date) + 8, 68) << "the date shows whole in its column";
  }
  ASSERT_EQ(dialog.InitList()->GetItemCount(), 3) << "the garbled row and the missing entry are shown too";
  EXPECT_EQ(dialog.InitList()->GetItemText(0, 2), "2");
  EXPECT_TRUE(dialog.InitList()->GetCheck(0));
  EXPECT_EQ(dialog.InitList()->GetItemText(1, 3), "Broken row");
  EXPECT_FALSE(dialog.InitList()->GetCheck(1));
  EXPECT_EQ(dialog.InitList()->GetItemText(2, 3), "0") << "a missing entry reads as DLL \"0\", not checked";
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
  EXPECT_EQ(dialog.EndList(1)->GetItemText(2, 3), "ItemC.DLL");
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
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "1", "", kCycle), "ItemC.DLL,0,1");
  EXPECT_EQ(ReadIniString("B.CYCLE_END_DLL", "2", "", kCycle), "Gone.dll,0,3");
  EXPECT_EQ(ReadIniString("A.CYCLE_END_DLL", "Count", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "Count", "", kCycle), "3") << "no entry is lost";
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "0", "", kCycle), "ItemA.dll,1,2");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "1", "", kCycle), "Broken row") << "the garbled row as it was";
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "2", "<none>", kCycle), "<none>") << "the missing entry stays missing";
  EXPECT_EQ(ReadIniString("CYCLE_CLOSE_DLL", "Count", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_CLOSE_DLL", "5", "", kCycle), "Old.dll,1,1") << "old keys stay";
  EXPECT_EQ(ReadIniString("CYCLE_END_DLL", "ShowWIndow", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_SEND_RESULT", "check", "", kCycle), "1");
}

// Entries the editor shows but the engineer did not touch go back to the file byte for byte, wherever the
// engineer moved them; a changed entry is written as the editor shows it, unless its DLL name holds a comma,
// which would not read back: then nothing is written.
TEST(CycleManagerTest, KeepsEntriesItCannotShowAndRefusesOnlyRowsThatCannotBeStored) {
  qrv::test::TestApplication();
  StationFolder station;
  WriteStation(station);
  std::filesystem::copy_file(SITE_ITEM_A, station.Path("Cycle/Odd,Name.dll"));
  station.Write(kCycle, "[CYCLE_INIT_DLL]\r\nCount=4\r\n0=ItemA.dll,1,2,extra\r\n1=Broken row\r\n"
                        "3=ItemC.dll,1,x\r\n[CYCLE_CLOSE_DLL]\r\nCount=0\r\n");
  CycleManager dialog([] { return false; });
  ASSERT_EQ(dialog.InitList()->GetItemCount(), 4);
  EXPECT_TRUE(dialog.InitList()->GetCheck(0));
  EXPECT_EQ(dialog.InitList()->GetItemText(0, 2), "2") << "fields by position";
  port::ClearShownMessageBoxes();
  ASSERT_TRUE(dialog.SaveCycleLists());
  EXPECT_EQ(station.Read(kCycle).find("[CYCLE_INIT_DLL]\r\nCount=4\r\n0=ItemA.dll,1,2,extra\r\n1=Broken row\r\n"
                                      "3=ItemC.dll,1,x\r\n"),
            0u)
      << station.Read(kCycle);
  EXPECT_TRUE(port::ShownMessageBoxes().empty());

  // The missing entry moved up a row is written as it reads; the others keep their texts in their new places.
  dialog.InitList()->SetSelectionMark(2);
  dialog.InitList()->MoveRowUp();
  ASSERT_TRUE(dialog.SaveCycleLists());
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "1", "", kCycle), "0");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "2", "", kCycle), "Broken row");
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "3", "", kCycle), "ItemC.dll,1,x");

  // Switched off, the entry is written as shown, its retry text too.
  dialog.InitList()->SetCheck(3, false);
  ASSERT_TRUE(dialog.SaveCycleLists());
  EXPECT_EQ(ReadIniString("CYCLE_INIT_DLL", "3", "", kCycle), "ItemC.dll,0,x");

  // A DLL whose name holds a comma cannot be stored: nothing is written.
  const std::string kept = station.Read(kCycle);
  for (int row = 0; row < dialog.DllList()->GetItemCount(); ++row)
    dialog.DllList()->SetCheck(row, dialog.DllList()->GetItemText(row, 5) == "Odd,Name.dll");
  dialog.InsertCheckedDlls(dialog.InitList());
  EXPECT_FALSE(dialog.SaveCycleLists());
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_NE(port::ShownMessageBoxes()[0].text.find("Cycle Init, row 5: a comma in the DLL name \"Odd,Name.dll\""),
            std::string::npos)
      << port::ShownMessageBoxes()[0].text;
  EXPECT_EQ(station.Read(kCycle), kept) << "nothing is written";
}
