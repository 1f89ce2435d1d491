#include <functional>
#include <thread>

#include "board_fixture.h"
#include "port/thread_site.h"

using ThreadsTest = BoardApi;

namespace {

constexpr int kRounds = 40;

}  // namespace

TEST_F(ThreadsTest, TwoThreadsOnTwoBoards) {
  PowerUp(0);
  PowerUp(1);
  auto work = [](int board, int* failures) {
    for (int i = 0; i < kRounds; ++i) {
      const uint8_t value = static_cast<uint8_t>(i);
      uint8_t back = 0;
      if (VKL_I2C_SYS_Write(board, 0x34, 2, 0x3000, 1, &value) != 1) ++*failures;
      if (VKL_I2C_SYS_Read(board, 0x34, 2, 0x3000, 1, &back) != 1 || back != value) ++*failures;
      if (VKL_GPIOWrite(board, i % 4, i & 1) != 1) ++*failures;
      float current = 0;
      if (VKL_DynamicMeasure(board, 0, 12, 1, &current) != 1) ++*failures;
    }
  };
  int failures[2] = {};
  std::thread a(work, 0, &failures[0]);
  std::thread b(work, 1, &failures[1]);
  a.join();
  b.join();
  EXPECT_EQ(failures[0], 0);
  EXPECT_EQ(failures[1], 0);
}

TEST_F(ThreadsTest, TwoThreadsSharingOneBoardNeverLoseAPin) {
  auto toggle = [](int first, int* failures) {
    for (int i = 0; i < kRounds; ++i) {
      for (int pin = first; pin < first + 2; ++pin) {
        if (VKL_GPIOWrite_Current(0, pin, (i + pin) & 1) != 1) ++*failures;
      }
    }
    for (int pin = first; pin < first + 2; ++pin) {
      if (VKL_GPIOWrite_Current(0, pin, 1) != 1) ++*failures;
    }
  };
  int failures[2] = {};
  std::thread a(toggle, 0, &failures[0]);
  std::thread b(toggle, 2, &failures[1]);
  a.join();
  b.join();
  EXPECT_EQ(failures[0] + failures[1], 0);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 2) & 0xF, 0xFu);
}

// Sites sharing a board each test the module on their own channel: one site powering its module down or
// ending its open/short test leaves the other's sensor bus open and its test running.
TEST_F(ThreadsTest, ASiteEndingItsModuleLeavesTheOtherSiteOfItsBoardWorking) {
  auto asSite = [](int site, const std::function<void()>& fn) {
    std::thread([&] {
      const port::ThreadSiteScope scope(site);
      fn();
    }).join();
  };
  const uint8_t value = 0x5A;
  for (const int site : {0, 4}) asSite(site, [] { PowerUp(0); });
  asSite(0, [&] {
    EXPECT_EQ(VKL_IOlevel_Set(0, 0.0f), 1);
    EXPECT_NE(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 1) << "site 0's bus closes with its IO level";
  });
  asSite(4, [&] {
    uint8_t back = 0;
    EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 1);
    EXPECT_EQ(VKL_I2C_SYS_Read(0, 0x34, 2, 0x3000, 1, &back), 1);
    EXPECT_EQ(back, value);
  });

  for (const int site : {0, 4}) asSite(site, [] { ASSERT_EQ(VKL_OSTest_StartM(0, 1, 1, 0), 1); });
  asSite(0, [] { EXPECT_EQ(VKL_OSTest_End(0), 1); });
  asSite(4, [] {
    float volts = 0;
    EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 3, &volts, 1), 1);
    EXPECT_EQ(VKL_OSTest_End(0), 1);
    VKL_Program_PowerOffAll(0);
  });
}
