// Two sites sharing one board: each starts the stream and grabs, or binds the board again, while the
// other reads frames through the board's nodes.
#include <thread>

#include "sim_boards.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 300;
constexpr int kRounds = 30;

class SharedBoardTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    // Real time: a site waits for the board's lease as long as the other really holds it.
    port::clock::UseVirtualTime(false);
    Bind(0);
    PowerModule(0);
    VelkaraSim_SetStream(0, 4, 0);
    ASSERT_EQ(PCI_LVDS_SetResolution(0, kWidth, kHeight), 1);
    int32_t w = 0, h = 0;
    ASSERT_EQ(PCI_LVDS_GetResolution(0, &w, &h), 1);
    ASSERT_EQ(PCI_LVDS_Start(0), 1);
  }

  // Grabs a frame and checks its last line; false on any failure.
  static bool GrabIsThePattern() {
    std::vector<uint8_t> frame(kWidth * kHeight);
    const int32_t size = static_cast<int32_t>(frame.size());
    if (PCI_LVDS_GetFrame(0, &size, frame.data()) != 1) return false;
    return frame.back() == VelkaraSim_PatternSample(kWidth - 1, kHeight - 1, 8);
  }

  static void StartAndGrab(int* failures) {
    for (int i = 0; i < kRounds; ++i) {
      if (PCI_LVDS_Start(0) != 1) ++*failures;
      if (!GrabIsThePattern()) ++*failures;
    }
  }
};

TEST_F(SharedBoardTest, BothSitesStartAndGrabAtOnce) {
  int failures[2] = {};
  std::thread a(StartAndGrab, &failures[0]);
  std::thread b(StartAndGrab, &failures[1]);
  a.join();
  b.join();
  EXPECT_EQ(failures[0], 0);
  EXPECT_EQ(failures[1], 0);
}

TEST_F(SharedBoardTest, OneSiteBindsTheBoardAgainWhileTheOtherGrabs) {
  int failures[2] = {};
  std::thread a([&failures] {
    for (int i = 0; i < kRounds; ++i) {
      if (PCI_LVDS_Init(0) != 1) ++failures[0];
    }
  });
  std::thread b(StartAndGrab, &failures[1]);
  a.join();
  b.join();
  EXPECT_EQ(failures[0], 0);
  EXPECT_EQ(failures[1], 0);
}

// Grabs while the register node is closed fail with their own codes; the board works again once bound.
TEST_F(SharedBoardTest, OneSiteClosesTheBoardWhileTheOtherGrabs) {
  int failures = 0;
  std::thread a([&failures] {
    for (int i = 0; i < kRounds; ++i) {
      if (PCI_LVDS_Close(0) != 1 || PCI_LVDS_Init(0) != 1) ++failures;
    }
    PCI_CloseDevice();
  });
  std::thread b([] {
    for (int i = 0; i < kRounds; ++i) GrabIsThePattern();
  });
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  ASSERT_EQ(PCI_LVDS_Init(0), 1);
  EXPECT_TRUE(GrabIsThePattern());
}

}  // namespace
