#include <cstring>

#include "board_fixture.h"

namespace {

uint16_t Crc16(const uint8_t* data, size_t length) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
  }
  return crc;
}

}  // namespace

class FrameTest : public BoardApi {
 protected:
  // Powered module streaming width x height at bits over lanes; crc: receiver appends line trailers.
  void Stream(int width, int height, int bits, int lanes, bool crc) {
    PowerUp(0);
    VelkaraSim_SetStream(0, lanes, crc ? 1 : 0);
    ASSERT_EQ(VKL_DP_Init(0, 2.7f, lanes, bits, 0x0123), 1);
    ASSERT_EQ(VKL_DP_LinkDone(0, 0x1111, 100.0f), 1);
    ASSERT_EQ(VKL_LVDS_SetResolution(0, static_cast<uint16_t>(width), static_cast<uint16_t>(height)), 1);
    int32_t w = 0, h = 0;
    ASSERT_EQ(VKL_LVDS_GetResolution(0, &w, &h), 1);
    ASSERT_EQ(VKL_LVDS_Start(0), 1);
  }
};

TEST_F(FrameTest, TenBitFrameIsThePatternInWords) {
  Stream(64, 20, 10, 4, false);
  std::vector<uint8_t> frame(64 * 20 * 2);
  int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(VKL_LVDS_GetFrame(0, &size, frame.data()), 1);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 64; ++x) {
      const size_t at = static_cast<size_t>(2 * (y * 64 + x));
      ASSERT_EQ(frame[at] | (frame[at + 1] << 8), static_cast<int>(VelkaraSim_PatternSample(x, y, 10))) << x << "," << y;
    }
  }
}

TEST_F(FrameTest, LinesPaddedToTheLaneCountArriveUnpadded) {
  Stream(1000, 6, 10, 3, false);
  std::vector<uint8_t> frame(2000 * 6 + 16, 0xCC);
  int32_t size = 2000 * 6;
  ASSERT_EQ(VKL_LVDS_GetFrame(0, &size, frame.data()), 1);
  for (int y = 0; y < 6; ++y) {
    for (int x : {0, 1, 998, 999}) {
      const size_t at = static_cast<size_t>(2000 * y + 2 * x);
      EXPECT_EQ(frame[at] | (frame[at + 1] << 8), static_cast<int>(VelkaraSim_PatternSample(x, y, 10))) << x << "," << y;
    }
  }
  for (size_t i = 2000 * 6; i < frame.size(); ++i) ASSERT_EQ(frame[i], 0xCC);
  // A caller buffer of two lines gets two lines, nothing more.
  std::vector<uint8_t> small(4000 + 16, 0xCC);
  size = 4000;
  ASSERT_EQ(VKL_LVDS_GetFrame(0, &size, small.data()), 1);
  for (size_t i = 4000; i < small.size(); ++i) ASSERT_EQ(small[i], 0xCC);
}

TEST_F(FrameTest, CrcLinesCarryTheirCrcAndChosenLinesFail) {
  VelkaraSim_SetFaults("bad_crc_lines=3,7");
  Stream(64, 12, 10, 4, true);
  constexpr size_t kPayload = 64 * 5 / 4;
  constexpr size_t kStride = kPayload + 4;
  std::vector<uint8_t> frame(kStride * 12);
  int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(VKL_LVDS_GetFrame(0, &size, frame.data()), 1);
  // RAW10 packing: four high bytes, then the four pairs of low bits.
  uint8_t low = 0;
  for (int x = 0; x < 4; ++x) {
    const uint32_t s = VelkaraSim_PatternSample(x, 1, 10);
    EXPECT_EQ(frame[kStride + static_cast<size_t>(x)], s >> 2);
    low = static_cast<uint8_t>(low | ((s & 3u) << (2 * x)));
  }
  EXPECT_EQ(frame[kStride + 4], low);
  for (size_t line = 0; line < 12; ++line) {
    const uint8_t* p = frame.data() + line * kStride;
    const uint16_t received = static_cast<uint16_t>(p[kPayload + 1] | (p[kPayload + 2] << 8));
    const bool bad = line == 3 || line == 7;
    EXPECT_EQ(Crc16(p, kPayload) != received, bad) << line;
    EXPECT_EQ(p[kPayload + 3], 0);
  }
}

// Board 1: no test of this program initialises its receiver, so its lane count is still unknown.
TEST_F(FrameTest, GrabBeforeTheLaneCountIsSetFailsCleanly) {
  VKL_LVDS_SetResolution(1, 64, 4);
  int32_t w = 0, h = 0;
  VKL_LVDS_GetResolution(1, &w, &h);
  const int before = VelkaraSim_CommandCount(1);
  std::vector<uint8_t> frame(64 * 4, 0xCC);
  int32_t size = static_cast<int32_t>(frame.size());
  EXPECT_EQ(VKL_LVDS_GetFrame(1, &size, frame.data()), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(1), before);
  EXPECT_EQ(frame[0], 0xCC);
}

TEST_F(FrameTest, UnknownLinkRateSendsNothingAndKeepsTheLaneCount) {
  Stream(60, 4, 8, 3, false);
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_DP_Init(0, 8.1f, 4, 8, 0x0123), -1);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before + 1);  // only the bus reset
  std::vector<uint8_t> frame(60 * 4);
  int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(VKL_LVDS_GetFrame(0, &size, frame.data()), 1);  // still padded by 3 lanes
  EXPECT_EQ(frame[60 * 3 + 59], VelkaraSim_PatternSample(59, 3, 8));
}
