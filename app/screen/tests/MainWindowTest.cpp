// The main window over a running station: enlarging and restoring site views keeps the program up, and the
// saved window rectangle is the frame's, so it stays where it was from one start to the next.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QLabel>
#include <QWheelEvent>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "BaseDraw.h"
#include "ControllerIni.h"
#include "QRVBaseDlg.h"
#include "QRV_InterFace_SW.h"
#include "SitePanelFixture.h"
#include "TestRunFixture.h"
#include "port/ini.h"
#include "port/ui_thread.h"
#include "qrv_test/screenshot.h"

namespace {

void DoubleClick(CBaseDraw& view) {
  const QPointF at(view.width() / 2.0, view.height() / 2.0);
  QMouseEvent click(QEvent::MouseButtonDblClick, at, view.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&view, &click);
}

void OpenContextMenu(QWidget& window) {
  const QPoint at(window.width() / 2, window.height() / 2);
  QCoreApplication::postEvent(&window, new QContextMenuEvent(QContextMenuEvent::Mouse, at, window.mapToGlobal(at)));
}

// Chooses the entry with that command in the open context menu, as the operator's Enter would; false while the
// menu is not open yet.
bool ChooseFromContextMenu(int command) {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  if (menu == nullptr) return false;
  for (QAction* action : menu->actions()) {
    if (action->data().toInt() != command) continue;
    menu->setActiveAction(action);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    return true;
  }
  ADD_FAILURE() << "the menu has no command " << command;
  menu->close();
  return true;
}

bool AllSitesTesting(DynamicDlg& panel) {
  for (int site = 0; site < panel.SiteCount(); ++site)
    if (panel.Model(site)->Label() != "Testing...") return false;
  return true;
}

}  // namespace

