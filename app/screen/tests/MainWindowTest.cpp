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
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "BaseDraw.h"
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
