// The main window and its site panel on the shipped layout, at the two screen sizes a station has: every
// window within the screen, no control over another or outside the panel, labels and buttons at a legible
// size, each item list showing its names and results; eight sites in every state, pictured into screens/.
// Also the layout file's drawing switches as the site views and the image library see them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabBar>

#include "BaseDraw.h"
#include "ControllerIni.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "QRVBaseDlg.h"
#include "SiteCtrl.h"
#include "SitePanelFixture.h"
#include "StaticImage.h"
#include "TestRunFixture.h"
#include "UIManagerDlg.h"
#include "port/ini.h"
#include "port/text.h"
#include "port/ui_thread.h"
#include "qrv_test/screenshot.h"

namespace {

constexpr int kSites = 8;
constexpr int kLegiblePixels = 12;
// The ink of a line of 12-pixel text, capitals to descenders.
constexpr int kLegibleInkRows = 9;

// Rows of the first line of text that site A's view shows on its information picture: the first band of rows
// with dark ink.
int FirstInfoLineRows(CBaseDraw& view) {
  port::Surface& surface = *view.Surface();
  const std::lock_guard lock(surface.Mutex());
  const QImage& image = surface.Image();
  int top = -1;
  for (int y = 0; y < image.height(); ++y) {
    bool ink = false;
    for (int x = 0; x < image.width() && !ink; ++x) ink = qGray(image.pixel(x, y)) < 160;
    if (ink && top < 0) top = y;
    if (!ink && top >= 0) return y - top;
  }
  return 0;
}

bool SitesIdle(DynamicDlg& panel, const std::vector<int>& sites, int runs) {
  for (const int site : sites) {
    const CTestThread* runner = panel.Runner(site);
    if (runner == nullptr || runner->RunCount() < runs || runner->IsRunning()) return false;
  }
  return true;
}

std::vector<QWidget*> PanelControls(DynamicDlg& panel) {
  std::vector<QWidget*> controls;
  for (QWidget* child : panel.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    bool numbered = false;
    child->objectName().toInt(&numbered);
    if (numbered && child->isVisibleTo(&panel)) controls.push_back(child);
  }
  return controls;
}

void ExpectFitsAndReadable(DynamicDlg& panel, const QSize& screen, QWidget& window, const std::string& name) {
  const QRect desk(QPoint(0, 0), screen);
  EXPECT_TRUE(desk.contains(window.frameGeometry())) << name << ": main window within the screen";
  EXPECT_TRUE(desk.contains(panel.frameGeometry())) << name << ": site panel within the screen";
  const std::vector<QWidget*> controls = PanelControls(panel);
  EXPECT_GE(controls.size(), 12u + 7u * kSites) << name;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const QWidget* a = controls[i];
    EXPECT_TRUE(panel.rect().contains(a->geometry())) << name << ": " << a->objectName().toStdString() << " outside";
    for (std::size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(a->geometry().intersects(controls[j]->geometry()))
          << name << ": " << a->objectName().toStdString() << " over " << controls[j]->objectName().toStdString();
    if (const auto* label = qobject_cast<const CFontStatic*>(a)) {
      EXPECT_GE(label->FittedPixelSize(), kLegiblePixels)
          << name << ": label " << a->objectName().toStdString() << " \"" << label->text().toStdString() << "\"";
    }
    if (const auto* button = qobject_cast<const QPushButton*>(a)) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 12, button->width())
          << name << ": button " << button->text().toStdString();
    }
  }
  for (int site = 0; site < panel.SiteCount(); ++site) {
    CSiteCtrl* list = panel.ItemList(site);
    ASSERT_GT(list->GetItemCount(), 0) << name;
    const QString item = list->GetItemText(0, CSiteCtrl::kColItem);
    EXPECT_GE(list->columnWidth(CSiteCtrl::kColItem), list->fontMetrics().horizontalAdvance(item))
        << name << ": the item name " << item.toStdString() << " is cut";
    EXPECT_LE(list->columnViewportPosition(CSiteCtrl::kColResult) + list->columnWidth(CSiteCtrl::kColResult),
              list->viewport()->width())
        << name << ": site " << site << "'s result column is out of sight";
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(0, CSiteCtrl::kColItem))))
        << name << ": site " << site << "'s first row is out of sight";
  }
}

}  // namespace