// The window runs modally, as the program runs it; each step is one turn of its event loop (a step that returns
// false is tried again), so a step that hid the window would end exec() before the steps after it.
TEST(MainWindowTest, EnlargingAndRestoringEverySitesViewWhileSitesRunKeepsTheProgramUp) {
  SitePanelStation station("4", "4");
  station.RegisterItems(4, {"TestItemA.dll"});
  const TestItemControl item(station.Root() + "/Dll/TestItemA.dll");
  // Every site's item waits for the handler until the station closes: the sites run all along.
  item.SetTesterRequest(true);
  CQRVBaseDlg window;
  DynamicDlg& panel = *window.SitePanel();
  ASSERT_EQ(window.ViewCount(), 4);

  std::vector<std::function<bool()>> steps;
  // Each site's view shows a frame of its own colour, which the enlarged view stretches over the image area.
  const auto colourOf = [](int site) { return QColor(60 * site, 140, 220 - 40 * site); };
  std::vector<std::uint8_t> frame(320 * 240 * 3);
  steps.push_back([&] {
    for (int site = 0; site < 4; ++site)
      if (!window.SiteView(site)->FirstPaintDone()) return false;
    return true;
  });
  steps.push_back([] { return true; });  // the first paints' own drawing runs before the frames come
  steps.push_back([&] {
    for (int site = 0; site < 4; ++site) {
      const QColor colour = colourOf(site);
      for (std::size_t i = 0; i < frame.size(); i += 3) {
        frame[i] = static_cast<std::uint8_t>(colour.blue());
        frame[i + 1] = static_cast<std::uint8_t>(colour.green());
        frame[i + 2] = static_cast<std::uint8_t>(colour.red());
      }
      panel.m_pInterFaceSW->InDrawImage(site, frame.data(), 320, 240);
      panel.m_pInterFaceSW->OutDrawImage(site);
    }
    panel.StartButton()->click();
    return true;
  });
  steps.push_back([&] { return AllSitesTesting(panel); });
  for (int site = 0; site < 4; ++site) {
    steps.push_back([&, site] {
      DoubleClick(*window.SiteView(site));
      EXPECT_TRUE(window.IsEnlarged()) << site;
      return true;
    });
    steps.push_back([&, site] {
      EXPECT_TRUE(window.isVisible()) << site;
      EXPECT_TRUE(window.SiteView(site)->isVisible()) << site;
      EXPECT_EQ(window.SiteView(site)->geometry(), window.ImageArea()) << "the view covers the image area, site " << site;
      for (int other = 0; other < 4; ++other) {
        if (other == site) continue;
        EXPECT_FALSE(window.SiteView(other)->isVisible()) << site << " hides " << other;
      }
      {
        port::Surface& surface = *window.SiteView(site)->Surface();
        const std::lock_guard lock(surface.Mutex());
        EXPECT_EQ(QSize(surface.Width(), surface.Height()), window.ImageArea().size()) << site;
        EXPECT_EQ(surface.Image().pixelColor(surface.Width() / 2, surface.Height() / 2), colourOf(site)) << site;
      }
      if (site == 2) qrv::test::SaveScreenshot(window, "main_window_enlarged_site_c");
      DoubleClick(*window.SiteView(site));
      EXPECT_FALSE(window.IsEnlarged()) << site;
      return true;
    });
    steps.push_back([&, site] {
      EXPECT_TRUE(window.isVisible()) << site;
      for (int other = 0; other < 4; ++other) EXPECT_TRUE(window.SiteView(other)->isVisible()) << site;
      EXPECT_TRUE(AllSitesTesting(panel)) << "the sites run on, site " << site;
      return true;
    });
  }
  // The context menu's site entry enlarges site B, its "return" restores.
  steps.push_back([&] {
    OpenContextMenu(window);
    return true;
  });
  steps.push_back([&] { return ChooseFromContextMenu(CQRVBaseDlg::kSiteCommand + 1); });
  steps.push_back([&] {
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.IsEnlarged());
    EXPECT_EQ(window.SiteView(1)->geometry(), window.ImageArea());
    OpenContextMenu(window);
    return true;
  });
  steps.push_back([&] { return ChooseFromContextMenu(CQRVBaseDlg::kReturnCommand); });
  steps.push_back([&] {
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.IsEnlarged());
    return true;
  });
  std::size_t done = 0;
  QTimer driver;
  driver.setInterval(20);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (done == steps.size()) {
      driver.stop();
      window.RequestExit();
      return;
    }
    if (steps[done]()) ++done;
  });
  driver.start();
  window.exec();
  item.SetTesterRequest(false);

  EXPECT_EQ(done, steps.size()) << "the window ended after step " << done;
  EXPECT_EQ(window.SitePanel(), nullptr) << "only the requested exit closed it";
  port::ui::SetClosing(false);
}

TEST(MainWindowTest, SavedWindowRectangleStaysTheSameFromStartToStart) {
  SitePanelStation station("2", "2");
  const std::string controller = station.ModelFile("Controller.ini");
  const std::string saved = "1.40.60.1320.1020";
  port::ini::WriteString(controller, "USER_INTERFACE", "VIEW_SIZE", saved.c_str());
  // Every start applies the user's layout, so the rectangle is the user's too.
  port::ini::WriteString(controller, "USER_INIT", "VIEW_SIZE", saved.c_str());
  for (int start = 0; start < 3; ++start) {
    CQRVBaseDlg window;
    window.show();
    ASSERT_TRUE(station.WaitFor([&] { return window.isVisible(); }));
    EXPECT_EQ(window.frameGeometry(), QRect(QPoint(40, 60), QPoint(1319, 1019))) << "start " << start;
    // Moves and resizes are stored once none came for a while.
    station.WaitFor([] { return false; }, std::chrono::milliseconds(600));
    EXPECT_EQ(port::ini::ReadString(controller, "USER_INTERFACE", "VIEW_SIZE", ""), saved) << "start " << start;
    window.RequestExit();
    port::ui::SetClosing(false);
  }
}

