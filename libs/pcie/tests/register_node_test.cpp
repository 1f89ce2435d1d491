// The real boards' path: register node files opened through a stand-in that keeps the XDMA driver's
// rules, with the simulated board's firmware behind it.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PCI_LX40.h"
#include "VelkaraSim.h"
#include "board_slots.h"
#include "driver_double.h"
#include "eye_scan_reduction.h"
#include "node.h"
#include "port/clock.h"
#include "qrv_test/temp_dir.h"
#include "register_node.h"

namespace {

using namespace driver_double;

TEST_F(RealBoardPath, BindsEachBoardByItsIdentityWord) {
  ASSERT_EQ(PCI_LVDS_Init(1), 1);
  EXPECT_EQ(pcie::Slot(1).devicePath, "/dev/xdma1");
  EXPECT_EQ(g_ruleBreaks, 0);
}

TEST_F(RealBoardPath, MailboxCommandsOfEveryPacketLengthKeepTheDriverRules) {
  uint32_t tenths = 0, other = 1;
  EXPECT_EQ(PCI_GetTemp(0, &tenths, &other), 1);
  EXPECT_EQ(tenths, 455u);
  const uint8_t supply[3] = {0x30, 0x90, 0x20};  // a packet that ends inside a word
  EXPECT_EQ(PCI_I2C_PWR_Write(0, 0x1A, 3, supply), 1);
  uint32_t rx = 0, tx = 0;
  EXPECT_EQ(PCI_FW_GetDate(0, &rx, &tx), 1);
  EXPECT_EQ(tx >> 28, 1u);
  EXPECT_EQ(PCI_SFP_Reset(0), 1);  // the one-byte link reset
  EXPECT_EQ(g_ruleBreaks, 0);
}

TEST_F(RealBoardPath, EyeScanBusyByteAndMemoryKeepTheDriverRules) {
  VelkaraSim_SetEyeOpening(0, 100, 150, 10, 42);
  std::vector<uint8_t> table(pcie::kEyeScanTableBytes);
  float horizontal = 0, vertical = 0;
  ASSERT_EQ(PCI_EyeScan_Init(0, 1), 1);
  ASSERT_EQ(PCI_EyeScan_GetData(0, 1, table.data(), &horizontal, &vertical), 1);
  EXPECT_FLOAT_EQ(horizontal, 0.5f);
  EXPECT_FLOAT_EQ(vertical, 320.0f);
  EXPECT_EQ(g_ruleBreaks, 0);
}

TEST_F(RealBoardPath, FrameGrabKeepsTheDriverRules) {
  StartStream(300);
  std::vector<uint8_t> frame(64 * 300);
  const int32_t size = static_cast<int32_t>(frame.size());
  ASSERT_EQ(PCI_LVDS_GetFrame(0, &size, frame.data()), 1);
  EXPECT_EQ(frame[64 * 299 + 5], VelkaraSim_PatternSample(5, 299, 8));
  EXPECT_EQ(PCI_LVDS_Stop(0), 1);
  EXPECT_EQ(g_ruleBreaks, 0);
}

// The stand-in, except that the card-to-host frame node cannot be opened.
std::unique_ptr<pcie::Node> OpenDriverDoubleWithoutFrameNode(const std::string& path) {
  if (path.ends_with("_c2h_0")) {
    errno = ENOENT;
    return nullptr;
  }
  return OpenDriverDouble(path);
}

TEST_F(RealBoardPath, ATransferTheDriverRefusesOnAnOpenNodePrintsThePositioningLine) {
  VelkaraSim_SetFaults("dead_board=0");
  testing::internal::CaptureStderr();
  EXPECT_EQ(PCI_SFP_Reset(0), 0);
  const std::string printed = testing::internal::GetCapturedStderr();
  VelkaraSim_SetFaults("");
  EXPECT_EQ(printed, "Error setting file pointer, win32 error code: " + std::to_string(EIO) + "\n");
}

TEST_F(RealBoardPath, StopOfAStreamWhoseFrameNodeNeverOpenedSaysSoAndFails) {
  pcie::SetDriverNodeOpener(&OpenDriverDoubleWithoutFrameNode);
  testing::internal::CaptureStderr();
  EXPECT_EQ(PCI_LVDS_Start(0), 0);
  const std::string started = testing::internal::GetCapturedStderr();
  EXPECT_NE(started.find("Error opening device, win32 error code: " + std::to_string(ENOENT) + "\n"),
            std::string::npos)
      << started;
  testing::internal::CaptureStderr();
  EXPECT_EQ(PCI_LVDS_Stop(0), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error opening device, win32 errorcode: " + std::to_string(EBADF) + "\n");

  // The stop closed what the start left; the next stream starts and stops cleanly.
  pcie::SetDriverNodeOpener(&OpenDriverDouble);
  testing::internal::CaptureStderr();
  EXPECT_EQ(PCI_LVDS_Start(0), 1);
  EXPECT_EQ(PCI_LVDS_Stop(0), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Device listing on a folder of the driver's nodes.
class DeviceListing : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("QRV_SIM_BOARDS"); }
  void TearDown() override { pcie::DevicePathTable() = {}; }
  // PCI_OpenDevice over `folder`, with what it printed.
  std::pair<int, std::string> OpenDevices(const std::string& folder) {
    const std::string before = pcie::SetDeviceFolder(folder);
    testing::internal::CaptureStderr();
    const int found = PCI_OpenDevice();
    pcie::SetDeviceFolder(before);
    return {found, testing::internal::GetCapturedStderr()};
  }
  qrv::test::TempDir dir_;
};

TEST_F(DeviceListing, FindsTheDriversDevicesInOrder) {
  for (const char* name : {"xdma1_user", "xdma0_user", "xdma0_c2h_0", "xdma_user", "xdmaX_user"}) {
    std::ofstream(dir_.File(name)).put('\n');
  }
  const auto [found, printed] = OpenDevices(dir_.path());
  EXPECT_EQ(found, 2);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(pcie::DevicePathTable()[0], dir_.File("xdma0"));
  EXPECT_EQ(pcie::DevicePathTable()[1], dir_.File("xdma1"));
}

TEST_F(DeviceListing, NoFolderIsNoBoardAndAFolderThatCannotBeListedFails) {
  const auto [none, quiet] = OpenDevices(dir_.File("absent"));
  EXPECT_EQ(none, 0);
  EXPECT_EQ(quiet, "");
  std::ofstream(dir_.File("plain")).put('\n');
  const auto [failed, printed] = OpenDevices(dir_.File("plain"));
  EXPECT_EQ(failed, -1);
  EXPECT_EQ(printed, "GetDevices INVALID_HANDLE_VALUE\n");
}

// Word memory behind the driver's rules; words at or past failAt fail.
class WordMemory final : public DriverRulesNode {
 public:
  std::map<uint64_t, uint32_t> words;
  uint64_t failAt = UINT64_MAX;

 private:
  long ReadWord(uint32_t& word, uint64_t offset) override {
    if (offset >= failAt) return Fail();
    word = words[offset];
    return 4;
  }
  long WriteWord(uint32_t word, uint64_t offset) override {
    if (offset >= failAt) return Fail();
    words[offset] = word;
    return 4;
  }
  static long Fail() {
    errno = EIO;
    return -1;
  }
};

TEST(RegisterNode, PartialWordsKeepTheirOtherBytes) {
  struct Case {
    uint64_t offset;
    std::vector<uint8_t> bytes;
    std::map<uint64_t, uint32_t> after;
  };
  const std::vector<Case> cases = {
      {0x10, {0x01}, {{0x10, 0x44332201}, {0x14, 0x88776655}}},
      {0x11, {0xAA, 0xBB}, {{0x10, 0x44BBAA11}, {0x14, 0x88776655}}},
      {0x13, {0xAA, 0xBB, 0xCC}, {{0x10, 0xAA332211}, {0x14, 0x8877CCBB}}},
      {0x10, {1, 2, 3, 4, 5}, {{0x10, 0x04030201}, {0x14, 0x88776605}}},
  };
  for (const Case& c : cases) {
    auto memory = std::make_unique<WordMemory>();
    WordMemory& words = *memory;
    words.words = {{0x10, 0x44332211}, {0x14, 0x88776655}};
    pcie::RegisterNode node(std::move(memory));
    g_ruleBreaks = 0;
    EXPECT_EQ(node.WriteAt(c.bytes.data(), c.bytes.size(), c.offset), static_cast<long>(c.bytes.size()));
    EXPECT_EQ(words.words, c.after) << c.offset;
    std::vector<uint8_t> back(c.bytes.size());
    EXPECT_EQ(node.ReadAt(back.data(), back.size(), c.offset), static_cast<long>(back.size()));
    EXPECT_EQ(back, c.bytes) << c.offset;
    EXPECT_EQ(g_ruleBreaks, 0);
  }
}

TEST(RegisterNode, AFailedWordFailsTheTransfer) {
  auto memory = std::make_unique<WordMemory>();
  memory->failAt = 0x18;
  pcie::RegisterNode node(std::move(memory));
  uint8_t bytes[12] = {};
  errno = 0;
  EXPECT_EQ(node.ReadAt(bytes, sizeof bytes, 0x10), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(node.WriteAt(bytes, sizeof bytes, 0x10), -1);
  EXPECT_EQ(node.WriteAt(bytes, 8, 0x10), 8);
}

}  // namespace