TEST(PanelScreenTest, TheShippedLayoutFitsBothScreensWithEightSitesInEveryState) {
  const struct {
    const char* name;
    QSize screen;
  } screens[] = {{"main_screen_1920x1080", QSize(1920, 1080)}, {"main_screen_1280x1024", QSize(1280, 1024)}};
  for (const auto& s : screens) {
    SitePanelStation station("8", "2");
    station.RegisterItems(kSites, {"TestItemA.dll"});
    const std::string controller = station.ModelFile("Controller.ini");
    // Where the station puts the main window on that screen (an offscreen run has no screen to fit).
    const QrvRect saved = ControllerIni::ReadRect("USER_INIT", "VIEW_SIZE");
    const QrvRect sub = ControllerIni::ReadRect("USER_INIT", "VIEW_SIZE_SUB");
    const QRect frame = CQRVBaseDlg::FitFrameToScreen(
        QRect(saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top), sub.right + 10,
        QRect(QPoint(0, 0), s.screen));
    // A start applies the user layout's window rectangle first, then the stored frame.
    const std::string fitted =
        port::Format("1.%d.%d.%d.%d", frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1);
    for (const char* section : {"USER_INTERFACE", "USER_INIT"})
      port::ini::WriteString(controller, section, "VIEW_SIZE", fitted.c_str());
    const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
    item.Script(1, {7});
    item.Script(6, {7});
    CQRVBaseDlg window;
    window.show();
    ASSERT_TRUE(station.WaitFor([&] { return window.isVisible(); }));
    DynamicDlg& panel = *window.SitePanel();
    ASSERT_EQ(panel.SiteCount(), kSites);
    station.ProcessEvents();
    for (int site = 0; site < kSites; ++site)
      EXPECT_EQ(panel.ResultLabel(site)->text(), QString("ERROR_MSG_%1").arg(QChar('A' + site)))
          << s.name << ": before its first test a site's label shows its key";

    panel.StartButton()->click();
    ASSERT_TRUE(station.WaitFor([&] { return SitesIdle(panel, {0, 1, 2, 3, 4, 5, 6, 7}, 1); })) << s.name;
    panel.SetFinishAfterPass();
    panel.StartSite(2, 2, 0);
    panel.StartSite(3, 3, 0);
    ASSERT_TRUE(station.WaitFor([&] { return SitesIdle(panel, {2, 3}, 2); })) << s.name;
    item.SetTesterRequest(true);
    panel.StartSite(4, 4, 0);
    panel.StartSite(5, 5, 0);
    ASSERT_TRUE(station.WaitFor([&] {
      return panel.Model(4)->Label() == "Testing..." && panel.Model(5)->Label() == "Testing...";
    })) << s.name;
    station.WaitFor([] { return false; }, std::chrono::milliseconds(300));

    const int pictures[kSites] = {2, 3, 4, 4, 1, 1, 3, 2};
    for (int site = 0; site < kSites; ++site) {
      const auto* picture = panel.findChild<CStaticImage*>(QString::number(2008 + site));
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->StateIndex(), pictures[site]) << s.name << " site " << site;
      EXPECT_TRUE(picture->HasPicture()) << s.name << " site " << site;
    }
    EXPECT_EQ(panel.ResultLabel(2)->text(), "Finish");
    EXPECT_EQ(panel.ResultLabel(4)->DrawnTextColour(), CFontStatic::kTestingColour);
    for (const int failed : {1, 6}) {
      EXPECT_EQ(panel.Model(failed)->Picture(), kPictureFail) << s.name << " site " << failed;
      EXPECT_EQ(panel.ResultLabel(failed)->DrawnTextColour(), kColourFail)
          << s.name << ": a failure's text \"" << panel.ResultLabel(failed)->text().toStdString() << "\" is red";
    }
    const auto* errors = panel.findChild<CGridCtrl*>("1232");
    ASSERT_NE(errors, nullptr);
    EXPECT_GE(errors->GetItemCount(), 1) << s.name;
    EXPECT_GE(errors->viewport()->height(), 3 * errors->rowHeight(0)) << s.name << ": the error list shows three rows";
    ExpectFitsAndReadable(panel, s.screen, window, s.name);
    EXPECT_GE(FirstInfoLineRows(*window.SiteView(0)), kLegibleInkRows) << s.name << ": site A's information lines";
    EXPECT_TRUE(qrv::test::SaveScreenPicture(qrv::test::ScreensFile(s.name), s.screen, {&window, &panel})) << s.name;

    item.SetTesterRequest(false);
    window.RequestExit();
    port::ui::SetClosing(false);
  }
}

