#include <filesystem>

#include "board_fixture.h"
#include "qrv_test/file_text.h"

class TraceTest : public BoardApi {
 protected:
  void SetUp() override {
    BoardApi::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("board_trace_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    VKL_DebugMode(0);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
    BoardApi::TearDown();
  }
  std::string Log() const {
    return qrv::test::ReadFile((folder_ / "Debug.log").string());
  }
  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

TEST_F(TraceTest, GatedExportsAreSilentWhileTheOtherExportsTrace) {
  ASSERT_EQ(VKL_DebugMode(1), 1);
  const uint8_t value = 0xA5;
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 0);
  EXPECT_EQ(VKL_I2C_SYS_Reset(0), 1);
  const std::string log = Log();
  EXPECT_EQ(log.find("VKL_I2C_SYS_Write"), std::string::npos);
  EXPECT_NE(log.find("ms] VKL_I2C_SYS_Reset(0) = 1\n"), std::string::npos) << log;
  EXPECT_NE(log.find(",[PWR DLL]["), std::string::npos);
}

TEST_F(TraceTest, TransfersShowTheirBytes) {
  PowerUp(0);
  ASSERT_EQ(VKL_DebugMode(1), 1);
  const uint8_t value[2] = {0x12, 0xAB};
  ASSERT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 2, value), 1);
  ASSERT_EQ(VKL_DebugMode(0), 1);
  ASSERT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3002, 2, value), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("VKL_I2C_SYS_Write(0, 34, 2, 3000, 2, 12AB) = 1"), std::string::npos) << log;
  EXPECT_EQ(log.find("3002"), std::string::npos);
}

TEST_F(TraceTest, VersionWordsOfBothLibraries) {
  uint16_t v[4] = {};
  ASSERT_EQ(VKL_Power_GetDllVersion(&v[0], &v[1], &v[2], &v[3]), 1);
  EXPECT_EQ(v[0], 2024);
  EXPECT_EQ(v[1], 1);
  EXPECT_EQ(v[2], 4);
  EXPECT_EQ(v[3], 1);
  EXPECT_EQ(VKL_Logic_GetDllVersion(&v[0], &v[1], &v[2], &v[3]), 1);
}
