// The screen-layout editor over a running station: dragging a control in the editing mode, the saves and
// what a restart keeps of them, the view-size modes, values stored as typed and the site-name table it opens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "ControllerIni.h"
#include "GridCtrl.h"
#include "QRVBaseDlg.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "UIManagerDlg.h"
#include "UISubTabDlg.h"
#include "Util.h"
#include "port/ini.h"
#include "port/message_box.h"
#include "port/taskbar.h"
#include "port/ui_thread.h"
#include "qrv_test/file_text.h"
#include "qrv_test/screenshot.h"

namespace {

void SendMouse(QWidget& target, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
  const QPointF local = target.mapFromGlobal(QPointF(global));
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, local, QPointF(global), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&target, &event);
}

// A left-button drag that starts in the middle of the control, as the operator's mouse would move it.
void Drag(QWidget& control, const QPoint& by) {
  const QPoint start = control.mapToGlobal(QPoint(control.width() / 2, control.height() / 2));
  SendMouse(control, QEvent::MouseButtonPress, start, Qt::LeftButton);
  SendMouse(control, QEvent::MouseMove, start + by / 2, Qt::LeftButton);
  SendMouse(control, QEvent::MouseMove, start + by, Qt::LeftButton);
  SendMouse(control, QEvent::MouseButtonRelease, start + by, Qt::NoButton);
}

std::string Rect(const QRect& r) {
  return "1." + std::to_string(r.left()) + "." + std::to_string(r.top()) + "." + std::to_string(r.left() + r.width()) +
         "." + std::to_string(r.top() + r.height());
}

int FindRow(const CGridCtrl* list, int column, const QString& key) {
  for (int row = 0; row < list->GetItemCount(); ++row)
    if (list->GetItemText(row, column) == key) return row;
  return -1;
}

class LayoutEditorTest : public ::testing::Test {
 protected:
  LayoutEditorTest() : station("2", "2") {}
  ~LayoutEditorTest() override { port::ui::SetClosing(false); }

  std::string Controller() const { return station.ModelFile("Controller.ini"); }
  std::string Read(const char* section, const char* key) const {
    return port::ini::ReadString(Controller(), section, key, "<missing>");
  }
  void Write(const char* section, const char* key, const char* value) const {
    port::ini::WriteString(Controller(), section, key, value);
  }
  static void Close(CQRVBaseDlg& window) {
    window.RequestExit();
    port::ui::SetClosing(false);
  }

  SitePanelStation station;
};

TEST_F(LayoutEditorTest, TheEditorOpensTheEditingModeAndShowsTheLayoutOfTheFile) {
  Write("USER_INIT", "USER_MSG_FONT", "30.1.2.3.4.5.6.0.1");
  Write("USER_INIT", "ERROR_MSG_FONT", nullptr);
  DynamicDlg& panel = station.StartPanel();
  UIManagerDlg* editor = panel.LayoutEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->isVisible()) << "created hidden";
  EXPECT_FALSE(panel.IsUiEditMode());

  ASSERT_TRUE(panel.OpenControllerSetting());
  EXPECT_TRUE(editor->isVisible());
  EXPECT_TRUE(panel.IsUiEditMode());
  EXPECT_EQ(Read("USER_INIT", "ERROR_MSG_FONT"), "19.0.0.0.255.0.0.0.0") << "a missing font is created";
  EXPECT_EQ(Read("USER_INIT", "USER_MSG_FONT"), "30.1.2.3.4.5.6.0.1") << "a present font is kept";

  const CGridCtrl* fonts = editor->FontList();
  ASSERT_EQ(fonts->GetItemCount(), 32);
  EXPECT_EQ(fonts->GetItemText(0, 0), "ERROR_MSG");
  EXPECT_EQ(fonts->GetItemText(2, 1), "30");
  EXPECT_EQ(fonts->GetItemText(31, 0), "RESULT_DESC_MSG");
  const CGridCtrl* windows = editor->WindowList();
  ASSERT_EQ(windows->GetItemCount(), 3);
  EXPECT_EQ(windows->GetItemText(0, 0), "VIEW_SIZE");
  EXPECT_EQ(windows->GetItemText(1, 0), "VIEW_SIZE_SUB");
  EXPECT_EQ(windows->GetItemText(2, 0), "LISTLOG_SIZE");
  const CGridCtrl* controls = editor->ControlList();
  EXPECT_EQ(controls->GetItemCount(), ControllerIni::ReadControlCount());
  EXPECT_EQ(editor->ViewSizeList()->currentText(), "User Size");
  qrv::test::SaveScreenshot(*editor, "controller_setting");

  editor->findChild<QPushButton*>("2")->click();
  EXPECT_FALSE(editor->isVisible());
  EXPECT_FALSE(panel.IsUiEditMode()) << "Close ends the editing mode";
}

