#include <thread>

#include "board_fixture.h"

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
