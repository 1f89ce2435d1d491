// YUV and BGR conversions, against values worked out from the table and fixed-point formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "simd_levels.h"
#include "sw_exports.h"
#include "yuv.h"

namespace qrv::sw {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(YuvTables, TruncateThenClamp) {
  const YuvTables& t = GetYuvTables();
  EXPECT_EQ(t.red[16][128], 0);
  EXPECT_EQ(t.red[235][128], 254);     // 254.916 truncated
  EXPECT_EQ(t.red[255][128], 255);     // 278.2 clamped
  EXPECT_EQ(t.red[100][200], 212);     // 97.776 + 114.912
  EXPECT_EQ(t.blue[100][50], 0);       // -59.6 clamped
  EXPECT_EQ(t.blue[255][50], 120);     // 278.196 - 157.404
  EXPECT_EQ(t.blue[0][0], 0);
}

// Two rows of one pixel pair each, given as (Y0, U, Y1, V); the expected picture, bottom row first.
const std::array<int, 4> kTop = {16, 128, 235, 128};
const std::array<int, 4> kBottom = {100, 50, 255, 200};
const Bytes kExpected = {0, 69, 212, 120, 250, 255,  // bottom: Y 100 and 255 with U 50, V 200
                         0, 0, 0, 254, 254, 254};    // top: Y 16 and 235, neutral chroma

Bytes Pack(const std::array<int, 4>& yuyv, int order) {
  const int y0 = yuyv[0], u = yuyv[1], y1 = yuyv[2], v = yuyv[3];
  switch (order) {
    case 1: return {Bytes::value_type(y0), Bytes::value_type(u), Bytes::value_type(y1), Bytes::value_type(v)};
    case 2: return {Bytes::value_type(y0), Bytes::value_type(v), Bytes::value_type(y1), Bytes::value_type(u)};
    case 3: return {Bytes::value_type(u), Bytes::value_type(y0), Bytes::value_type(v), Bytes::value_type(y1)};
    default: return {Bytes::value_type(v), Bytes::value_type(y0), Bytes::value_type(u), Bytes::value_type(y1)};
  }
}

TEST(YuvToBgr, EveryInterleavedOrderReadsItsOwnBytes) {
  for (int order = 1; order <= 4; ++order) {
    Bytes src = Pack(kTop, order);
    const Bytes bottom = Pack(kBottom, order);
    src.insert(src.end(), bottom.begin(), bottom.end());
    Bytes bgr(12);
    Convert_Yuv_To_Bmp(src.data(), bgr.data(), 2, 2, order);
    EXPECT_EQ(bgr, kExpected) << "order " << order;
  }
}

TEST(YuvToBgr, PlanarSharesOneChromaPairPerBlock) {
  const Bytes src = {16, 235, 100, 255, /* V, U */ 200, 50};
  Bytes bgr(12);
  Convert_Yuv_To_Bmp(src.data(), bgr.data(), 2, 2, 7);
  EXPECT_EQ(bgr, (Bytes{0, 69, 212, 120, 250, 255, 0, 0, 114, 97, 226, 255}));
}

TEST(YuvToBgr, OddWidthWritesExactlyItsPixels) {
  // Width 3: one whole pair and the first half of another in each 6-byte row.
  const Bytes src = {16, 128, 16, 128, 235, 128};
  Bytes bgr(9 + 3, 0xAA);
  Convert_Yuv_To_Bmp(src.data(), bgr.data(), 3, 1, 1);
  EXPECT_EQ(bgr, (Bytes{0, 0, 0, 0, 0, 0, 254, 254, 254, 0xAA, 0xAA, 0xAA}));
}

TEST(YuvToBgr, UnknownOrderWritesNothing) {
  const Bytes src(8, 100);
  Bytes bgr(12, 0xAA);
  Convert_Yuv_To_Bmp(src.data(), bgr.data(), 2, 2, 5);
  EXPECT_EQ(bgr, Bytes(12, 0xAA));
}

TEST(BgrToYuv, ChromaFromOnePixelEach) {
  const Bytes white = {255, 255, 255, 255, 255, 255};
  Bytes yuv(4);
  Convert_Bmp_To_Yuv(white.data(), yuv.data(), 2, 1);
  EXPECT_EQ(yuv, (Bytes{128, 255, 128, 255}));
  // U from the first pixel's blue, V from the second pixel's red.
  const Bytes colour = {10, 200, 30, 50, 60, 250};
  Convert_Bmp_To_Yuv(colour.data(), yuv.data(), 2, 1);
  EXPECT_EQ(yuv, (Bytes{70, 127, 212, 115}));
}

TEST(BgrToYuv, ReadsThePictureTopRowFirst) {
  const Bytes frame = {0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255};  // bottom black, top white
  Bytes yuv(8);
  Convert_Bmp_To_Yuv(frame.data(), yuv.data(), 2, 2);
  EXPECT_EQ(yuv, (Bytes{128, 255, 128, 255, 128, 0, 128, 0}));
}

TEST(BgrToGrey, RoundedLumaInAllBytes) {
  const Bytes src = {10, 200, 30, 255, 255, 255, 0, 0, 1, 1, 2, 3};
  Bytes dst(12);
  Convert_Bmp_To_Ybmp(src.data(), dst.data(), 2, 2);
  EXPECT_EQ(dst, (Bytes{128, 128, 128, 255, 255, 255, 0, 0, 0, 2, 2, 2}));
  Bytes odd(9, 0xAA);
  Convert_Bmp_To_Ybmp(src.data(), odd.data(), 3, 1);
  EXPECT_EQ(odd, (Bytes{128, 128, 128, 255, 255, 255, 0, 0, 0}));
}

Bytes Noise(std::size_t n) {
  Bytes v(n);
  std::uint32_t x = 7;
  for (auto& b : v) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 23);
  }
  return v;
}