TEST_F(LayoutEditorTest, DraggedControlIsStoredAndUserSaveKeepsItAcrossARestart) {
  QRect moved;
  {
    CQRVBaseDlg window;
    window.show();
    DynamicDlg& panel = *window.SitePanel();
    QPushButton* start = panel.StartButton();
    ASSERT_TRUE(start->isVisible());
    const QRect before = start->geometry();

    QWidget* userMsg = panel.findChild<QWidget*>("1208");
    const QRect label = userMsg->geometry();
    Drag(*userMsg, QPoint(20, 0));
    EXPECT_EQ(userMsg->geometry(), label) << "outside the editing mode nothing moves";

    ASSERT_TRUE(panel.OpenControllerSetting());
    Drag(*start, QPoint(20, 10));
    // The layout file keeps client-area rectangles: below the menu bar, so a restart puts the control back
    // exactly where it was dropped.
    const QPoint client = panel.contentsRect().topLeft();
    moved = start->geometry().translated(-client);
    EXPECT_EQ(moved, before.translated(20, 10).translated(-client));
    EXPECT_EQ(Read("USER_INTERFACE", "START_BUTTON"), Rect(moved));
    station.ProcessEvents();
    EXPECT_FALSE(panel.Model(0)->LabelWritten()) << "dragging the Start button does not start a test";

    const CGridCtrl* controls = panel.LayoutEditor()->ControlList();
    const int row = FindRow(controls, 1, "START_BUTTON");
    ASSERT_GE(row, 0);
    EXPECT_EQ(controls->GetItemText(row, 2).toInt(), moved.left()) << "the list follows the drag";
    qrv::test::SaveScreenshot(panel, "site_panel_editing_mode");

    panel.LayoutEditor()->findChild<QPushButton*>("1199")->click();
    EXPECT_EQ(Read("USER_INIT", "START_BUTTON"), Rect(moved));
    Close(window);
  }
  CQRVBaseDlg again;
  again.show();
  EXPECT_EQ(again.SitePanel()->StartButton()->geometry().translated(-again.SitePanel()->contentsRect().topLeft()), moved)
      << "the user's layout is the one a start applies";
  Close(again);
}

TEST_F(LayoutEditorTest, SaveKeepsTheWorkingLayoutOnlyUntilTheNextStart) {
  QRect before;
  {
    CQRVBaseDlg window;
    window.show();
    DynamicDlg& panel = *window.SitePanel();
    QPushButton* stop = panel.StopButton();
    before = stop->geometry();
    ASSERT_TRUE(panel.OpenControllerSetting());
    UIManagerDlg& editor = *panel.LayoutEditor();
    Drag(*stop, QPoint(-30, 5));
    ASSERT_EQ(stop->geometry(), before.translated(-30, 5));

    // The main window's row is typed over, but Save stores where the window really is.
    CGridCtrl* windows = editor.WindowList();
    windows->SetItemText(0, 1, "777");
    // Unticking a row hides its control at once.
    CGridCtrl* controls = editor.ControlList();
    const int lot = FindRow(controls, 1, "LOT_BUTTON");
    ASSERT_GE(lot, 0);
    controls->SetCheck(lot, false);
    editor.SaveControllerSettings("USER_INTERFACE");
    EXPECT_FALSE(panel.LotButton()->isVisible());
    EXPECT_EQ(Read("USER_INTERFACE", "LOT_BUTTON").substr(0, 2), "0.");
    EXPECT_EQ(Read("USER_INTERFACE", "VIEW_SIZE"), Rect(window.frameGeometry()));
    EXPECT_EQ(Read("USER_INTERFACE", "STOP_BUTTON"), Rect(before.translated(-30, 5).translated(-panel.contentsRect().topLeft())));
    Close(window);
  }
  CQRVBaseDlg again;
  again.show();
  EXPECT_EQ(again.SitePanel()->StopButton()->geometry(), before) << "[USER_INIT] decides where a start puts it";
  EXPECT_TRUE(again.SitePanel()->LotButton()->isVisible());
  Close(again);
}

