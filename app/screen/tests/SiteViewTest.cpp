// A site view's overlays and its window surface, which the image library draws into from any thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <thread>

#include "BaseDraw.h"
#include "port/ui_thread.h"
#include "qrv_test/station_folder.h"
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

TEST(SiteViewTest, SiteLabelFollowsTheSiteAndParaOptions) {
  qrv::test::TestApplication();
  const qrv::test::StationFolder station;
  const struct {
    bool siteDraw;
    bool paraDraw;
    bool ready;
    const char* label;
  } cases[] = {{true, false, true, "D"}, {true, true, true, "D - 2"}, {false, true, true, ""}, {true, false, false, ""}};
  for (const auto& c : cases) {
    CBaseDraw view(3);
    EXPECT_FALSE(view.FirstPaintDone());
    view.SetSiteLabelSwitch(c.ready);
    view.DrawSiteLabel(DrawOptions{.siteDraw = c.siteDraw, .paraDraw = c.paraDraw}, 2);
    EXPECT_EQ(view.SiteLabelText(), c.label) << c.siteDraw << c.paraDraw << c.ready;
  }
}

// Each colour field keeps its low eight bits, as every other label's does: a negative field still gives a colour.
TEST(SiteViewTest, SiteLabelColourKeepsTheLowEightBitsOfEachField) {
  qrv::test::TestApplication();
  const qrv::test::StationFolder station;
  station.Write("Ref/M/Controller.ini", "[USER_INIT]\r\nSITE_DRAW_FONT=50.0.0.0.-1.300.-256.0.0\r\n");
  CBaseDraw view(0);
  view.SetSiteLabelSwitch(true);
  view.DrawSiteLabel(DrawOptions{.siteDraw = true}, 0);
  const QColor colour = view.SiteLabelColour();
  EXPECT_TRUE(colour.isValid());
  EXPECT_EQ(colour, QColor(255, 44, 0));
}

TEST(SiteViewTest, AlignmentListEntriesGiveTheirTextDrawingFlags) {
  const struct {
    int index;
    int flags;
  } cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 4}, {7, 32}, {12, 1024}, {14, 4096}, {15, 0}, {-1, 0}};
  for (const auto& c : cases) EXPECT_EQ(CBaseDraw::ToDrawTextFlags(c.index), c.flags) << c.index;
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
