// The error-code editor over a station folder with two test items in its Dll folder: what it lists and shows,
// what Save writes and what the lookups then find, the auto-save on leaving a library, and refused input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <filesystem>

#include "ErrorCodeDlg.h"
#include "ErrorCodeTable.h"
#include "GridCtrl.h"
#include "port/message_box.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;
namespace fs = std::filesystem;

class ErrorCodeDlgTest : public ::testing::Test {
 protected:
  ErrorCodeDlgTest() {
    qrv::test::TestApplication();
    fs::create_directories(m_station.Path("Dll"));
    fs::create_directories(m_station.Path("Cycle"));
    fs::copy_file(TEST_ITEM_B, m_station.Path("Dll/TestItemB.dll"));
    fs::copy_file(TEST_ITEM_A, m_station.Path("Dll/TestItemA.dll"));
    fs::copy_file(TEST_ITEM_A, m_station.Path("Cycle/CycleItem.dll"));
    m_station.Write("Dll/NotAnItem.dll", "no version block");
    m_station.Write("Msg/Message_KR.ini", "[INI_VERSION]\r\nver=7\r\n[CODE]\r\n5=five\r\n");
    m_station.Write("Ref/M/ErrorCode.ini",
                    "[INI_VERSION]\r\nver=2.5\r\n[KR_PATH]\r\nMESSAGE_KR_PATH=" + m_station.Path("Msg/Message_KR.ini") +
                        "\r\n[TestItemA.dll]\r\ncount=5\r\n0=1,5,105,Five\r\n1=2,6,106,Six\r\n2=0,7,107,Seven\r\n"
                        "4=1,9,109,Nine\r\n[TestItemB.dll]\r\ncount=1\r\n0=1,3,303,Three\r\n");
    port::ClearShownMessageBoxes();
  }

  static std::vector<bool> Checks(const CGridCtrl* list) {
    std::vector<bool> checks;
    for (int row = 0; row < list->GetItemCount(); ++row) checks.push_back(list->GetCheck(row));
    return checks;
  }

  static std::vector<int> Widths(const CGridCtrl* list) {
    std::vector<int> widths;
    for (int column = 0; column < list->GetColumnCount(); ++column) widths.push_back(list->columnWidth(column));
    return widths;
  }

  // Every header and cell text fits its column with the view's margins, so nothing is cut or wrapped.
  static void ExpectWholeTexts(const CGridCtrl* list) {
    constexpr int kMargins = 8;
    const QFontMetrics metrics(list->font());
    for (int column = 0; column < list->GetColumnCount(); ++column) {
      std::vector<QString> texts{list->horizontalHeaderItem(column)->text()};
      for (int row = 0; row < list->GetItemCount(); ++row) texts.push_back(list->GetItemText(row, column));
      for (const QString& text : texts)
        EXPECT_LE(metrics.horizontalAdvance(text) + kMargins, list->columnWidth(column))
            << list->objectName().toStdString() << ": " << text.toStdString();
    }
  }

  // A left click on a cell as the operator makes it: press and release on the cell's centre.
  static void ClickCell(CGridCtrl* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row, 0)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(list->viewport(), &event);
    }
  }

  std::string Table() const { return m_station.Read("Ref/M/ErrorCode.ini"); }
  ErrorCodeTable Lookup() const {
    return ErrorCodeTable([this] { return m_station.Path("Ref/M/ErrorCode.ini"); });
  }

  StationFolder m_station;
};

