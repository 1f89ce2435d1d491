// What the main window does for its commands and messages over a running station: "Test Log Info" brings up
// the per-site test log, "Config" (from the menu or the "Info Msg" line) rebuilds the item settings pages, the
// list log follows the window when its option says so, and the model-reference message asks before closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>

#include "CommandMenuBar.h"
#include "ControllerIni.h"
#include "GridCtrl.h"
#include "IntegratedLog.h"
#include "ItemSettingDlg.h"
#include "ModalDriver.h"
#include "QRVBaseDlg.h"
#include "QRV_Messages.h"
#include "SitePanelFixture.h"
#include "SiteSpecTabDlg.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/ui_thread.h"
#include "port/window_message.h"
#include "qrv_test/screenshot.h"

using namespace menu_table;

namespace {

bool TopLevelShown(const QString& title) {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->windowTitle() == title && window->isVisible()) return true;
  return false;
}

void DoubleClick(QWidget& widget) {
  const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
  QMouseEvent click(QEvent::MouseButtonDblClick, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &click);
}

void ClickOk(QDialog& dialog) {
  auto* ok = dialog.findChild<QPushButton*>("1");
  ASSERT_NE(ok, nullptr);
  ok->click();
}

void Close(SitePanelStation& station, CQRVBaseDlg& window) {
  window.RequestExit();
  station.WaitFor([] { return false; }, std::chrono::milliseconds(50));
  port::ui::SetClosing(false);
}

}  // namespace

TEST(MainWindowCommandsTest, TestLogInfoShowsThePerSiteTestLog) {
  SitePanelStation station("2", "2");
  station.RegisterItems(2, {"TestItemA.dll"});
  CQRVBaseDlg window;
  window.show();
  SiteLogTab* testLog = window.SitePanel()->TestLogWindow();
  ASSERT_NE(testLog, nullptr);
  ASSERT_FALSE(testLog->isVisible());
  QAction* command = window.MenuBar()->Action(kTestLogInfo);
  ASSERT_TRUE(command->isEnabled());
  command->trigger();
  ASSERT_TRUE(station.WaitFor([&] { return testLog->isVisible(); }));
  EXPECT_EQ(testLog->windowTitle(), "Test Log");
  EXPECT_EQ(testLog->SiteCount(), 2);
  EXPECT_FALSE(TopLevelShown("Test Log Info")) << "the single-list log window is not what the command opens";
  qrv::test::SaveScreenshot(*testLog, "test_log_from_test_log_info");
  Close(station, window);
}

// The pages list each site's registered items: after Config's OK they list what the model registers now,
// whether the double click on "Info Msg" or the menu opened it; Cancel leaves the pages as they were.
TEST(MainWindowCommandsTest, ConfigConfirmedRebuildsTheItemSettingsPages) {
  SitePanelStation station("1", "1");
  station.RegisterItems(1, {"TestItemA.dll"});
  CQRVBaseDlg window;
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  SiteSpecTabDlg* spec = panel.OpenSpecSetting();
  ASSERT_EQ(spec->PageCount(), 1);
  ASSERT_EQ(spec->Page(0)->List()->GetItemCount(), 1);
  station.RegisterItems(1, {"TestItemA.dll", "TestItemB.dll"});

  bool opened = false;
  qrv::test::OnNextModal([&](QDialog& dialog) {
    opened = dialog.objectName() == "131";
    dialog.reject();
  });
  window.MenuBar()->Action(kConfig)->trigger();
  ASSERT_TRUE(opened);
  EXPECT_EQ(spec->Page(0)->List()->GetItemCount(), 1) << "Cancel rebuilds nothing";

  const struct {
    const char* how;
    std::function<void()> open;
  } openers[] = {
      {"Info Msg", [&] { DoubleClick(*panel.findChild<QWidget*>("1205")); }},
      {"menu", [&] { window.MenuBar()->Action(kConfig)->trigger(); }},
  };
  int items = 2;
  for (const auto& opener : openers) {
    SCOPED_TRACE(opener.how);
    opened = false;
    qrv::test::OnNextModal([&](QDialog& dialog) {
      opened = dialog.objectName() == "131";
      ClickOk(dialog);
    });
    opener.open();
    ASSERT_TRUE(opened);
    ItemSettingDlg* page = spec->Page(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->List()->GetItemCount(), items);
    station.RegisterItems(1, {"TestItemB.dll"});
    items = 1;
  }
  qrv::test::SaveScreenshot(*spec, "spec_setting_after_config");
  Close(station, window);
}

