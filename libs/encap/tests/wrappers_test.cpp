// The facade's wrappers, linked into this test with the fake board library beside the test program.
#include <gtest/gtest.h>

#include <filesystem>

#include "EncapsulationTable.h"
#include "encapsulation_log.h"
#include "fake_board_control.h"
#include "port/clock.h"
#include "port/module.h"
#include "qrv_test/file_text.h"

extern "C" {
#define DECLARE_WRAPPER(facade, board, logId, required) std::remove_pointer_t<Fn_##board> facade;
QRV_ENCAP_WRAPPERS(DECLARE_WRAPPER)
#undef DECLARE_WRAPPER
void OnInit();
}

namespace {

namespace fs = std::filesystem;

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts from the fake's defaults: results set by an earlier test would leak into it.
    board_.Clear();
    folder_ = fs::temp_directory_path() / ("encap_wrappers_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    encap::TheLog().SetFolder(folder_.string());
    encap::TheLog().SetLevel(encap::LogLevel::Info);
  }
  void TearDown() override {
    encap::TheLog().SetLevel(encap::LogLevel::None);
    fs::remove_all(folder_);
  }

  std::string DayText(int id) const {
    const auto t = port::clock::NowLocal();
    return qrv::test::ReadFile(encap::TheLog().DayFile(id, t.year, t.month, t.day));
  }

  fs::path folder_;
  encap_test::FakeBoardControl board_{port::ProgramFolder() + "/V6_Velkara_x64.dll"};
};

TEST_F(WrapperTest, ForwardsArgumentsAndResultUnchanged) {
  ASSERT_TRUE(board_.Loaded());
  board_.SetResult("VKL_Program_PowerSetM", -2);
  EXPECT_EQ(Program_PowerSetM(3, 7, 1.8f), -2);
  EXPECT_EQ(board_.LastCall(), "VKL_Program_PowerSetM(3,7,1.8)");
  board_.SetResult("VKL_CLK_Set", 1);
  EXPECT_EQ(CLK_Set(1, 24.5), 1);
  EXPECT_EQ(board_.LastCall(), "VKL_CLK_Set(1,24.5)");
  EXPECT_EQ(MCU_I2C_Dir_EX(2, 5, 1), 1);
  EXPECT_EQ(board_.LastCall(), "VKL_MCU_I2C_Direction(2,5,1)");
}

TEST_F(WrapperTest, WritesTwoLinesToTheFileOfTheRightId) {
  struct Case {
    std::function<void()> call;
    int id;
    std::string name;
  };
  board_.SetResult("VKL_GPIOWrite", -2);
  const uint16_t words[2] = {1, 2};
  const std::vector<Case> cases = {
      {[] { GPIOWrite(2, 1, 1); }, 2, "GPIOWrite"},
      {[&] { CalcCRC32(2, words); }, 0, "CalcCRC32"},
      {[] { MCU_GPIO_Ready(1, 5); }, 5, "MCU_GPIO_Ready"},
      {[] { OpenDevice(); }, 0, "OpenDevice"},
  };
  for (const Case& c : cases) c.call();
  EXPECT_NE(DayText(2).find("] GPIOWrite :: \r\n"), std::string::npos);
  EXPECT_NE(DayText(2).find("] GPIOWrite :: Ret=-2 \r\n"), std::string::npos);
  for (const Case& c : cases) {
    const std::string text = DayText(c.id);
    EXPECT_NE(text.find("] " + c.name + " :: \r\n"), std::string::npos) << c.name;
    EXPECT_NE(text.find("] " + c.name + " :: Ret="), std::string::npos) << c.name;
  }
  EXPECT_EQ(DayText(1), "");
}

TEST_F(WrapperTest, LevelNoneWritesNothing) {
  encap::TheLog().SetLevel(encap::LogLevel::None);
  EXPECT_EQ(GPIOWrite(0, 1, 1), 1);
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(WrapperTest, LinesAreStamped) {
  LVDS_Init(3);
  const std::string text = DayText(3);
  ASSERT_GE(text.size(), 26u);
  // "[yyyy/mm/dd hh:mm:ss:mmm] "
  EXPECT_EQ(text[0], '[');
  EXPECT_EQ(text[5], '/');
  EXPECT_EQ(text[11], ' ');
  EXPECT_EQ(text[20], ':');
  EXPECT_EQ(text[24], ']');
}

}  // namespace
