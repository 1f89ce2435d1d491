// A site view's overlay texts at every view size the main window's layouts give: the site label, the
// judgement and its description never cover one another and never run past the view.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <vector>

#include "BaseDraw.h"
#include "QRVBaseDlg.h"
#include "SiteOverlayLayout.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"
#include "qrv_test/test_application.h"

namespace {

// Every distinct view size of 1 to 8 sites in each draw mode, over image areas of a full-screen station, a
// smaller screen and a window made small.
std::vector<QSize> LayoutViewSizes() {
  std::vector<QSize> sizes;
  for (const QSize area : {QSize(1245, 1010), QSize(1024, 700), QSize(640, 360)}) {
    for (int sites = 1; sites <= 8; ++sites) {
      for (int mode = 0; mode <= 8; ++mode) {
        for (int site = 0; site < sites; ++site) {
          const QrvRect r = CQRVBaseDlg::CalcSiteViewRect(sites, site, mode, area.width(), area.height());
          const QSize size(r.right - r.left, r.bottom - r.top);
          if (!size.isEmpty() && std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
        }
      }
    }
  }
  return sizes;
}

struct Overlays {
  const char* name;
  const char* label;
  int labelFlags;
  const char* headline;
  const char* detail;
};

constexpr int kCentred = Qt::AlignCenter | Qt::TextSingleLine;
const Overlays kOverlays[] = {
    {"centred label, pass", "A", kCentred, "PASS", ""},
    {"centred label, failure", "B - 3", kCentred, "FAIL", "Dll path FAIL (-1)"},
    {"top left label, long failure", "C", Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, "FAIL",
     "Image grab timed out on the second board while the sensor was streaming (-7)"},
    {"bottom right label, stop", "H - 12", Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine, "STOP", ""},
    {"no label, failure", "", 0, "FAIL", "Focus NG (5)"},
};

SiteOverlayRequest RequestFor(const Overlays& overlays, QSize view) {
  return SiteOverlayRequest{overlays.label, 50, overlays.labelFlags, overlays.headline, view.width() / 4,
                            overlays.detail, view.width() / 12};
}

void ExpectWholeInView(const OverlayText& text, QSize view, const char* what) {
  ASSERT_FALSE(text.box.isEmpty()) << what << " is not drawn";
  EXPECT_TRUE(QRect(QPoint(0, 0), view).contains(text.box)) << what << " runs past the view";
  const QRect needed = QFontMetrics(text.font).boundingRect(text.room, text.flags, text.text);
  EXPECT_TRUE(text.room.contains(needed)) << what << " is cut by its room";
}

}  // namespace

TEST(SiteOverlayTest, LabelJudgementAndDescriptionNeverMeetNorLeaveTheView) {
  qrv::test::TestApplication();
  const std::vector<QSize> sizes = LayoutViewSizes();
  ASSERT_GT(sizes.size(), 10u);
  for (const QSize view : sizes) {
    for (const Overlays& overlays : kOverlays) {
      SCOPED_TRACE(testing::Message() << overlays.name << " at " << view.width() << "x" << view.height());
      const SiteOverlayLayout layout = LayOutSiteOverlays(view, RequestFor(overlays, view));
      std::vector<QRect> drawn;
      if (*overlays.label != '\0') {
        ExpectWholeInView(layout.label, view, "the label");
        drawn.push_back(layout.label.box);
      }
      ExpectWholeInView(layout.headline, view, "the judgement");
      EXPECT_GE(layout.headline.font.pixelSize(), 24) << "the judgement stays readable from afar";
      drawn.push_back(layout.headline.box);
      if (*overlays.detail != '\0') {
        ExpectWholeInView(layout.detail, view, "the description");
        drawn.push_back(layout.detail.box);
      }
      for (std::size_t i = 0; i < drawn.size(); ++i)
        for (std::size_t j = i + 1; j < drawn.size(); ++j)
          EXPECT_FALSE(drawn[i].intersects(drawn[j])) << "texts " << i << " and " << j << " overlap";
    }
  }
}

TEST(SiteOverlayTest, TheJudgementKeepsItsSizeWhereThereIsRoomAndTheLabelItsPlace) {
  qrv::test::TestApplication();
  const QSize view(640, 480);
  const SiteOverlayLayout alone =
      LayOutSiteOverlays(view, SiteOverlayRequest{"", 50, 0, "PASS", 100, "", 0});
  EXPECT_EQ(alone.headline.font.pixelSize(), 100);
  EXPECT_NEAR(alone.headline.box.center().y(), view.height() / 2, 2) << "alone, the judgement is in the middle";

  SiteOverlayRequest underLines{"A", 50, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, "FAIL", 100, "Focus NG (5)", 40};
  underLines.reservedTop = 150;
  const SiteOverlayLayout belowLines = LayOutSiteOverlays(view, underLines);
  for (const OverlayText* text : {&belowLines.label, &belowLines.headline, &belowLines.detail}) {
    ASSERT_FALSE(text->box.isEmpty()) << text->text.toStdString();
    EXPECT_GT(text->box.top(), 150) << text->text.toStdString() << " covers the picture's own lines";
  }

  const SiteOverlayLayout topLeft = LayOutSiteOverlays(
      view, SiteOverlayRequest{"A", 50, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, "PASS", 100, "", 0});
  EXPECT_EQ(topLeft.label.font.pixelSize(), 50);
  EXPECT_LT(topLeft.label.box.top(), 10);
  EXPECT_LT(topLeft.label.box.left(), 10);
  EXPECT_EQ(topLeft.headline.font.pixelSize(), 100);
}

// The view as the operator saw it: site A's letter in the middle and the judgement over it.
TEST(SiteOverlayTest, AViewOfEightShowsItsLetterBesideItsJudgement) {
  qrv::test::TestApplication();
  const qrv::test::StationFolder station;
  station.Write("Ref/M/Controller.ini",
                "[USER_INIT]\r\nSITE_DRAW_FONT=50.0.0.0.35.150.230.0.0\r\nRESULT_MSG_FONT=100.0.0.0.0.0.0.0.0\r\n"
                "RESULT_DESC_MSG_FONT=100.0.0.0.0.0.0.0.0\r\n");
  const QrvRect r = CQRVBaseDlg::CalcSiteViewRect(8, 0, 0, 1245, 1010);
  for (const auto& [code, text] : {std::pair{0, ""}, std::pair{5, "Dll path FAIL"}}) {
    CBaseDraw view(0);
    view.resize(r.right - r.left, r.bottom - r.top);
    view.SetSiteLabelSwitch(true);
    view.DrawSiteLabel(DrawOptions{.siteDraw = true, .siteAlignment = {2, 4, 7}}, 0);
    view.DrawResultText(code, text);
    const SiteOverlayLayout layout = view.OverlayLayout();
    ASSERT_FALSE(layout.label.box.isEmpty());
    ASSERT_FALSE(layout.headline.box.isEmpty());
    EXPECT_EQ(layout.label.font.pixelSize(), 50);
    EXPECT_GT(layout.headline.font.pixelSize(), 60);
    EXPECT_FALSE(layout.label.box.intersects(layout.headline.box)) << code;
    EXPECT_FALSE(layout.detail.box.intersects(layout.headline.box)) << code;
    EXPECT_FALSE(layout.detail.box.intersects(layout.label.box)) << code;
    view.show();
    qrv::test::SaveScreenshot(view, code == 0 ? "site_view_of_eight_pass" : "site_view_of_eight_fail");
  }
}
