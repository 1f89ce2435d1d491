// The keypad command table: what a fresh model shows, what OK writes, and OK refused while a site runs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include "CommunicationDlg.h"
#include "GridCtrl.h"
#include "port/message_box.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;

TEST(CommunicationDlgTest, AFreshModelShowsTenEmptyKeysAndOkWritesTheEditedTable) {
  qrv::test::TestApplication();
  StationFolder station;
  CommunicationDlg dialog({});
  CGridCtrl* list = dialog.List();
  ASSERT_EQ(list->GetItemCount(), 10);
  for (int key = 0; key < 10; ++key) {
    EXPECT_EQ(list->GetItemText(key, 0), QString::number(key));
    EXPECT_EQ(list->GetItemText(key, 1), "");
  }
  EXPECT_FALSE(dialog.KeyUse()->isChecked());

  dialog.OnDoubleClick(5, 0);
  EXPECT_EQ(list->GetEditor(), nullptr) << "the key column is not edited";
  dialog.OnDoubleClick(5, 1);
  ASSERT_NE(list->GetEditor(), nullptr);
  list->GetEditor()->setText("START");
  dialog.OnDoubleClick(7, 1);
  ASSERT_NE(list->GetEditor(), nullptr);
  list->GetEditor()->setText("Item 7 (any text)");
  dialog.KeyUse()->setChecked(true);
  list->CommitEdit();
  qrv::test::SaveScreenshot(dialog, "communication");
  dialog.findChild<QPushButton*>("1")->click();

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(CommunicationDlg::ReadKeyUse(), 1);
  EXPECT_EQ(CommunicationDlg::ReadKeyValue("KEY_USE_5"), "START");
  EXPECT_EQ(CommunicationDlg::ReadKeyValue("KEY_USE_7"), "Item 7 (any text)");
  const std::string file = station.Read("Ref/M/Config.ini");
  EXPECT_NE(file.find("KEY_USE_0=\n"), std::string::npos) << "every key is written, empty ones too: " << file;

  CommunicationDlg reopened({});
  EXPECT_TRUE(reopened.KeyUse()->isChecked());
  EXPECT_EQ(reopened.List()->GetItemText(5, 1), "START");
}

TEST(CommunicationDlgTest, OkWhileASiteRunsWritesNothingAndSaysNothing) {
  qrv::test::TestApplication();
  StationFolder station;
  station.Write("Ref/M/Config.ini", "[COMMUNICATION]\r\nKEY_USE=0\r\nKEY_USE_1=STOP\r\n");
  port::ClearShownMessageBoxes();
  CommunicationDlg dialog([] { return true; });
  dialog.KeyUse()->setChecked(true);
  dialog.List()->SetItemText(1, 1, "START");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "refused without a word";
  EXPECT_EQ(station.Read("Ref/M/Config.ini"), "[COMMUNICATION]\r\nKEY_USE=0\r\nKEY_USE_1=STOP\r\n");
}

}  // namespace