void ReferencePixel(int y, int u, int v, std::uint8_t* out) {
  const YuvTables& t = GetYuvTables();
  out[0] = t.blue[y][u];
  out[1] = static_cast<std::uint8_t>(std::clamp((1192 * y - 400 * u - 832 * v + 138624) >> 10, 0, 255));
  out[2] = t.red[y][v];
}

// Rows wide enough for the vector loops, with a tail for the scalar one.
TEST(YuvToBgr, WideRowsFollowTheRuleInEveryOrder) {
  const int w = 70, h = 3;
  const Bytes src = Noise(2 * w * h + w * h);
  const int offsets[5][4] = {{0, 1, 2, 3}, {0, 3, 2, 1}, {1, 0, 3, 2}, {1, 2, 3, 0}};
  for (int order = 1; order <= 4; ++order) {
    Bytes bgr(3 * w * h), expected(3 * w * h);
    Convert_Yuv_To_Bmp(src.data(), bgr.data(), w, h, order);
    const int* o = offsets[order - 1];
    for (int r = 0; r < h; ++r)
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* pair = &src[2 * w * r + 4 * (x / 2)];
        ReferencePixel(pair[x % 2 ? o[2] : o[0]], pair[o[1]], pair[o[3]], &expected[3 * ((h - 1 - r) * w + x)]);
      }
    EXPECT_EQ(bgr, expected) << "order " << order;
  }
  const int ph = 4;
  const Bytes planar = Noise(w * ph + w * ph / 2);
  Bytes bgr(3 * w * ph), expected(3 * w * ph);
  Convert_Yuv_To_Bmp(planar.data(), bgr.data(), w, ph, 7);
  for (int r = 0; r < ph; ++r)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* c = &planar[w * ph + w * (r / 2) + (x & ~1)];
      ReferencePixel(planar[w * r + x], c[1], c[0], &expected[3 * ((ph - 1 - r) * w + x)]);
    }
  EXPECT_EQ(bgr, expected);
}

TEST(BgrToYuv, WideRowsFollowTheDoubleRule) {
  const int w = 74, h = 2;
  const Bytes bgr = Noise(3 * w * h);
  Bytes yuv(2 * w * h), expected(2 * w * h);
  Convert_Bmp_To_Yuv(bgr.data(), yuv.data(), w, h);
  for (int r = 0; r < h; ++r)
    for (int p = 0; p < w / 2; ++p) {
      const std::uint8_t* px = &bgr[3 * w * (h - 1 - r) + 6 * p];
      const double y0 = 0.299 * px[2] + 0.587 * px[1] + 0.114 * px[0];
      const double y1 = 0.299 * px[5] + 0.587 * px[4] + 0.114 * px[3];
      std::uint8_t* out = &expected[2 * w * r + 4 * p];
      out[0] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(0.564 * (px[0] - y0) * 224 / 256 + 128 + 0.5), 16, 240));
      out[1] = static_cast<std::uint8_t>(y0);
      out[2] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(0.713 * (px[5] - y1) * 224 / 256 + 128 + 0.5), 16, 240));
      out[3] = static_cast<std::uint8_t>(y1);
    }
  EXPECT_EQ(yuv, expected);
}