TEST_F(LayoutEditorTest, FullScreenModesCoverTheScreenBesideThePanelAndRecordTheWindowLevel) {
  CQRVBaseDlg window;
  window.show();
  UIManagerDlg& editor = *window.SitePanel()->LayoutEditor();
  const QRect screen = window.screen()->geometry();
  const QrvRect sub = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
  const int width = screen.width() - (sub.right - sub.left) - sub.left - 10;

  editor.ViewSizeList()->setCurrentIndex(UIManagerDlg::kFullHide);
  emit editor.ViewSizeList()->activated(UIManagerDlg::kFullHide);
  EXPECT_EQ(window.frameGeometry(), QRect(screen.topLeft(), QSize(width, screen.height())));
  EXPECT_EQ(Read("USER_INTERFACE_WINDOW_LEV", "LEV"), "3");
  EXPECT_EQ(port::taskbar::CurrentState(), port::taskbar::State::AutoHide);
  EXPECT_EQ(Read("USER_INTERFACE", "VIEW_SIZE"), Rect(window.frameGeometry()));
  EXPECT_EQ(editor.WindowList()->GetItemText(0, 4).toInt(), screen.height()) << "the lists follow";
  EXPECT_EQ(window.SitePanel()->frameGeometry().left(), window.frameGeometry().right() + 1 + sub.left)
      << "the panel stays docked";

  editor.ApplyViewMode(UIManagerDlg::kFullShow);
  EXPECT_EQ(window.frameGeometry(), QRect(screen.topLeft(), QSize(width, screen.height() - 30)));
  EXPECT_EQ(Read("USER_INTERFACE_WINDOW_LEV", "LEV"), "2");
  EXPECT_EQ(port::taskbar::CurrentState(), port::taskbar::State::AlwaysOnTop);

  editor.ApplyViewMode(UIManagerDlg::kUserSize);
  EXPECT_EQ(Rect(window.frameGeometry()), Read("USER_INIT", "VIEW_SIZE")) << "User Size goes back to the user's";
  Close(window);
}

TEST_F(LayoutEditorTest, PresetCopiesOnlyTheListedControlsAndMissingOnesBecomeShownEmpty) {
  Write("CONTROLLER", "Count", "2");
  Write("CONTROLLER", "0", "LOT_BUTTON");
  Write("CONTROLLER", "1", "START_BUTTON");
  Write("BIG_INIT", "VIEW_SIZE", "1.0.0.1200.900");
  Write("BIG_INIT", "VIEW_SIZE_SUB", "1.5.0.405.-40");
  Write("BIG_INIT", "LOT_BUTTON", "1.11.12.111.62");
  Write("BIG_INIT", "START_BUTTON", nullptr);
  Write("BIG_INIT", "STOP_BUTTON", "1.1.1.2.2");
  const std::string stop = Read("USER_INTERFACE", "STOP_BUTTON");
  DynamicDlg& panel = station.StartPanel();
  UIManagerDlg& editor = *panel.LayoutEditor();
  ASSERT_EQ(editor.ControlList()->GetItemCount(), 2);

  editor.ApplyViewMode(UIManagerDlg::kBigSize);
  EXPECT_EQ(Read("USER_INTERFACE", "VIEW_SIZE"), "1.0.0.1200.900");
  EXPECT_EQ(Read("USER_INTERFACE", "VIEW_SIZE_SUB"), "1.5.0.405.-40");
  EXPECT_EQ(Read("USER_INTERFACE", "LOT_BUTTON"), "1.11.12.111.62");
  EXPECT_EQ(Read("USER_INTERFACE", "START_BUTTON"), "-1");
  EXPECT_EQ(Read("USER_INTERFACE", "STOP_BUTTON"), stop) << "controls the editor does not list stay";
  EXPECT_EQ(panel.LotButton()->geometry().translated(-panel.contentsRect().topLeft()), QRect(11, 12, 100, 50));
  EXPECT_EQ(editor.ControlList()->GetItemText(0, 2), "11");
}

// Every cell is stored as typed and nothing is said: a letter in a window row is 0, a control without a
// stored place keeps its empty cells, and a window row too large to place a window is held in bounds only
// where the window is placed.
TEST_F(LayoutEditorTest, SaveStoresTheCellsAsTypedWithoutAWord) {
  Write("CONTROLLER", "Count", "2");
  Write("CONTROLLER", "0", "LOT_BUTTON");
  Write("CONTROLLER", "1", "START_BUTTON");
  Write("USER_INTERFACE", "START_BUTTON", nullptr);
  DynamicDlg& panel = station.StartPanel();
  UIManagerDlg& editor = *panel.LayoutEditor();
  panel.OpenControllerSetting();
  CGridCtrl* windows = editor.WindowList();
  CGridCtrl* controls = editor.ControlList();
  CGridCtrl* fonts = editor.FontList();
  ASSERT_EQ(controls->GetItemText(1, 2), "") << "a control with no stored place has empty cells";
  const struct {
    CGridCtrl* list;
    int row;
    int column;
    const char* text;
  } edits[] = {
      {windows, FindRow(windows, 0, "VIEW_SIZE_SUB"), 3, "900000"},
      {windows, FindRow(windows, 0, "LISTLOG_SIZE"), 1, "abc"},
      {controls, 0, 4, "1"},
      {fonts, FindRow(fonts, 0, "FIRMWARE_VERSION"), 5, "300"},
      {fonts, FindRow(fonts, 0, "ERROR_MSG"), 1, "0"},
  };
  for (const auto& e : edits) {
    ASSERT_GE(e.row, 0) << e.text;
    e.list->SetItemText(e.row, e.column, e.text);
  }
  port::ClearShownMessageBoxes();
  editor.SaveControllerSettings("USER_INTERFACE");
  EXPECT_TRUE(port::ShownMessageBoxes().empty());

  const auto field = [this](const char* key, int index) { return ExtractField(Read("USER_INTERFACE", key), index, '.'); };
  EXPECT_EQ(field("VIEW_SIZE_SUB", 3), "900000");
  EXPECT_EQ(field("LISTLOG_SIZE", 1), "0") << "letters are 0";
  EXPECT_EQ(field("LOT_BUTTON", 3), "1");
  EXPECT_EQ(Read("USER_INTERFACE", "START_BUTTON"), "0....");
  EXPECT_EQ(field("FIRMWARE_VERSION_FONT", 4), "300");
  EXPECT_EQ(field("ERROR_MSG_FONT", 0), "0");
  EXPECT_GT(panel.width(), 0);
  EXPECT_LE(panel.width(), 2 * ControllerIni::kMaxCoordinate) << "the site panel is placed within bounds";
}

