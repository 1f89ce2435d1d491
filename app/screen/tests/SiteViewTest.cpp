// A site view's overlays and its window surface, which the image library draws into from any thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <thread>

#include "BaseDraw.h"
#include "port/ui_thread.h"
#include "qrv_test/test_application.h"

TEST(SiteViewTest, ResultOverlayFollowsTheResult) {
  qrv::test::TestApplication();
  CBaseDraw view(2);
  const struct {
    int code;
    const char* text;
    const char* headline;
  } cases[] = {{0, "", "PASS"}, {999, "STOP", "STOP"}, {0, "STOP", "STOP"}, {5, "Focus NG", "FAIL"}, {0, "Stop", "PASS"}};
  for (const auto& c : cases) {
    view.DrawResultText(c.code, c.text);
    EXPECT_EQ(view.ResultHeadline(), c.headline) << c.code << " " << c.text;
  }
  view.ClearResultText();
  EXPECT_EQ(view.ResultHeadline(), "");
}

TEST(SiteViewTest, SiteLabelIsDrawnOnlyWhileItsSwitchIsOn) {
  qrv::test::TestApplication();
  CBaseDraw view(3);
  view.SetSiteLabelSwitch(false);
  view.DrawSiteLabel();
  EXPECT_EQ(view.SiteLabelText(), "");
  view.SetSiteLabelSwitch(true);
  view.DrawSiteLabel(2);
  EXPECT_EQ(view.SiteLabelText(), "D - 2");
  view.DrawSiteLabel();
  EXPECT_EQ(view.SiteLabelText(), "D");
}

TEST(SiteViewTest, SurfaceFollowsTheViewSizeAndWorkersDrawIntoIt) {
  qrv::test::TestApplication();
  auto view = std::make_unique<CBaseDraw>(0);
  view->resize(320, 240);
  view->show();
  QCoreApplication::processEvents();
  port::Surface* surface = view->Surface();
  {
    const std::lock_guard lock(surface->Mutex());
    EXPECT_EQ(surface->Width(), 320);
    EXPECT_EQ(surface->Height(), 240);
  }
  std::thread worker([surface] {
    const std::lock_guard lock(surface->Mutex());
    surface->Image().fill(Qt::green);
    surface->RequestRepaint();
  });
  worker.join();
  view.reset();  // a repaint queued for a view that is gone does nothing
  QCoreApplication::processEvents();
}