// The wheel counts from where the zoom slider stands, which a keyboard or the layout may have moved without a
// zoom; it stays within 100 to 200 and does nothing while the layout hides the slider.
TEST(MainWindowTest, MouseWheelZoomsFromTheSlidersPosition) {
  SitePanelStation station("2", "2");
  const std::string controller = station.ModelFile("Controller.ini");
  CQRVBaseDlg window;
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  const auto wheel = [&](int delta) {
    const QPointF at(window.width() / 2.0, window.height() / 2.0);
    QWheelEvent event(at, window.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&window, &event);
  };
  const struct {
    const char* zoomSlider;
    int slider;
    int delta;  // below 0: towards the user
    int zoom;   // 0: the zoom stays
  } cases[] = {{"1.5.155.500.180", 50, -120, 151}, {"1.5.155.500.180", 50, 120, 149},
               {"1.5.155.500.180", 100, -120, 0}, {"1.5.155.500.180", 0, 120, 0},
               {"0.5.155.500.180", 50, -120, 0}};
  constexpr int kEarlierZoom = 120;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.zoomSlider << " slider " << c.slider << " delta " << c.delta);
    port::ini::WriteString(controller, "USER_INTERFACE", "ZOOM_SLIDER", c.zoomSlider);
    window.SetViewZoom(kEarlierZoom);
    panel.ZoomSlider()->setValue(c.slider);
    panel.ZoomText()->setText(QString::number(c.slider + 100) + "%");
    wheel(c.delta);
    EXPECT_EQ(window.Zoom(), c.zoom != 0 ? c.zoom : kEarlierZoom);
    const int shown = c.zoom != 0 ? c.zoom : c.slider + 100;
    EXPECT_EQ(panel.ZoomSlider()->value(), shown - 100);
    EXPECT_EQ(panel.ZoomText()->text(), QString::number(shown) + "%");
  }
  window.RequestExit();
  port::ui::SetClosing(false);
}

// The panel stays docked at the window's right edge while a view is enlarged, so it never lies over the view:
// the maximised window puts it beyond its edge, and the restored window takes it back.
TEST(MainWindowTest, SitePanelNeverLiesOverTheEnlargedView) {
  SitePanelStation station("2", "2");
  const std::string controller = station.ModelFile("Controller.ini");
  // A window smaller than the screen, so that the maximised one covers where the panel stood.
  for (const char* section : {"USER_INTERFACE", "USER_INIT"})
    port::ini::WriteString(controller, section, "VIEW_SIZE", "1.20.20.420.320");
  CQRVBaseDlg window;
  window.show();
  DynamicDlg& panel = *window.SitePanel();
  ASSERT_TRUE(station.WaitFor([&] { return window.isVisible() && panel.isVisible(); }));
  const QrvRect sub = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
  const auto docked = [&] {
    const QRect frame = window.frameGeometry();
    return panel.pos() == QPoint(frame.right() + 1 + sub.left, frame.top() + sub.top);
  };
  const QRect before = window.frameGeometry();
  ASSERT_TRUE(docked());

  window.EnlargeSiteView(1);
  ASSERT_TRUE(station.WaitFor([&] { return window.frameGeometry() != before; }));
  station.WaitFor([] { return false; }, std::chrono::milliseconds(100));
  const QRect enlarged = window.frameGeometry();
  ASSERT_TRUE(enlarged.contains(before)) << "the window is maximised";
  const QRect view(window.mapToGlobal(window.SiteView(1)->geometry().topLeft()), window.SiteView(1)->size());
  EXPECT_FALSE(panel.frameGeometry().intersects(view)) << "the panel lies over the enlarged view";
  EXPECT_TRUE(docked());
  const QSize screen = window.screen()->geometry().size();
  EXPECT_TRUE(qrv::test::SaveScreenPicture(qrv::test::ScreensFile("main_window_enlarged_panel_beside"), screen,
                                           {&window, &panel}));

  window.RestoreSiteViews();
  ASSERT_TRUE(station.WaitFor([&] { return window.frameGeometry() == before; }));
  EXPECT_TRUE(docked()) << "the panel is back beside the restored window";
  window.RequestExit();
  port::ui::SetClosing(false);
}