// The grey conversion runs in integers; every colour must still give the single-precision result.
TEST(BgrToGrey, MatchesTheFloatRuleForEveryColour) {
  Bytes all(3 * 256 * 256 * 256);
  for (std::size_t i = 0; i < all.size() / 3; ++i) {
    all[3 * i] = static_cast<std::uint8_t>(i);
    all[3 * i + 1] = static_cast<std::uint8_t>(i >> 8);
    all[3 * i + 2] = static_cast<std::uint8_t>(i >> 16);
  }
  for (const simd::Level level : qrv::test::kSimdLevels) {
    const qrv::test::ScopedSimdLevel cap(level);
    Bytes grey(all.size());
    Convert_Bmp_To_Ybmp(all.data(), grey.data(), 4096, 4096);
    int mismatches = 0;
    for (std::size_t i = 0; i < all.size() / 3; ++i) {
      const std::uint8_t* p = &all[3 * i];
      const float luma = static_cast<float>(0.587 * p[1] + 0.299 * p[2] + 0.114 * p[0]);
      const int expected = std::min(255, std::max(0, static_cast<int>(luma + 0.5)));
      mismatches += grey[3 * i] != expected || grey[3 * i + 1] != expected || grey[3 * i + 2] != expected;
    }
    EXPECT_EQ(mismatches, 0) << qrv::test::LevelName(level);
  }
}

// The vector loops compute the tables' values in integers; every (Y, U, V) must still give the table's pixel.
// Pair i carries U = i, V = i >> 8 and the two lumas 2 (i >> 16) and 2 (i >> 16) + 1.
TEST(YuvToBgr, MatchesTheTablesForEveryInput) {
  const int pairs = 1 << 23, width = 4096, height = 2 * pairs / width;
  Bytes yuv(4 * static_cast<std::size_t>(pairs));
  for (int i = 0; i < pairs; ++i) {
    std::uint8_t* q = &yuv[4 * static_cast<std::size_t>(i)];
    q[0] = static_cast<std::uint8_t>(2 * (i >> 16));
    q[1] = static_cast<std::uint8_t>(i);
    q[2] = static_cast<std::uint8_t>(2 * (i >> 16) + 1);
    q[3] = static_cast<std::uint8_t>(i >> 8);
  }
  const YuvTables& t = GetYuvTables();
  for (const simd::Level level : qrv::test::kSimdLevels) {
    const qrv::test::ScopedSimdLevel cap(level);
    Bytes bgr(3 * yuv.size() / 2);
    Convert_Yuv_To_Bmp(yuv.data(), bgr.data(), width, height, 1);
    int mismatches = 0;
    for (int row = 0; row < height; ++row)
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* q = &yuv[2 * (static_cast<std::size_t>(row) * width + (x & ~1))];
        std::uint8_t expected[3];
        YuvPixel(t, q[x & 1 ? 2 : 0], q[1], q[3], expected);
        const std::uint8_t* got = &bgr[3 * (static_cast<std::size_t>(height - 1 - row) * width + x)];
        mismatches += !std::equal(expected, expected + 3, got);
      }
    EXPECT_EQ(mismatches, 0) << qrv::test::LevelName(level);
  }
}

// Chroma comes from the first pixel of a pair (U) and the second (V): two frames put every colour in both
// places, pair p holding colours (2p, 2p + 1) and then (2p + 1, 2p).
TEST(BgrToYuv, MatchesTheDoubleRuleForEveryColour) {
  const int pixels = 1 << 24, width = 4096, height = pixels / width;
  for (const auto& [level, swap] : {std::pair{simd::Level::kAvx512, 0}, std::pair{simd::Level::kAvx512, 1},
                                    std::pair{simd::Level::kAvx2, 0}, std::pair{simd::Level::kAvx2, 1},
                                    std::pair{simd::Level::kBaseline, 0}, std::pair{simd::Level::kBaseline, 1}}) {
    const qrv::test::ScopedSimdLevel cap(level);
    Bytes bgr(3 * static_cast<std::size_t>(pixels));
    for (int i = 0; i < pixels; ++i) {
      const int colour = i ^ swap;
      bgr[3 * static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(colour);
      bgr[3 * static_cast<std::size_t>(i) + 1] = static_cast<std::uint8_t>(colour >> 8);
      bgr[3 * static_cast<std::size_t>(i) + 2] = static_cast<std::uint8_t>(colour >> 16);
    }
    Bytes yuv(2 * static_cast<std::size_t>(pixels));
    Convert_Bmp_To_Yuv(bgr.data(), yuv.data(), width, height);
    int mismatches = 0;
    for (int row = 0; row < height; ++row)
      for (int p = 0; p < width / 2; ++p) {
        std::uint8_t expected[4];
        BgrPairToUyvy(&bgr[3 * (static_cast<std::size_t>(height - 1 - row) * width + 2 * p)], expected);
        mismatches += !std::equal(expected, expected + 4, &yuv[2 * static_cast<std::size_t>(row) * width + 4 * p]);
      }
    EXPECT_EQ(mismatches, 0) << qrv::test::LevelName(level) << ", swap " << swap;
  }
}

}  // namespace
}  // namespace qrv::sw