TEST_F(ErrorCodeDlgTest, ListsTheDllFoldersItemsAndShowsTheFirstOnesEntries) {
  ErrorCodeDlg dialog({});
  const CGridCtrl* dlls = dialog.DllList();
  ASSERT_EQ(dlls->GetItemCount(), 2) << "only libraries with an item name, only from Dll";
  EXPECT_EQ(dlls->GetItemText(0, ErrorCodeDlg::kDllNameColumn), "TestItemA.dll");
  EXPECT_EQ(dlls->GetItemText(0, ErrorCodeDlg::kItemColumn), "TestItemA");
  EXPECT_EQ(dlls->GetItemText(1, ErrorCodeDlg::kVersionColumn), "1.0.0.2");
  EXPECT_EQ(dlls->GetItemText(0, ErrorCodeDlg::kUpdateColumn).size(), 19);

  const CGridCtrl* codes = dialog.CodeList();
  ASSERT_EQ(codes->GetItemCount(), 5);
  EXPECT_EQ(Checks(codes), (std::vector<bool>{true, false, false, false, true}))
      << "only an exact 1 is enabled, as the lookups read it";
  EXPECT_EQ(codes->GetItemText(0, ErrorCodeDlg::kHandlerColumn), "105");
  EXPECT_EQ(codes->GetItemText(3, ErrorCodeDlg::kOutputColumn), "") << "a missing key is an empty row";
  EXPECT_EQ(codes->GetItemText(4, ErrorCodeDlg::kTextColumn), "Nine");

  EXPECT_EQ(dialog.findChild<QLineEdit*>("1247")->text(), "999") << "a missing stop code is the lookups' 999";
  EXPECT_EQ(dialog.findChild<QLabel*>("1188")->text(), "2.5");
  EXPECT_EQ(dialog.findChild<QLabel*>("1189")->text(), "7");
  const CGridCtrl* handler = dialog.HandlerList();
  ASSERT_EQ(handler->GetItemCount(), 4);
  EXPECT_EQ(handler->GetItemText(0, 0), "Count Error");
  EXPECT_EQ(handler->GetItemText(3, 1), "618");
  EXPECT_FALSE(qrv::test::SaveScreenshot(dialog, "error_code").empty());
  EXPECT_EQ(Widths(dlls), (std::vector<int>{120, 110, 50, 123}));
  EXPECT_EQ(Widths(codes), (std::vector<int>{25, 95, 95, 213}));
  EXPECT_EQ(Widths(handler), (std::vector<int>{200, 200}));
  EXPECT_EQ(codes->horizontalHeaderItem(ErrorCodeDlg::kHandlerColumn)->text(), "HANDELER CODE");
  for (const CGridCtrl* list : {dlls, codes, handler}) ExpectWholeTexts(list);
}

TEST_F(ErrorCodeDlgTest, LibrariesAreListedByNameWithoutRegardToCase) {
  fs::copy_file(TEST_ITEM_A, m_station.Path("Dll/aLower.dll"));
  fs::copy_file(TEST_ITEM_A, m_station.Path("Dll/Zed.dll"));
  ErrorCodeDlg dialog({});
  const CGridCtrl* dlls = dialog.DllList();
  std::vector<QString> names;
  for (int row = 0; row < dlls->GetItemCount(); ++row) names.push_back(dlls->GetItemText(row, ErrorCodeDlg::kDllNameColumn));
  EXPECT_EQ(names, (std::vector<QString>{"aLower.dll", "TestItemA.dll", "TestItemB.dll", "Zed.dll"}));
}

TEST_F(ErrorCodeDlgTest, SaveWritesTheShownEntriesAndTheLookupsSeeOnlyThem) {
  ErrorCodeDlg dialog({});
  CGridCtrl* codes = dialog.CodeList();
  for (int i = 0; i < 3; ++i) {
    codes->SetSelectionMark(2);
    dialog.OnBnClickedDelete();
  }
  ASSERT_EQ(codes->GetItemCount(), 2);
  dialog.OnDblclkCodeList(1, ErrorCodeDlg::kHandlerColumn);
  ASSERT_NE(codes->GetEditor(), nullptr);
  codes->GetEditor()->setText("616");
  dialog.OnDblclkHandlerList(0, 1);
  ASSERT_NE(dialog.HandlerList()->GetEditor(), nullptr);
  dialog.HandlerList()->GetEditor()->setText("700");
  dialog.findChild<QPushButton*>("1")->click();

  const std::string table = Table();
  EXPECT_NE(table.find("count=2"), std::string::npos) << table;
  EXPECT_NE(table.find("0=1,5,105,Five"), std::string::npos) << table;
  EXPECT_NE(table.find("1=0,6,616,Six"), std::string::npos) << "a disabled entry stays disabled: " << table;
  EXPECT_NE(table.find("STOP_CODE=999"), std::string::npos) << table;
  EXPECT_NE(m_station.Read("Ref/M/ItemVersion.ini").find("Count code=700"), std::string::npos);
  EXPECT_NE(dialog.result(), QDialog::Accepted) << "Save leaves the dialog open";

  int code = 9;
  EXPECT_FALSE(Lookup().GetHandlerCode("TestItemA.dll", code)) << "entries beyond the count are not read";
  code = 5;
  EXPECT_TRUE(Lookup().GetHandlerCode("TestItemA.dll", code));
  EXPECT_EQ(code, 105);
  EXPECT_EQ(Lookup().GetStopCode(), 999);
}

