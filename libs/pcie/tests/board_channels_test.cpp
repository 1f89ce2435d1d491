// Sites that share a board test the modules on their own channels: what one site's thread does to its
// module is not seen by another site's, all of them can stream at once, and a fault of the board hits all.
#include <functional>
#include <thread>
#include <vector>

#include "port/thread_site.h"
#include "sim_boards.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 300;
constexpr uint32_t kSensorSlave = 0x6C;
constexpr uint32_t kModeRegister = 0x0100;

class BoardChannelsTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    port::clock::UseVirtualTime(false);
    Bind(0);
  }

  // Runs fn on a thread that works for `site`, as a site's item does.
  static void AsSite(int site, const std::function<void()>& fn) {
    std::thread([&] {
      const port::ThreadSiteScope scope(site);
      fn();
    }).join();
  }

  static int WriteMode(uint8_t value) { return PCI_I2C_SYS_Write(0, kSensorSlave, 2, kModeRegister, 1, &value); }
  static int ReadMode(uint8_t* value) { return PCI_I2C_SYS_Read(0, kSensorSlave, 2, kModeRegister, 1, value); }

  // Powers the site's module, streams and grabs kRounds frames; the count of failures.
  static int StreamAndGrab(int rounds) {
    PowerModule(0);
    int failures = 0;
    if (PCI_LVDS_SetResolution(0, kWidth, kHeight) != 1 || PCI_LVDS_Start(0) != 1) return rounds;
    std::vector<uint8_t> frame(kWidth * kHeight);
    const int32_t size = static_cast<int32_t>(frame.size());
    for (int i = 0; i < rounds; ++i) {
      if (PCI_LVDS_GetFrame(0, &size, frame.data()) != 1 ||
          frame.back() != VelkaraSim_PatternSample(kWidth - 1, kHeight - 1, 8))
        ++failures;
    }
    return failures;
  }
};

TEST_F(BoardChannelsTest, EachSiteReachesItsOwnModule) {
  int written = 0;
  AsSite(3, [&] {
    PowerModule(0);
    written = WriteMode(0x00);
  });
  EXPECT_EQ(written, 1);
  // The thread of no site reaches channel 0, whose module nobody powered: it does not answer.
  uint8_t mode = 0xEE;
  EXPECT_NE(ReadMode(&mode), 1);
  EXPECT_EQ(VelkaraSim_SupplyVolts(0, 0), 0.0);

  uint8_t third = 0xEE, sixth = 0xEE;
  AsSite(3, [&] { ReadMode(&third); });
  AsSite(6, [&] {
    PowerModule(0);
    ReadMode(&sixth);
  });
  EXPECT_EQ(third, 0x00);  // what site 3 wrote stays on its module
  EXPECT_EQ(sixth, 0x01);  // site 6's module still streams as after reset
}

TEST_F(BoardChannelsTest, FourSitesOfOneBoardStreamAtOnce) {
  constexpr int kRounds = 20;
  int failures[4] = {};
  std::vector<std::thread> sites;
  for (int site = 0; site < 4; ++site)
    sites.emplace_back([site, &failures] {
      const port::ThreadSiteScope scope(site * 2);
      failures[site] = StreamAndGrab(kRounds);
    });
  for (std::thread& t : sites) t.join();
  for (int site = 0; site < 4; ++site) EXPECT_EQ(failures[site], 0) << "site " << site * 2;
}

TEST_F(BoardChannelsTest, ASiteStoppingItsStreamLeavesTheOtherSitesStreaming) {
  AsSite(0, [] { EXPECT_EQ(StreamAndGrab(1), 0); });
  AsSite(4, [] { EXPECT_EQ(StreamAndGrab(1), 0); });
  AsSite(0, [] { EXPECT_EQ(PCI_LVDS_Stop(0), 1); });
  AsSite(4, [] {
    std::vector<uint8_t> frame(kWidth * kHeight);
    const int32_t size = static_cast<int32_t>(frame.size());
    EXPECT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), 1);
    EXPECT_EQ(frame.back(), VelkaraSim_PatternSample(kWidth - 1, kHeight - 1, 8));
  });
}

TEST_F(BoardChannelsTest, AFaultOfTheBoardHitsEveryChannel) {
  ASSERT_EQ(VelkaraSim_SetFaults("sensor_nak=0"), 1);
  for (const int site : {0, 5, 7}) {
    int written = 1;
    AsSite(site, [&] {
      PowerModule(0);
      written = WriteMode(0x00);
    });
    EXPECT_NE(written, 1) << "site " << site;
  }
}

}  // namespace
