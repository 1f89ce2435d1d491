#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "mcu_fixture.h"

namespace {

std::vector<uint8_t> QueryFrame(uint8_t id, uint16_t dataLength) {
  return {0x15, 0x04, 0x00, 0x03, 0x16, 0x00, 0x04, 0x00, 0x10, id, static_cast<uint8_t>(dataLength),
          static_cast<uint8_t>(dataLength >> 8)};
}

// Mode 1 with two data bytes, or mode 2 with the same layout.
std::vector<uint8_t> CommandFrame(uint8_t mode) {
  return {0x15, 0x06, 0x00, 0x03, 0x16, mode, 0x06, 0x00, 0x10, 0x40, 0x02, 0x00, 0xAA, 0xBB};
}

std::int64_t ElapsedMs(port::clock::TimePoint since) { return port::clock::ElapsedMs(since); }

}  // namespace

TEST_F(McuTest, QueryRoundTripWithHandshake) {
  const uint8_t handle[4] = {0x11, 0x22, 0x33, 0x44};
  VelkaraSim_SetMcuReply(0, 0x10, 0x0A, handle, 4);
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  ASSERT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, reply, 12, 1, 100), 1);
  EXPECT_EQ(std::vector<uint8_t>(reply + 8, reply + 12), std::vector<uint8_t>(handle, handle + 4));
  const auto writes = McuWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], std::vector<uint8_t>(frame.begin(), frame.begin() + 4));
  EXPECT_EQ(writes[1], std::vector<uint8_t>(frame.begin() + 4, frame.end()));
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuTest, SweepVariantLeavesTheRequestLineHighOnSuccess) {
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  ASSERT_EQ(VKL_I2C_ProtocolTrx_Sweep_Config(0, frame.data(), 8, reply, 12, 1, 100), 1);
  EXPECT_TRUE(RequestLineHigh());
}

// A busy controller costs checks of the one budget: a command with 5 ms of work after each of its three
// transfers needs 1 + 3 x 6 checks; one check less times out at the very end.
TEST_F(McuTest, BudgetIsSharedByAllWaitsAndTheLastUnitCounts) {
  VelkaraSim_SetMcuBusyMs(0, 5);
  const auto frame = CommandFrame(1);
  uint8_t ack[8] = {};
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 10, ack, 0, 1, 19), 1);
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 10, ack, 0, 1, 18), 0);
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuTest, MissingHandshakeTimesOutInVirtualTime) {
  VelkaraSim_SetFault(0, "mcu_no_handshake", 1);
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  const auto start = port::clock::Now();
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, reply, 12, 1, 250), 0);
  EXPECT_GE(ElapsedMs(start), 250);
  EXPECT_LT(ElapsedMs(start), 300);
  EXPECT_TRUE(McuWrites().empty());
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuTest, ZeroBudgetWritesNothing) {
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, reply, 12, 1, 0), 0);
  EXPECT_TRUE(McuWrites().empty());
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuTest, CorruptedFrameGivesTheBodyFailureOfItsMode) {
  struct Case {
    std::vector<uint8_t> frame;
    int expected;
  };
  const Case cases[] = {{QueryFrame(0x0A, 4), -2}, {CommandFrame(1), -4}, {CommandFrame(2), -6}};
  VelkaraSim_SetFault(0, "mcu_bad_checksum", 1);
  for (const Case& c : cases) {
    uint8_t reply[16] = {};
    ASSERT_EQ(VKL_I2C_ProtocolTrx(0, c.frame.data(), static_cast<uint16_t>(c.frame.size() - 4), reply, 14, 1, 100),
              c.expected);
    EXPECT_FALSE(RequestLineHigh());
  }
}

TEST_F(McuTest, LengthThatDisagreesWithTheHeadIsRefused) {
  auto frame = QueryFrame(0x0A, 4);
  frame[6] = 0x05;  // the body's copy of L
  uint8_t reply[12] = {};
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, reply, 12, 1, 100), -2);
}

TEST_F(McuTest, SilentControllerFailsTheHead) {
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  VelkaraSim_SetI2cNak(0, kSimBusMcu, kMcu7, 1);
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, reply, 12, 1, 100), -1);
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuTest, SweepVariantLogsItsTimeouts) {
  const auto folder = std::filesystem::temp_directory_path() / ("mcu_log_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  VKL_DebugMode(0);
  std::filesystem::current_path(previous);
  VelkaraSim_SetFault(0, "mcu_no_handshake", 1);
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  EXPECT_EQ(VKL_I2C_ProtocolTrx_Sweep_Config(0, frame.data(), 8, reply, 12, 1, 5), 0);
  std::ifstream log(folder / "Debug.log");
  const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find(",FAIL : VKL_MCU_CL_Sweep_Config// Timeout1\n"), std::string::npos) << text;
  std::filesystem::remove_all(folder);
}

TEST_F(McuTest, BoardIndexOutsideRangeSendsNothing) {
  const auto frame = QueryFrame(0x0A, 4);
  uint8_t reply[12] = {};
  for (int board : {-1, 4}) {
    EXPECT_EQ(VKL_I2C_ProtocolTrx(board, frame.data(), 8, reply, 12, 1, 100), 0);
    EXPECT_EQ(VKL_MCU_PWR_On_Off(board, 1), 0);
    EXPECT_EQ(VKL_MCU_NRST_Reset(board), 0);
    EXPECT_EQ(VKL_MCU_Busy_Check(board), 0);
  }
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, nullptr, 8, reply, 12, 1, 100), 0);
  EXPECT_EQ(VKL_I2C_ProtocolTrx(0, frame.data(), 8, nullptr, 12, 1, 100), 0);
  EXPECT_TRUE(McuWrites().empty());
}

TEST_F(McuTest, PowerAndPinExports) {
  EXPECT_EQ(VKL_MCU_Busy_Check(0), 1);
  EXPECT_EQ(VKL_MCU_I2C_Direction(0, 42, 1), 42);
  EXPECT_TRUE(RequestLineHigh());
  EXPECT_EQ(VKL_MCU_I2C_Direction_test(0, 7, 0), 7);
  EXPECT_FALSE(RequestLineHigh());
  ASSERT_EQ(VKL_MCU_PWR_On_Off(0, 0), 1);
  EXPECT_EQ(VelkaraSim_McuState(0), 0);
  EXPECT_FALSE(RequestLineHigh());
  // The reset line is an output after the pulse: making it one again changes nothing.
  ASSERT_EQ(VKL_MCU_PWR_On_Off(0, 1), 1);
  EXPECT_EQ(VKL_MCU_GPIO_Ready(0, 3), 0);
  EXPECT_EQ(VelkaraSim_DioDirection(0, 4) & (1u << 3), 0u);
  ASSERT_EQ(VKL_MCU_Busy_Check(0), 1);  // the ready line is an input now
  EXPECT_EQ(VKL_MCU_GPIO_Ready(0, 34), 1);  // bit 2, modulo 32
  EXPECT_EQ(VelkaraSim_DioDirection(0, 4) & (1u << 2), 0u);
}
