// Where the main window puts each site's view, by site count and layout mode.
#include <gtest/gtest.h>

#include "QRVBaseDlg.h"

namespace {

struct Placement {
  int sites;
  int drawMode;
  int width;
  int height;
  int site;
  QrvRect expected;
};

}  // namespace

static bool operator==(const QrvRect& a, const QrvRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const QrvRect& r) {
  return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

TEST(MainWindowLayoutTest, SiteViewsTileByCountAndMode) {
  const Placement cases[] = {
      {1, 0, 640, 480, 0, {0, 0, 640, 480}},
      {2, 5, 801, 600, 1, {400, 0, 801, 600}},
      {3, 0, 1000, 600, 0, {0, 0, 333, 600}},
      {3, 0, 1000, 600, 1, {333, 0, 666, 600}},
      {3, 0, 1000, 600, 2, {666, 0, 1000, 600}},
      {4, 0, 800, 600, 0, {0, 0, 400, 300}},
      {4, 0, 800, 600, 1, {400, 0, 800, 300}},
      {4, 0, 800, 600, 2, {400, 300, 800, 600}},
      {4, 0, 800, 600, 3, {0, 300, 400, 600}},
      {4, 4, 800, 600, 0, {400, 0, 800, 300}},
      {4, 3, 800, 600, 2, {0, 0, 800, 600}},
      {4, 8, 800, 600, 0, {0, 0, 0, 0}},
      {6, 5, 900, 600, 3, {600, 300, 900, 600}},
      {6, 4, 900, 600, 0, {0, 0, 0, 0}},
      {8, 8, 1000, 600, 2, {0, 300, 250, 600}},
      {8, 8, 1000, 600, 4, {500, 0, 750, 300}},
      {8, 0, 1000, 600, 4, {750, 300, 1000, 600}},
      {8, 4, 1000, 600, 0, {0, 0, 0, 0}},
      {5, 0, 1000, 600, 0, {0, 0, 0, 0}},
      {7, 1, 1000, 600, 6, {0, 0, 0, 0}},
      // A mode from the file that is no layout, even where count and mode would add up to another's.
      {4, 20, 800, 600, 0, {0, 0, 0, 0}},
      {5, -10, 1000, 600, 4, {0, 0, 0, 0}},
      {8, 2147483647, 1000, 600, 0, {0, 0, 0, 0}},
      {8, -2147483647 - 1, 1000, 600, 0, {0, 0, 0, 0}},
  };
  for (const Placement& c : cases)
    EXPECT_EQ(CQRVBaseDlg::CalcSiteViewRect(c.sites, c.site, c.drawMode, c.width, c.height), c.expected)
        << c.sites << " sites, mode " << c.drawMode << ", site " << c.site;
}

// A frame saved on a larger screen shrinks and moves so that it and the panel docked at its right fit.
TEST(MainWindowLayoutTest, SavedFrameFitsTheScreenWithThePanelBesideIt) {
  const struct {
    QRect frame;
    int panel;
    QRect screen;
    QRect expected;
  } cases[] = {
      {QRect(0, 0, 1250, 1050), 670, QRect(0, 0, 1920, 1080), QRect(0, 0, 1250, 1050)},
      {QRect(0, 0, 1250, 1050), 670, QRect(0, 0, 1280, 1024), QRect(0, 0, 610, 1024)},
      {QRect(900, 300, 600, 500), 670, QRect(0, 0, 1280, 1024), QRect(10, 300, 600, 500)},
      {QRect(-50, -20, 400, 300), 100, QRect(0, 0, 1280, 1024), QRect(0, 0, 400, 300)},
      {QRect(10, 10, 800, 600), 100, QRect(), QRect(10, 10, 800, 600)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CQRVBaseDlg::FitFrameToScreen(c.frame, c.panel, c.screen), c.expected)
        << c.frame.x() << "," << c.frame.y() << " " << c.frame.width() << "x" << c.frame.height();
}