TEST_F(ErrorCodeDlgTest, LeavingALibrarySavesItAndShowsTheNextOnesEntries) {
  ErrorCodeDlg dialog({});
  dialog.OnBnClickedInsert();
  CGridCtrl* codes = dialog.CodeList();
  ASSERT_EQ(codes->GetItemCount(), 6);
  EXPECT_EQ(codes->GetSelectionMark(), 5);
  EXPECT_FALSE(codes->GetCheck(5));
  dialog.DllList()->setCurrentCell(1, 0);

  EXPECT_NE(Table().find("5=0,0,0,-"), std::string::npos) << Table();
  EXPECT_NE(Table().find("count=6"), std::string::npos);
  EXPECT_EQ(dialog.ShownDll(), "TestItemB.dll");
  ASSERT_EQ(codes->GetItemCount(), 1);
  EXPECT_EQ(codes->GetItemText(0, ErrorCodeDlg::kHandlerColumn), "303");
}

// A click on a library shows its stored entries, also on the library already shown: what was not saved
// there is dropped. A click on another library first saves the one left.
TEST_F(ErrorCodeDlgTest, AClickOnALibraryShowsItsStoredEntries) {
  ErrorCodeDlg dialog({});
  dialog.show();
  CGridCtrl* dlls = dialog.DllList();
  CGridCtrl* codes = dialog.CodeList();
  dialog.OnBnClickedInsert();
  ASSERT_EQ(codes->GetItemCount(), 6);
  const std::string before = Table();
  ClickCell(dlls, 0);
  EXPECT_EQ(dialog.ShownDll(), "TestItemA.dll");
  EXPECT_EQ(codes->GetItemCount(), 5) << "the row inserted and not saved is gone";
  EXPECT_EQ(Table(), before) << "a click on the shown library saves nothing";

  dialog.OnBnClickedInsert();
  ClickCell(dlls, 1);
  EXPECT_EQ(dialog.ShownDll(), "TestItemB.dll");
  EXPECT_EQ(codes->GetItemCount(), 1);
  EXPECT_NE(Table().find("count=6"), std::string::npos) << "the library left was saved: " << Table();
}

