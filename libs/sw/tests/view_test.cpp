// The view surfaces: frames in, stretch out with zoom and offsets, the overlay and the program's site draw.
#include <cstdint>
#include <memory>
#include <vector>

#include "fake_program.h"
#include "library_fixture.h"
#include "port/surface.h"
#include "software_library.h"

namespace qrv::sw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Views : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    FakeProgram::fpsDraw.store(0);
    for (int v = 0; v < 2; ++v) {
      windows_[v] = std::make_unique<port::Surface>(8, 4, port::Surface::Format::Rgb32);
      record_->m_hViewDC[v] = windows_[v].get();
      record_->m_rcView[v] = QrvRect{0, 0, 8, 4};
    }
    Load();
  }
  void TearDown() override {
    LibraryTest::TearDown();
    for (int v = 0; v < 2; ++v) record_->m_hViewDC[v] = nullptr;
  }
  // Blue byte of a window pixel.
  int WindowBlue(int v, int x, int y) { return windows_[v]->Row(y)[4 * x]; }

  std::unique_ptr<port::Surface> windows_[2];
};

// An 8 x 4 frame whose blue byte is 10 x column + picture row (row 0 at the top).
Bytes Frame() {
  Bytes f(8 * 4 * 3, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) f[3 * ((3 - y) * 8 + x)] = static_cast<std::uint8_t>(10 * x + y);
  return f;
}

TEST_F(Views, FrameIsShownUprightAtZoom100) {
  const Bytes f = Frame();
  InDrawImage(0, f.data(), 8, 4);
  SoftwareLibrary::Instance()->Views().Memory(0);  // the record's slot is the view's surface
  EXPECT_EQ(record_->m_hMemDC[0], SoftwareLibrary::Instance()->Views().Memory(0));
  EXPECT_EQ(OutDrawImage(0), 100);
  EXPECT_EQ(FakeProgram::lastSiteDrawn.load(), 0);
  EXPECT_EQ(WindowBlue(0, 0, 0), 0);
  EXPECT_EQ(WindowBlue(0, 7, 3), 73);
}

TEST_F(Views, Zoom200StretchesTheQuarterAtTheOffsets) {
  const Bytes f = Frame();
  InDrawImage(1, f.data(), 8, 4);
  SetZoom(200);
  SetDrawPos(1, -2, -1);  // source starts at (2, 1)
  EXPECT_EQ(OutDrawImage(1), 101);
  // The 4 x 2 source region covers the whole 8 x 4 window, each pixel twice in both directions.
  EXPECT_EQ(WindowBlue(1, 0, 0), 21);
  EXPECT_EQ(WindowBlue(1, 1, 1), 21);
  EXPECT_EQ(WindowBlue(1, 2, 0), 31);
  EXPECT_EQ(WindowBlue(1, 7, 3), 52);
}

TEST_F(Views, OffsetsMoveAndFitResets) {
  SetDrawPos(3, 10, 0);
  SetDrawPos(3, 10, 0);
  auto& views = SoftwareLibrary::Instance()->Views();
  EXPECT_EQ(views.XOffset(3), -20);
  EXPECT_EQ(views.YOffset(3), 0);
  OnImagefit(3);
  EXPECT_EQ(views.XOffset(3), 0);
}

TEST_F(Views, SurfaceIsRemadeOnlyForANewSize) {
  const Bytes f = Frame();
  auto& views = SoftwareLibrary::Instance()->Views();
  InDrawImage(2, f.data(), 8, 4);
  InDrawImage(2, f.data(), 8, 4);
  EXPECT_EQ(views.Generation(2), 1);
  InDrawImage(2, f.data(), 4, 8);
  EXPECT_EQ(views.Generation(2), 2);
}

TEST_F(Views, OddWidthFramesAreNotSheared) {
  // 3 x 2: each row 9 bytes, not a multiple of 4.
  const Bytes f = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 0, 0, 6, 0, 0};
  InDrawImage(0, f.data(), 3, 2);
  port::Surface* s = SoftwareLibrary::Instance()->Views().Memory(0);
  EXPECT_EQ(s->Row(0)[0], 4);  // top row of the picture is the frame's last row
  EXPECT_EQ(s->Row(0)[6], 6);
  EXPECT_EQ(s->Row(1)[3], 2);
}

TEST_F(Views, BadViewsZoomAndFramesAreRefused) {
  const Bytes f = Frame();
  const int before = FakeProgram::siteDrawCalls.load();
  InDrawImage(8, f.data(), 8, 4);
  InDrawImage(-1, f.data(), 8, 4);
  InDrawImage(0, nullptr, 8, 4);
  InDrawImage(0, f.data(), 0, 4);
  EXPECT_EQ(OutDrawImage(8), 0);
  EXPECT_EQ(OutDrawImage(-1), 0);
  SetDrawPos(9, 1, 1);
  OnImagefit(-3);
  EXPECT_EQ(FakeProgram::siteDrawCalls.load(), before);
  SetZoom(0);
  SetZoom(-50);
  EXPECT_EQ(SoftwareLibrary::Instance()->Views().Zoom(), 100);
  // A view without a frame or a window draws nothing and still calls the site draw.
  EXPECT_EQ(OutDrawImage(5), 105);
}

TEST_F(Views, FrameRateOverlayOnlyWhenAsked) {
  const Bytes f(8 * 4 * 3, 0);
  InDrawImage(0, f.data(), 8, 4);
  record_->m_rcView[0] = QrvRect{0, 0, 8, 4};
  FakeProgram::fpsDraw.store(0);
  OutDrawImage(0);
  EXPECT_EQ(SoftwareLibrary::Instance()->Views().FrameRate(0), 0.0f);
  FakeProgram::fpsDraw.store(1);
  const int before = FakeProgram::siteDrawCalls.load();
  OutDrawImage(0);  // the first window ends at once
  EXPECT_EQ(FakeProgram::siteDrawCalls.load(), before + 1);
}

TEST_F(Views, SnapshotIsAJpegWhateverTheExtension) {
  const Bytes f = Frame();
  InDrawImage(0, f.data(), 8, 4);
  const std::string path = PathOf("snap/captureDC_0.bmp");
  EXPECT_EQ(OnSaveImageDC(path.c_str(), 0), 1);
  int w = 0, h = 0;
  Bytes back(8 * 4 * 3);
  EXPECT_EQ(OnLoadImage_JPG(path.c_str(), back.data(), &w, &h), 1);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 4);
}

TEST_F(Views, SnapshotReportsAFileThatWasNotWritten) {
  const Bytes f = Frame();
  InDrawImage(0, f.data(), 8, 4);
  // The path names an existing folder: no file can be written there.
  EXPECT_EQ(OnSaveImageDC(folder_.string().c_str(), 0), 0);
  // A view without a frame has nothing to save.
  EXPECT_EQ(OnSaveImageDC(PathOf("empty.jpg").c_str(), 4), 0);
  EXPECT_EQ(OnSaveImageDC(PathOf("bad.jpg").c_str(), 8), 0);
}

TEST_F(Views, InformationPanelFillsViewZero) {
  record_->m_rcView[0] = QrvRect{0, 0, 300, 200};
  OnPlatformInfoDraw();
  port::Surface* s = SoftwareLibrary::Instance()->Views().Memory(0);
  EXPECT_EQ(s->Width(), 300);
  EXPECT_EQ(s->Height(), 200);
  EXPECT_EQ(s->Row(199)[0], 255);  // white background
}

}  // namespace
}  // namespace qrv::sw::test