// With "Log Move Location" on the list log lies below the main window, as wide as the window and the panel
// beside it, after every move and resize; with it off the list log stays where it was.
TEST(MainWindowCommandsTest, ListLogFollowsTheMainWindowWhenItsMoveOptionIsOn) {
  for (const char* logMove : {"1", "0"}) {
    SCOPED_TRACE(logMove);
    SitePanelStation station("2", "2");
    const std::string controller = station.ModelFile("Controller.ini");
    for (const char* section : {"USER_INTERFACE", "USER_INIT"})
      port::ini::WriteString(controller, section, "LOG_MOVE", logMove);
    CQRVBaseDlg window;
    window.show();
    CIntegratedLog* listLog = window.SitePanel()->ListLogWindow();
    ASSERT_NE(listLog, nullptr);
    listLog->setGeometry(30, 20, 500, 180);
    const QRect before = listLog->geometry();

    window.move(100, 50);
    window.resize(1000, 600);
    station.WaitFor([] { return false; }, std::chrono::milliseconds(50));
    const QRect frame = window.frameGeometry();
    if (*logMove == '1') {
      EXPECT_EQ(listLog->pos(), QPoint(frame.left(), frame.bottom() + 1));
      const QrvRect sub = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
      ASSERT_GT(sub.right - sub.left, 0);
      EXPECT_EQ(listLog->width(), frame.width() + (sub.right - sub.left) + 10);
      EXPECT_EQ(listLog->height(), 180) << "the list log keeps its own height";
      window.move(140, 70);
      EXPECT_EQ(listLog->pos(), QPoint(window.frameGeometry().left(), window.frameGeometry().bottom() + 1));
      window.SitePanel()->ShowListLogWindow();
      ASSERT_TRUE(listLog->isVisible());
      qrv::test::SaveScreenPicture(qrv::test::ScreensFile("main_window_with_list_log_below"), QSize(1920, 1080),
                                   {&window, window.SitePanel(), listLog});
    } else {
      EXPECT_EQ(listLog->geometry(), before);
      // "Show ListBox" puts it at its saved place unless the window's own option, as the layout editor last
      // set it, says to leave it.
      window.SitePanel()->ShowListLogWindow();
      const QrvRect saved = ControllerIni::ReadRect("USER_INTERFACE", "LISTLOG_SIZE");
      EXPECT_EQ(listLog->geometry().topLeft(), QPoint(saved.left, saved.top));
      listLog->move(30, 20);
      listLog->SetLogMove(1);
      window.SitePanel()->ShowListLogWindow();
      EXPECT_EQ(listLog->pos(), QPoint(30, 20));
    }
    Close(station, window);
  }
}

// Nothing in the station sends it; a tool that does gets the close question with its own text, and a No keeps
// that text for every later close.
TEST(MainWindowCommandsTest, RefAutoChangeMessageAsksItsOwnCloseQuestion) {
  SitePanelStation station("1", "1");
  CQRVBaseDlg window;
  window.show();
  port::ClearShownMessageBoxes();
  port::QueueMessageBoxAnswer(port::kIdNo);
  port::QueueMessageBoxAnswer(port::kIdNo);
  EXPECT_EQ(port::SendMessage(&window, kWmRefAutoChange, 0, 0), 0);
  EXPECT_TRUE(window.isVisible()) << "No keeps the program up";
  window.close();
  const std::vector<port::ShownMessageBox> boxes = port::ShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const port::ShownMessageBox& box : boxes) EXPECT_EQ(box.text, "Ref Auto Change?");
  Close(station, window);
}