// A library whose save is refused for what was typed is not left, by a click or a key: its unsaved rows stay.
TEST_F(ErrorCodeDlgTest, ALibraryWhoseSaveIsRefusedKeepsTheSelectionAndItsUnsavedRows) {
  ErrorCodeDlg dialog({});
  dialog.show();
  CGridCtrl* dlls = dialog.DllList();
  CGridCtrl* codes = dialog.CodeList();
  dialog.OnBnClickedInsert();
  ASSERT_EQ(codes->GetItemCount(), 6);
  dialog.findChild<QLineEdit*>("1247")->setText("0");
  const std::string before = Table();
  const auto stays = [&](const char* how) {
    SCOPED_TRACE(how);
    EXPECT_EQ(port::ShownMessageBoxes().size(), 1u) << "the refusal says why";
    port::ClearShownMessageBoxes();
    EXPECT_EQ(dlls->currentRow(), 0);
    EXPECT_EQ(dlls->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(dlls->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(dialog.ShownDll(), "TestItemA.dll");
    EXPECT_EQ(codes->GetItemCount(), 6) << "the inserted row is still there";
    EXPECT_EQ(Table(), before);
  };
  ClickCell(dlls, 1);
  stays("click");
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(dlls, &down);
  stays("down arrow");
  dlls->setCurrentCell(1, 0);
  stays("the program");
  qrv::test::SaveScreenshot(dialog, "error_code_save_refused");

  dialog.findChild<QLineEdit*>("1247")->setText("998");
  ClickCell(dlls, 1);
  EXPECT_TRUE(port::ShownMessageBoxes().empty());
  EXPECT_EQ(dialog.ShownDll(), "TestItemB.dll");
  EXPECT_TRUE(dlls->selectionModel()->isRowSelected(1, QModelIndex()));
  ClickCell(dlls, 0);
  EXPECT_EQ(codes->GetItemCount(), 6) << "the row was saved when the library was left";
  EXPECT_EQ(codes->GetItemText(5, ErrorCodeDlg::kTextColumn), "-");
}

TEST_F(ErrorCodeDlgTest, ATextWithACommaAndAStopCodeThatReportsAPassAreRefused) {
  ErrorCodeDlg dialog({});
  CGridCtrl* codes = dialog.CodeList();
  dialog.OnDblclkCodeList(0, ErrorCodeDlg::kTextColumn);
  ASSERT_NE(codes->GetEditor(), nullptr);
  codes->GetEditor()->clear();
  for (const char* typed : {"a", ",", "b"}) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
    QApplication::sendEvent(codes->GetEditor(), &press);
  }
  EXPECT_EQ(codes->GetEditor()->text(), "ab") << "a comma is not typed";
  codes->GetEditor()->setText("Short, circuit");
  const std::string unchanged = Table();
  EXPECT_FALSE(dialog.SaveErrorCodes());
  EXPECT_EQ(Table(), unchanged);
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_NE(port::ShownMessageBoxes()[0].text.find("comma"), std::string::npos);
  codes->SetItemText(0, ErrorCodeDlg::kTextColumn, "Short circuit");

  const std::string before = Table();
  for (const char* stopCode : {"", "0", "-", "00"}) {
    port::ClearShownMessageBoxes();
    dialog.findChild<QLineEdit*>("1247")->setText(stopCode);
    EXPECT_FALSE(dialog.SaveErrorCodes()) << stopCode;
    EXPECT_EQ(port::ShownMessageBoxes().size(), 1u) << stopCode;
  }
  EXPECT_EQ(Table(), before);
  dialog.findChild<QLineEdit*>("1247")->setText("-7");
  EXPECT_TRUE(dialog.SaveErrorCodes());
  EXPECT_EQ(Lookup().GetStopCode(), -7);
}

TEST_F(ErrorCodeDlgTest, SaveWhileASiteRunsWritesNothingAndSaysNothing) {
  const std::string before = Table();
  ErrorCodeDlg dialog([] { return true; });
  dialog.OnBnClickedInsert();
  EXPECT_FALSE(dialog.SaveErrorCodes());
  dialog.DllList()->setCurrentCell(1, 0);
  EXPECT_EQ(dialog.ShownDll(), "TestItemB.dll") << "the next library shows; nothing could be saved";
  EXPECT_EQ(Table(), before);
  EXPECT_TRUE(port::ShownMessageBoxes().empty()) << "neither the Save nor the save on leaving the library says a word";
  EXPECT_FALSE(m_station.Exists("Ref/M/ItemVersion.ini"));
}

TEST_F(ErrorCodeDlgTest, TheMessageFileIsChosenAndOpenedOnlyWhenItExists) {
  ErrorCodeDlg dialog({});
  auto* path = dialog.findChild<QLineEdit*>("1207");
  dialog.SetFilePicker([] { return std::string(); });
  dialog.OnBnClickedBrowse();
  EXPECT_EQ(path->text().toStdString(), m_station.Path("Msg/Message_KR.ini")) << "nothing chosen, nothing changed";
  dialog.SetFilePicker([this] { return m_station.Path("Msg/Other.ini"); });
  dialog.OnBnClickedBrowse();
  EXPECT_EQ(path->text().toStdString(), m_station.Path("Msg/Other.ini"));

  dialog.OnBnClickedOpen();
  ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
  EXPECT_EQ(port::ShownMessageBoxes()[0].text, "ErrorCode file is not exist");
  EXPECT_FALSE(m_station.Exists("Msg/Other.ini")) << "opening creates nothing";
  path->setText(QString::fromStdString(m_station.Path("Msg/Message_KR.ini")));
  dialog.OnBnClickedOpen();
  EXPECT_EQ(port::ShownMessageBoxes().size(), 1u);
}

}  // namespace
