// The lot number dialog: the stored number, Start and End with the reset question, both refused while a site
// runs, digits-only typing, the on-screen keyboard, and the dated log folders of the lot.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "LotNumberDlg.h"
#include "ModalDriver.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::StationFolder;
namespace fs = std::filesystem;

struct Calls {
  int lotEnds = 0;
  int resets = 0;
};

LotNumberDlg::Panel Recording(Calls& calls, bool running = false) {
  return {[running] { return running; }, [&calls] { ++calls.lotEnds; }, [&calls] { ++calls.resets; }};
}

std::string ErrorLogText() {
  return qrv::test::ReadFile(platform_error_log::GetErrorLogPath(port::clock::NowLocal()));
}

TEST(LotNumberDlgTest, ShowsTheStoredNumberAndStartTakesTheEditedOne) {
  qrv::test::TestApplication();
  StationFolder station;
  Calls calls;
  LotNumberDlg missing(Recording(calls));
  EXPECT_EQ(missing.Edit()->text(), "0");

  station.Write("Ref/M/Config.ini", "[LOT_NUMBER]\r\nnumber=20240305\r\n");
  LotNumberDlg dialog(Recording(calls));
  EXPECT_EQ(dialog.Edit()->text(), "20240305");
  qrv::test::SaveScreenshot(dialog, "lot_number");
  dialog.Edit()->setText("777");
  dialog.findChild<QPushButton*>("1")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.LotText(), "777");
  EXPECT_EQ(calls.lotEnds, 0);
  EXPECT_EQ(ModelSettings::ReadLotNumber(), "20240305") << "storing the lot is the panel's";
}

TEST(LotNumberDlgTest, EndWritesTheClosingLinesAndResetsOnlyWhenTheOperatorAgrees) {
  qrv::test::TestApplication();
  StationFolder station;
  const struct {
    int answer;
    bool escape;
    int resets;
  } cases[] = {{port::kIdYes, false, 1}, {port::kIdNo, false, 0}, {port::kIdYes, true, 1}, {port::kIdNo, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.answer) + (c.escape ? " by Esc" : " by End"));
    Calls calls;
    LotNumberDlg dialog(Recording(calls));
    port::ClearShownMessageBoxes();
    port::QueueMessageBoxAnswer(c.answer);
    if (c.escape) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(&dialog, &escape);
    } else {
      dialog.findChild<QPushButton*>("2")->click();
    }
    EXPECT_EQ(calls.lotEnds, 1);
    EXPECT_EQ(calls.resets, c.resets);
    ASSERT_EQ(port::ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(port::ShownMessageBoxes()[0].text, "Do you want to initialize the data yield?");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

TEST(LotNumberDlgTest, StartAndEndWhileASiteRunsAreLoggedAndKeepTheDialogOpen) {
  qrv::test::TestApplication();
  StationFolder station;
  Calls calls;
  LotNumberDlg dialog(Recording(calls, true));
  dialog.show();
  dialog.findChild<QPushButton*>("1")->click();
  dialog.findChild<QPushButton*>("2")->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(calls.lotEnds, 0);
  const std::string log = ErrorLogText();
  const std::size_t first = log.find("Platform Testing...");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("Platform Testing...", first + 1), std::string::npos) << "both buttons are refused";
  dialog.done(QDialog::Rejected);
}

TEST(LotNumberDlgTest, TypedKeysAreDigitsOnlyAndTheKeyboardsTextIsTakenAsItIs) {
  qrv::test::TestApplication();
  StationFolder station;
  Calls calls;
  LotNumberDlg dialog(Recording(calls));
  dialog.Edit()->clear();
  for (const auto& [key, text] : {std::pair{Qt::Key_4, "4"}, {Qt::Key_A, "a"}, {Qt::Key_Minus, "-"}, {Qt::Key_2, "2"}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(dialog.Edit(), &press);
  }
  EXPECT_EQ(dialog.Edit()->text(), "42");

  qrv::test::OnNextModal([](QDialog& keyboard) {
    for (const QString caption : {"L", "O", "T", "_", "9", "Backspace", "8", "Enter"}) {
      QPushButton* key = nullptr;
      for (QPushButton* button : keyboard.findChildren<QPushButton*>())
        if (button->text() == caption) key = button;
      ASSERT_NE(key, nullptr) << caption.toStdString();
      key->click();
    }
  });
  QFocusEvent touch(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(dialog.Edit(), &touch);
  ASSERT_TRUE(qrv::test::ProcessEventsUntil([&] { return dialog.Edit()->text() != "42"; }));
  EXPECT_EQ(dialog.Edit()->text(), "LOT_8");
  EXPECT_EQ(dialog.LotText(), "LOT_8");

  const qrv::test::ModalWatch keyboardWatch([](QDialog&) {});
  QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(dialog.Edit(), &back);
  for (int i = 0; i < 5; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_FALSE(keyboardWatch.Acted()) << "focus coming back opens no keyboard";
}

TEST(LotNumberDlgTest, TodaysFoldersAreMadeUnderTheStoredLogFolderOrTheCheckFails) {
  StationFolder station;
  const std::string today = QDate::currentDate().toString("yyyyMMdd").toStdString();
  const std::string base = station.Path("Eng");
  station.Write("Ref/M/Config.ini", "[LOG]\r\nEngineerLog=" + base + "\r\nProductionLog=" + station.Path("blocked") +
                                        "\r\n");
  EXPECT_EQ(LotNumberDlg::CreateLotFolders("EngineerLog"), 1);
  EXPECT_TRUE(fs::is_directory(base + "/ImageFile/" + today));
  EXPECT_TRUE(fs::is_directory(base + "/LogFile/" + today));

  fs::remove_all(base + "/LogFile");
  EXPECT_EQ(LotNumberDlg::CreateLotFolders("EngineerLog"), 1) << "one folder missing is made";
  EXPECT_TRUE(fs::is_directory(base + "/LogFile/" + today));

  station.Write("blocked", "a file where the log folder should be");
  EXPECT_EQ(LotNumberDlg::CreateLotFolders("ProductionLog"), 0);

  EXPECT_EQ(LotNumberDlg::CreateLotFolders("NoSuchKey"), 1) << "a missing key is the folder 0 of the station";
  EXPECT_TRUE(fs::is_directory(station.Path("0/ImageFile/" + today)));
}

}  // namespace
