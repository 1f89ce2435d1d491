// The pixel inspector in the "Software Spec" window, driven offscreen: the colour and position of the frame
// pixel under a view's cursor, the sliders, and the window as an operator sees it.
#include <QApplication>
#include <QLabel>
#include <QScrollBar>

#include <cstdint>
#include <vector>

#include "library_fixture.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/test_application.h"
#include "screen_rgb_dlg.h"
#include "software_dlg.h"
#include "software_library.h"

namespace qrv::sw::test {
namespace {

class Inspector : public LibraryTest {
 protected:
  void SetUp() override {
    qrv::test::TestApplication();
    LibraryTest::SetUp();
    record_->m_rcView[0] = QrvRect{0, 0, 640, 480};
    Load();
    // A 1280 x 960 frame, mid grey, with a pure green pixel at image (200, 100) and pure red at (300, 200).
    std::vector<std::uint8_t> frame(1280 * 960 * 3, 128);
    const auto put = [&](int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
      std::uint8_t* p = &frame[3 * (static_cast<std::size_t>(959 - y) * 1280 + x)];  // bottom-up rows
      p[0] = b;
      p[1] = g;
      p[2] = r;
    };
    put(200, 100, 0, 255, 0);
    put(300, 200, 0, 0, 255);
    InDrawImage(0, frame.data(), 1280, 960);
  }

  QWidget* Window() const {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<CSoftwareDlg*>(w)) return w;
    return nullptr;
  }
  QString Text(const char* id) const { return Window()->findChild<QLabel*>(id)->text(); }
  QScrollBar* Slider(const char* id) const { return Window()->findChild<QScrollBar*>(id); }
  QColor Swatch(const char* id) const {
    return Window()->findChild<QLabel*>(id)->palette().color(QPalette::Window);
  }
};

TEST_F(Inspector, ReportsThePixelUnderTheCursorOfAHalfSizeView) {
  ASSERT_NE(Window(), nullptr);
  OnScreenRGB(0, 100, 50);  // 640 x 480 client showing 1280 x 960: image pixel (200, 100)
  EXPECT_EQ(Text("10013"), "0");
  EXPECT_EQ(Text("10014"), "255");
  EXPECT_EQ(Text("10015"), "0");
  EXPECT_EQ(Text("10017"), "#00FF00");
  EXPECT_EQ(Text("10016"), "X: 200, Y : 100");
  EXPECT_EQ(Slider("10011")->value(), 255);
  EXPECT_EQ(Slider("10010")->value(), 0);
  EXPECT_EQ(Swatch("933"), QColor(0, 255, 0));
  EXPECT_EQ(Swatch("931"), QColor(0, 255, 0));
  EXPECT_EQ(Swatch("930"), QColor(0, 0, 0));

  OnSpecDlg();
  Window()->resize(Window()->sizeHint());
  // Saved when the run names a screens folder (as CTest does); the binary run on its own has none.
  qrv::test::SaveScreenshot(*Window(), "software_spec_pixel_inspector");
}

TEST_F(Inspector, FollowsZoomAndOffsetsAndIgnoresPointsOutsideTheFrame) {
  SetZoom(200);  // the view shows 640 x 480 image pixels from the offsets
  SetDrawPos(0, -100, -50);  // offsets (100, 50)
  OnScreenRGB(0, 200, 150);  // image (300, 200)
  EXPECT_EQ(Text("10017"), "#FF0000");
  EXPECT_EQ(Text("10016"), "X: 300, Y : 200");
  OnScreenRGB(0, 100, 50);  // image (200, 100)
  EXPECT_EQ(Text("10017"), "#00FF00");
  // Outside the window's client, or past the frame: the report stays.
  for (const auto& [x, y] : {std::pair{-1, 10}, std::pair{10, -1}, std::pair{2000, 10}, std::pair{10, 2000}}) {
    OnScreenRGB(0, x, y);
    EXPECT_EQ(Text("10016"), "X: 200, Y : 100") << x << ", " << y;
  }
  OnScreenRGB(1, 10, 10);  // a view without a frame or a window
  OnScreenRGB(9, 10, 10);  // no such view
  EXPECT_EQ(Text("10016"), "X: 200, Y : 100");
}

TEST_F(Inspector, SlidersMixAColourByHand) {
  EXPECT_EQ(Text("10017"), "#FFFFFF");
  EXPECT_EQ(Text("10016"), "X : Pos, Y : Pos");
  QScrollBar* red = Slider("10010");
  red->triggerAction(QAbstractSlider::SliderSingleStepSub);
  red->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Text("10013"), "253");
  EXPECT_TRUE(Text("10017").startsWith("#FD"));
  Slider("10012")->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(Text("10015"), "245");
  EXPECT_EQ(Text("10017"), "#FDFFF5");
  EXPECT_EQ(Swatch("933"), QColor(253, 255, 245));
  EXPECT_EQ(Swatch("932"), QColor(0, 0, 245));
  Slider("10011")->triggerAction(QAbstractSlider::SliderPageStepAdd);  // stays at the top of the range
  EXPECT_EQ(Text("10014"), "255");
}

}  // namespace
}  // namespace qrv::sw::test
