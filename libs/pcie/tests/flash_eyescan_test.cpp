#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "../src/eye_scan_reduction.h"
#include "sim_boards.h"

namespace {

std::vector<uint8_t> Image(size_t size, uint8_t seed) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
  return image;
}

std::vector<uint8_t> Flash(int board, int rxSide, size_t size) {
  std::vector<uint8_t> out(size);
  VelkaraSim_ReadFlash(board, rxSide, 0, out.data(), size);
  return out;
}

class FlashTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    Bind(0);
    // The DMA nodes outlive a binding: start each test with none open.
    PCI_Flash_SpiClose(0);
    PCI_LVDS_Stop(0);
  }
};

TEST_F(FlashTest, EraseProgramVerifyAndReadBackRoundTrip) {
  const std::vector<uint8_t> image = Image(5000, 3);
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiWriteAll(0, static_cast<int>(image.size()), image.data(), 0), 1);
  EXPECT_EQ(Flash(0, 0, image.size()), image);
  ASSERT_EQ(PCI_LVDS_Start(0), 1);  // the read-back arrives over the card-to-host node
  std::vector<uint8_t> back(image.size());
  ASSERT_EQ(PCI_Flash_SpiReadAll(0, static_cast<int>(back.size()), back.data(), 0), 1);
  EXPECT_EQ(back, image);
  EXPECT_EQ(PCI_Flash_SpiClose(0), 1);
  EXPECT_EQ(Flash(0, 1, 16), std::vector<uint8_t>(16, 0xFF)) << "the receiver's flash stays untouched";
}

TEST_F(FlashTest, VerifyMismatchFailsTheWrite) {
  VelkaraSim_SetFaults("flash_bad_bit");
  const std::vector<uint8_t> image = Image(1000, 9);
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 0), 1);
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(PCI_Flash_SpiWriteAll(0, 1000, image.data(), 0), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0) - before, 2) << "program, then verify";
}

TEST_F(FlashTest, ProgramErrorStopsBeforeVerify) {
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 0), 1);
  const std::vector<uint8_t> first(64, 0x00);
  ASSERT_EQ(PCI_Flash_SpiWriteAll(0, 64, first.data(), 0), 1);
  const std::vector<uint8_t> second(64, 0xFF);  // needs an erase first
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(PCI_Flash_SpiWriteAll(0, 64, second.data(), 0), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0) - before, 1);
}

TEST_F(FlashTest, ReceiverSideProgramsWithoutVerify) {
  const std::vector<uint8_t> image = Image(300, 1);
  ASSERT_EQ(PCI_Flash_SpiInit(0, 1), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 1), 1);
  const int before = VelkaraSim_CommandCount(0);
  ASSERT_EQ(PCI_Flash_SpiWriteAll(0, 300, image.data(), 1), 1);
  EXPECT_EQ(VelkaraSim_CommandCount(0) - before, 1);
  EXPECT_EQ(VelkaraSim_FlashPrograms(0, 1), 1);
  EXPECT_EQ(Flash(0, 1, image.size()), image);
}

TEST_F(FlashTest, RefusesWhatCannotWork) {
  const std::vector<uint8_t> image(16, 0);
  EXPECT_EQ(PCI_Flash_SpiWriteAll(0, 16, image.data(), 0), 0) << "no host-to-card node before init";
  EXPECT_EQ(PCI_Flash_SpiInit(4, 0), 0);
  EXPECT_EQ(PCI_Flash_SpiErase(-1, 0), 0);
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  EXPECT_EQ(PCI_Flash_SpiWriteAll(0, -1, image.data(), 0), 0);
  EXPECT_EQ(PCI_Flash_SpiWriteAll(0, 16, nullptr, 0), 0);
  std::vector<uint8_t> back(16, 0xAB);
  EXPECT_EQ(PCI_Flash_SpiReadAll(0, 16, back.data(), 0), 0) << "no card-to-host node: nothing came back";
  EXPECT_EQ(PCI_Flash_SpiClose(1), 0) << "board never bound";
}

