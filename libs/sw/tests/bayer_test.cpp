// The Bayer kernel, against values worked out from its window rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bayer.h"
#include "simd_levels.h"
#include "sw_exports.h"

namespace qrv::bayer {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Row(std::initializer_list<int> pixels) { return Bytes(pixels.begin(), pixels.end()); }

Bytes OutputRow(const Bytes& bgr, int width, int row) {
  return Bytes(bgr.begin() + 3 * width * row, bgr.begin() + 3 * width * (row + 1));
}

const Bytes kSource4x4 = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};

TEST(Bayer, FourByFourBggrWorkedByHand) {
  Bytes bgr(4 * 4 * 3);
  Convert_Raw8_To_Bmp(kSource4x4.data(), bgr.data(), 4, 4, kBGGR);
  // Picture bottom first: source rows 2 and 3; columns 2 and 3 repeat column 1.
  EXPECT_EQ(OutputRow(bgr, 4, 0), Row({90, 115, 140, 110, 125, 140, 110, 125, 140, 110, 125, 140}));
  EXPECT_EQ(OutputRow(bgr, 4, 1), Row({90, 75, 60, 110, 85, 60, 110, 85, 60, 110, 85, 60}));
  // The two top picture rows repeat the row of source row 2.
  EXPECT_EQ(OutputRow(bgr, 4, 2), OutputRow(bgr, 4, 1));
  EXPECT_EQ(OutputRow(bgr, 4, 3), OutputRow(bgr, 4, 1));
}

TEST(Bayer, MonochromeTurnsSamplesGreyBottomUp) {
  const Bytes src = {1, 2, 3, 4};
  Bytes bgr(12);
  Convert_Raw8_To_Bmp(src.data(), bgr.data(), 2, 2, kMono);
  EXPECT_EQ(bgr, Row({3, 3, 3, 4, 4, 4, 1, 1, 1, 2, 2, 2}));
}

// Colour of each sample position by order: index (row & 1) * 2 + (col & 1); 0 blue, 1 green, 2 red.
constexpr int kPattern[5][4] = {{0, 1, 1, 2}, {2, 1, 1, 0}, {1, 0, 2, 1}, {1, 2, 0, 1}};

Bytes Reference(const Bytes& src, int w, int h, int order) {
  Bytes out(3 * w * h);
  for (int k = 0; k < h; ++k) {
    const int y = h - 1 - std::min(k, h - 3);
    for (int c = 0; c < w; ++c) {
      const int x = std::min(c, w - 3);
      int blue = 0, red = 0, greens = 0;
      for (int r = y - 1; r <= y; ++r) {
        for (int cc = x; cc <= x + 1; ++cc) {
          const int v = src[r * w + cc];
          switch (kPattern[order - 1][(r & 1) * 2 + (cc & 1)]) {
            case 0: blue = v; break;
            case 2: red = v; break;
            default: greens += v;
          }
        }
      }
      std::uint8_t* p = &out[3 * (k * w + c)];
      p[0] = static_cast<std::uint8_t>(blue);
      p[1] = static_cast<std::uint8_t>(greens >> 1);
      p[2] = static_cast<std::uint8_t>(red);
    }
  }
  return out;
}

Bytes Pattern(int n) {
  Bytes v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 37 + (i / 7) * 11);
  return v;
}

TEST(Bayer, EveryOrderOnOddAndEvenSizes) {
  for (int order = 1; order <= 4; ++order) {
    for (auto [w, h] : {std::pair{4, 4}, std::pair{6, 5}, std::pair{5, 6}, std::pair{3, 3}, std::pair{9, 7}}) {
      const Bytes src = Pattern(w * h);
      Bytes bgr(3 * w * h);
      ASSERT_TRUE(Demosaic(src.data(), bgr.data(), w, h, order));
      EXPECT_EQ(bgr, Reference(src, w, h, order)) << "order " << order << " " << w << "x" << h;
    }
  }
}

// Rows wide enough for every vector loop, with odd tails, at every vector width.
TEST(Bayer, WideRowsFollowTheRuleAtEveryWidth) {
  const int w = 211, h = 6;
  const Bytes src = Pattern(w * h);
  Bytes grey(3 * w * h);
  for (int k = 0; k < h; ++k)
    for (int c = 0; c < w; ++c)
      for (int i = 0; i < 3; ++i) grey[3 * (k * w + c) + i] = src[(h - 1 - k) * w + c];
  for (const simd::Level level : qrv::test::kSimdLevels) {
    const qrv::test::ScopedSimdLevel cap(level);
    for (int order = 1; order <= 5; ++order) {
      Bytes bgr(3 * w * h);
      ASSERT_TRUE(Demosaic(src.data(), bgr.data(), w, h, order));
      EXPECT_EQ(bgr, order == kMono ? grey : Reference(src, w, h, order))
          << "order " << order << ", " << qrv::test::LevelName(level);
    }
  }
}

// A frame large enough to be split between two threads gives the same rows as one thread.
TEST(Bayer, SplitFrameEqualsOneThread) {
  const int w = 1024, h = 512;
  const Bytes src = Pattern(w * h);
  for (int order = 1; order <= 5; ++order) {
    Bytes split(3 * w * h), single(3 * w * h);
    ASSERT_TRUE(Demosaic(src.data(), split.data(), w, h, order));
    DemosaicRows(src.data(), single.data(), w, h, order, 0, h);
    EXPECT_EQ(split, single) << order;
  }
}

TEST(Bayer, FramesTooSmallOrUnknownOrdersWriteNothing) {
  const Bytes src(16, 7);
  for (auto [w, h, order] : {std::tuple{2, 4, 1}, std::tuple{4, 2, 2}, std::tuple{0, 0, 5}, std::tuple{4, 4, 0},
                             std::tuple{4, 4, 6}, std::tuple{-4, 4, 5}}) {
    Bytes bgr(64, 0xAA);
    EXPECT_FALSE(Demosaic(src.data(), bgr.data(), w, h, order));
    EXPECT_EQ(bgr, Bytes(64, 0xAA));
  }
}

}  // namespace
}  // namespace qrv::bayer
