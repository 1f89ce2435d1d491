#include <algorithm>
#include <cstring>

#include "sim_boards.h"

class FrameDmaTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    Bind(0);
    PowerModule(0);
    VelkaraSim_SetStream(0, 4, 0);
  }
  // 8-bit stream of width x height, geometry read back, stream started.
  void Stream(int width, int height) {
    ASSERT_EQ(PCI_LVDS_SetResolution(0, width, height), 1);
    int32_t w = 0, h = 0;
    ASSERT_EQ(PCI_LVDS_GetResolution(0, &w, &h), 1);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    ASSERT_EQ(PCI_LVDS_Start(0), 1);
  }
};

TEST_F(FrameDmaTest, GrabbedFrameIsTheModulePattern) {
  Stream(64, 300);  // several line-counter steps
  std::vector<uint8_t> frame(64 * 300);
  const int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), 1);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(frame[static_cast<size_t>(y * 64 + x)], VelkaraSim_PatternSample(x, y, 8)) << x << "," << y;
    }
  }
  EXPECT_EQ(PCI_LVDS_Trigger(0, size, frame.data()), 1);
}

TEST_F(FrameDmaTest, NeverWritesPastTheCallersBuffer) {
  Stream(64, 300);
  constexpr size_t kSmall = 1000;
  std::vector<uint8_t> buffer(kSmall + 64, 0xCC);
  const int32_t size = kSmall;
  EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, buffer.data()), 1);
  for (size_t i = kSmall; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCC) << i;
  EXPECT_EQ(buffer[kSmall - 1], VelkaraSim_PatternSample((kSmall - 1) % 64, (kSmall - 1) / 64, 8));
}

TEST_F(FrameDmaTest, FrameRequestsFailWithTheirOwnCodes) {
  ASSERT_EQ(PCI_LVDS_SetResolution(0, 64, 8), 1);
  uint8_t frame[64 * 8];
  const int32_t size = sizeof frame;
  // Stream not started: the board has nothing to deliver.
  EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, frame), -4);
  ASSERT_EQ(PCI_LVDS_Start(0), 1);
  VelkaraSim_SetFault(0, "mailbox_timeout", 1);
  EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, frame), -4);
  VelkaraSim_SetFault(0, "mailbox_timeout", 0);
  EXPECT_EQ(PCI_LVDS_Stop(0), 1);
  // Stream stopped again: the board refuses the request.
  EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, frame), -4);
}

// The board reuses a rendered frame only while nothing else wrote its memory and its settings hold.
TEST_F(FrameDmaTest, FrameAfterAFlashImageOrNewSettingsIsTheModulePatternAgain) {
  Stream(64, 40);
  std::vector<uint8_t> frame(64 * 40);
  const int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), 1);
  const std::vector<uint8_t> image(frame.size(), 0x00);
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiWriteAll(0, static_cast<int32_t>(image.size()), image.data(), 0), 1);
  std::fill(frame.begin(), frame.end(), 0xCC);
  ASSERT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), 1);
  EXPECT_EQ(frame[1], VelkaraSim_PatternSample(1, 0, 8));
  EXPECT_EQ(frame.back(), VelkaraSim_PatternSample(63, 39, 8));

  ASSERT_EQ(PCI_LVDS_SetResolution(0, 32, 40), 1);
  int32_t w = 0, h = 0;
  ASSERT_EQ(PCI_LVDS_GetResolution(0, &w, &h), 1);
  const int32_t half = size / 2;
  ASSERT_EQ(PCI_LVDS_GetFrame(0, &half, frame.data()), 1);
  EXPECT_EQ(frame[33], VelkaraSim_PatternSample(1, 1, 8));
}