// The read-back runs whatever the reply said; the call succeeds only with a good reply and all the bytes.
TEST_F(FlashTest, ReadBackFollowsAFailedReply) {
  const std::vector<uint8_t> image = Image(2000, 5);
  const int size = static_cast<int>(image.size());
  ASSERT_EQ(PCI_Flash_SpiInit(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiErase(0, 0), 1);
  ASSERT_EQ(PCI_Flash_SpiWriteAll(0, size, image.data(), 0), 1);
  ASSERT_EQ(PCI_LVDS_Start(0), 1);
  VelkaraSim_SetFaults("mailbox_timeout");
  std::vector<uint8_t> back(image.size());
  EXPECT_EQ(PCI_Flash_SpiReadAll(0, size, back.data(), 0), 0);
  EXPECT_EQ(back, image) << "the card memory the image went to";
}

TEST_F(FlashTest, InitTimesOutInVirtualTime) {
  VelkaraSim_SetFaults("mailbox_timeout");
  const auto start = port::clock::Now();
  EXPECT_EQ(PCI_Flash_SpiInit(0, 0), 0);
  EXPECT_GE(port::clock::ElapsedMs(start), 1000);
}

class EyeScanTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    Bind(0);
  }
  std::vector<uint8_t> table = std::vector<uint8_t>(pcie::kEyeScanTableBytes);
  float horizontal = 0;
  float vertical = 0;
};

TEST_F(EyeScanTest, ReducesTheScanToWidthAndHeight) {
  VelkaraSim_SetEyeOpening(0, 100, 150, 10, 42);
  ASSERT_EQ(PCI_EyeScan_Init(0, 1), 1);
  ASSERT_EQ(PCI_EyeScan_GetData(0, 1, table.data(), &horizontal, &vertical), 1);
  EXPECT_FLOAT_EQ(horizontal, 0.5f);
  EXPECT_FLOAT_EQ(vertical, 320.0f);
  float cell = 1;
  std::memcpy(&cell, table.data() + (127 * 64 + 20) * 4, 4);
  EXPECT_EQ(cell, 0.0f) << "the table is the scan memory";
}

TEST_F(EyeScanTest, LaneWithoutInitHasNoOpenCell) {
  ASSERT_EQ(PCI_EyeScan_Init(0, 0), 1);
  ASSERT_EQ(PCI_EyeScan_GetData(0, 2, table.data(), &horizontal, &vertical), 1);
  EXPECT_FLOAT_EQ(horizontal, -156.234375f);
  EXPECT_FLOAT_EQ(vertical, -63993.6f);
}

TEST_F(EyeScanTest, StuckScanIsReadAfterTwoThousandPolls) {
  VelkaraSim_SetFaults("eye_scan_stuck");
  ASSERT_EQ(PCI_EyeScan_Init(0, 1), 1);
  const auto start = port::clock::Now();
  EXPECT_EQ(PCI_EyeScan_GetData(0, 1, table.data(), &horizontal, &vertical), 1);
  EXPECT_GE(port::clock::ElapsedMs(start), 20000);
  EXPECT_FLOAT_EQ(horizontal, -156.234375f) << "the memory as it was: closed";
}

TEST_F(EyeScanTest, RefusesWithoutTableOrBoard) {
  EXPECT_EQ(PCI_EyeScan_GetData(0, 1, nullptr, &horizontal, &vertical), 0);
  EXPECT_EQ(PCI_EyeScan_GetData(4, 1, table.data(), &horizontal, &vertical), 0);
  EXPECT_EQ(PCI_EyeScan_Init(1, 1), 0) << "board never bound";
}

TEST(EyeScanReduction, OpenCellsAreExactZeros) {
  struct Case {
    std::vector<std::pair<int, int>> open;  // row, column
    float cellValue;
    float horizontal;
    float vertical;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<Case> cases = {
      {{{127, 10}}, 0.0f, 0.0f, -63993.6f},
      {{{127, 10}, {127, 42}}, 0.0f, 0.5f, -63993.6f},
      {{{100, 31}, {150, 31}}, 0.0f, -156.234375f, 320.0f},
      {{{127, 10}, {127, 42}}, -0.0f, 0.5f, -63993.6f},
      {{{127, 10}, {127, 42}}, nan, -156.234375f, -63993.6f},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> table(pcie::kEyeScanTableBytes);
    const float closed = 1.0f;
    for (size_t at = 0; at < table.size(); at += 4) std::memcpy(table.data() + at, &closed, 4);
    for (auto [row, column] : c.open) std::memcpy(table.data() + (row * 64 + column) * 4, &c.cellValue, 4);
    const pcie::EyeOpening eye = pcie::ReduceEyeScan(table.data());
    EXPECT_FLOAT_EQ(eye.horizontal, c.horizontal);
    EXPECT_FLOAT_EQ(eye.vertical, c.vertical);
  }
}

}  // namespace
