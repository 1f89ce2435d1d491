// Re-ordering of 3-byte pixels and the 12-bit realignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "orientation.h"
#include "simd_levels.h"

namespace qrv::sw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Pixel number id as (id, 100 + id, 200 + id), so a byte swap shows.
Bytes Pixels(int count) {
  Bytes b;
  for (int id = 0; id < count; ++id) b.insert(b.end(), {Bytes::value_type(id), Bytes::value_type(100 + id), Bytes::value_type(200 + id)});
  return b;
}

Bytes Expect(std::initializer_list<int> ids, bool swapped) {
  Bytes b;
  for (int id : ids) {
    if (swapped)
      b.insert(b.end(), {Bytes::value_type(200 + id), Bytes::value_type(100 + id), Bytes::value_type(id)});
    else
      b.insert(b.end(), {Bytes::value_type(id), Bytes::value_type(100 + id), Bytes::value_type(200 + id)});
  }
  return b;
}

struct ModeCase {
  int mode;
  Bytes expected;
};

TEST(Orientation, EveryModeOnAThreeByTwoOutput) {
  const Bytes src = Pixels(9);
  const ModeCase cases[] = {
      {0, Expect({0, 1, 2, 3, 4, 5}, false)},
      {1, Expect({3, 4, 5, 0, 1, 2}, false)},
      {2, Expect({0, 1, 2, 3, 4, 5}, true)},
      {3, Expect({3, 4, 5, 0, 1, 2}, true)},
      // Source 2 pixels wide and 3 rows high: out(r, c) = source (row c, column r).
      {4, Expect({0, 2, 4, 1, 3, 5}, true)},
      {5, Expect({1, 3, 5, 0, 2, 4}, true)},
      {6, Expect({4, 2, 0, 5, 3, 1}, true)},
      {7, Expect({5, 3, 1, 4, 2, 0}, true)},
      // Source pixel r + c x (H + 1).
      {8, Expect({0, 3, 6, 1, 4, 7}, true)},
  };
  for (const ModeCase& c : cases) {
    Bytes dst(18);
    ASSERT_TRUE(TransformOrientation(c.mode, src.data(), dst.data(), 3, 2));
    EXPECT_EQ(dst, c.expected) << "mode " << c.mode;
  }
}

TEST(Orientation, LargeTransposeMatchesTheRule) {
  const int w = 700, h = 600;  // split between threads, several tiles
  Bytes src(3 * w * h);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(i * 7 + i / 3);
  Bytes dst(src.size());
  ASSERT_TRUE(TransformOrientation(7, src.data(), dst.data(), w, h));
  for (int r = 0; r < h; r += 37) {
    for (int c = 0; c < w; c += 41) {
      const std::uint8_t* s = &src[3 * ((w - 1 - c) * h + (h - 1 - r))];
      const std::uint8_t* d = &dst[3 * (r * w + c)];
      ASSERT_EQ(d[0], s[2]);
      ASSERT_EQ(d[1], s[1]);
      ASSERT_EQ(d[2], s[0]);
    }
  }
}

TEST(Orientation, WideSwapMatchesTheRule) {
  const int w = 101, h = 3;
  const Bytes src = Pixels(w * h);
  for (const simd::Level level : qrv::test::kSimdLevels) {
    const qrv::test::ScopedSimdLevel cap(level);
    for (int mode : {2, 3}) {
      Bytes dst(3 * w * h);
      ASSERT_TRUE(TransformOrientation(mode, src.data(), dst.data(), w, h));
      Bytes expected;
      for (int r = 0; r < h; ++r) {
        const int from = mode == 3 ? h - 1 - r : r;
        for (int c = 0; c < w; ++c) {
          const Bytes px = Expect({from * w + c}, true);
          expected.insert(expected.end(), px.begin(), px.end());
        }
      }
      EXPECT_EQ(dst, expected) << mode << ", " << qrv::test::LevelName(level);
    }
  }
}

TEST(Orientation, UnknownModeWritesNothing) {
  const Bytes src = Pixels(6);
  Bytes dst(18, 0xAA);
  EXPECT_FALSE(TransformOrientation(9, src.data(), dst.data(), 3, 2));
  EXPECT_FALSE(TransformOrientation(0, src.data(), dst.data(), 0, 2));
  EXPECT_EQ(dst, Bytes(18, 0xAA));
}

TEST(Orientation, RepackMovesTheFrameTwelveBitsEarlier) {
  Bytes frame = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  RepackRaw12Nibbles(frame.data(), 2, 1);
  EXPECT_EQ(frame, (Bytes{0x45, 0x67, 0x89, 0xAB, 0xC0, 0x00}));
}

}  // namespace
}  // namespace qrv::sw