TEST_F(LayoutEditorTest, SaveWhileSitesRunRestylesTheScreenAndTheSitesRunOn) {
  station.RegisterItems(2, {"TestItemA.dll"});
  const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
  item.SetTesterRequest(true);
  DynamicDlg& panel = station.StartPanel();
  panel.StartButton()->click();
  ASSERT_TRUE(station.WaitFor([&] { return panel.Model(0)->Label() == "Testing..." && panel.Model(1)->Label() == "Testing..."; }));

  UIManagerDlg& editor = *panel.LayoutEditor();
  CGridCtrl* controls = editor.ControlList();
  const int row = FindRow(controls, 1, "USER_MSG");
  ASSERT_GE(row, 0);
  controls->SetItemText(row, 2, "7");
  editor.SaveControllerSettings("USER_INTERFACE");
  EXPECT_EQ(panel.findChild<QWidget*>("1208")->geometry().left(), 7);
  EXPECT_EQ(panel.IsAnySiteRunning(), 1) << "the layout is no part of a run";
  station.ClosePanel();
  item.SetTesterRequest(false);
}

TEST_F(LayoutEditorTest, LiveOptionsFollowTheBoxesAndTheErrorListStandardIsWrittenAtOnce) {
  Write("USER_INTERFACE", "FPS_DRAW", "0");
  Write("USER_INTERFACE", "SITE_DRAW_1", "2");
  Write("USER_INTERFACE", "SITE_DRAW_2", "4");
  Write("USER_INTERFACE", "SITE_DRAW_3", "7");
  DynamicDlg& panel = station.StartPanel();
  UIManagerDlg& editor = *panel.LayoutEditor();
  EXPECT_EQ(editor.FpsDraw(), 0);
  EXPECT_EQ(editor.SiteDrawAlignment(), (std::array<int, 3>{2, 4, 7}));
  editor.findChild<QCheckBox*>("1123")->setChecked(true);
  EXPECT_EQ(editor.FpsDraw(), 1);
  EXPECT_EQ(Read("USER_INTERFACE", "FPS_DRAW"), "0") << "nothing is written before a save";
  EXPECT_EQ(editor.findChild<QComboBox*>("1243")->currentText(), " DT_VCENTER");

  editor.findChild<QRadioButton*>("1238")->click();
  EXPECT_EQ(editor.ErrorListStandard(), 1);
  EXPECT_EQ(ControllerIni::ReadErrorListStandard(), 1);
}

TEST_F(LayoutEditorTest, TheFirstRowsViewCellOpensTheSiteNameTable) {
  station.WriteConfig("SITE_NAME", "0", "LINE-A");
  DynamicDlg& panel = station.StartPanel();
  UIManagerDlg& editor = *panel.LayoutEditor();
  CGridCtrl* controls = editor.ControlList();

  editor.OnListDoubleClick(controls, 1, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the second row opens nothing";

  int rows = -1;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* names = qobject_cast<UISubTabDlg*>(QApplication::activeModalWidget());
    if (names == nullptr) return;
    title = names->windowTitle();
    rows = names->List()->GetItemCount();
    EXPECT_EQ(names->List()->GetItemText(0, 1), "LINE-A");
    qrv::test::SaveScreenshot(*names, "tab_setting_from_editor");
    names->reject();
  });
  editor.OnListDoubleClick(controls, 0, 1);
  EXPECT_EQ(title, "Tab Setting");
  EXPECT_EQ(rows, 2);
}

}  // namespace