TEST(PanelScreenTest, TheLayoutFilesDrawSwitchesDecideWhatTheViewsDraw) {
  const struct {
    const char* siteDraw;
    const char* resultDraw;
    const char* fpsDraw;
    std::string label;
    std::string headline;
    int fps;
  } cases[] = {{"1", "0", "1", "A", "", 1}, {"0", "1", "0", "", "FAIL", 0}, {"1", "1", "0", "A", "FAIL", 0}};
  for (const auto& c : cases) {
    SitePanelStation station("1", "1");
    const std::string controller = station.ModelFile("Controller.ini");
    port::ini::WriteString(controller, "USER_INTERFACE", "SITE_DRAW", c.siteDraw);
    port::ini::WriteString(controller, "USER_INTERFACE", "BASE_DRAW", c.resultDraw);
    port::ini::WriteString(controller, "USER_INTERFACE", "FPS_DRAW", c.fpsDraw);
    DynamicDlg& panel = station.StartPanel();
    CBaseDraw view(0);
    // A view labels itself only once it has been painted.
    view.SetSiteLabelSwitch(true);
    panel.AttachSiteViews({&view});
    panel.DrawSiteResult(0, 0, 5, "Sensor register set fail");
    panel.DrawSiteLabel(0);
    EXPECT_EQ(view.SiteLabelText(), c.label) << c.siteDraw << c.resultDraw;
    EXPECT_EQ(view.ResultHeadline(), c.headline) << c.siteDraw << c.resultDraw;
    EXPECT_EQ(panel.GetFpsDraw(), c.fps) << c.fpsDraw;
    station.ClosePanel();
  }
}

// What the operator ticks or chooses in the layout editor applies at once, unsaved: the label drawn after a
// site's result carries the board index the site ran on, and its alignment is the editor's choice.
TEST(PanelScreenTest, SiteLabelsFollowTheLayoutEditorsLiveChoices) {
  SitePanelStation station("2", "1");
  station.RegisterItems(2, {"TestItemA.dll"});
  const std::string controller = station.ModelFile("Controller.ini");
  for (const auto& [key, value] : {std::pair{"SITE_DRAW", "1"}, {"PARA_DRAW", "0"}, {"SITE_DRAW_1", "0"},
                                   {"SITE_DRAW_2", "0"}, {"SITE_DRAW_3", "0"}})
    port::ini::WriteString(controller, "USER_INTERFACE", key, value);
  DynamicDlg& panel = station.StartPanel();
  CBaseDraw viewA(0), viewB(1);
  for (CBaseDraw* view : {&viewA, &viewB}) {
    view->resize(400, 300);
    view->SetSiteLabelSwitch(true);
  }
  panel.AttachSiteViews({&viewA, &viewB});
  UIManagerDlg& editor = *panel.LayoutEditor();
  editor.findChild<QCheckBox*>("1151")->setChecked(true);
  editor.findChild<QComboBox*>("1239")->setCurrentIndex(3);  // " DT_RIGHT"

  ASSERT_EQ(panel.StartSite(1, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 1; }));
  EXPECT_EQ(viewB.SiteLabelText(), "B - 0") << "site B ran on board 0";
  EXPECT_TRUE(viewB.OverlayLayout().label.flags & Qt::AlignRight);
  EXPECT_EQ(port::ini::ReadString(controller, "USER_INTERFACE", "PARA_DRAW", ""), "0") << "nothing was saved";

  editor.findChild<QCheckBox*>("1151")->setChecked(false);
  editor.findChild<QCheckBox*>("1150")->setChecked(false);
  ASSERT_EQ(panel.StartSite(0, 0, 0), 0);
  ASSERT_TRUE(station.WaitFor([&] { return station.CountCalls("SendStatus") == 2; }));
  EXPECT_EQ(viewA.SiteLabelText(), "") << "the \"Site\" box is off";
  station.ClosePanel();
}
