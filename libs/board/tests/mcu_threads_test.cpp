#include <thread>

#include "mcu_fixture.h"

using McuThreads = BoardApi;

// Each board's controller answers with its own handle and sweep: any cross-talk between the two
// boards' transactions shows as a wrong value.
TEST_F(McuThreads, TwoBoardsRunTransactionsAtOnce) {
  for (int board : {0, 1}) {
    ASSERT_EQ(VKL_MCU_PWR_On_Off(board, 1), 1);
    const uint8_t handle[4] = {static_cast<uint8_t>(0x10 + board), 0, 0, 0};
    VelkaraSim_SetMcuReply(board, 0x10, 0x0A, handle, 4);
    VelkaraSim_SetMcuBusyMs(board, 1 + board);
  }
  auto work = [](int board, int* failures) {
    for (int round = 0; round < 10; ++round) {
      int32_t handle = 0;
      if (VKL_Get_System_Handle(board, &handle) != 1 || handle != 0x10 + board) ++*failures;
      std::vector<uint8_t> records(12 * 150);
      std::vector<int16_t> values(150);
      int32_t status = -1;
      if (VKL_MCU_CL_Sweep_Config(board, &status, 0, records.data(), values.data(), 0, 7, 0, 150, 150, 200) != 1) ++*failures;
      uint8_t expected[14] = {};
      VelkaraSim_McuSweepPoint(149, 7, expected);
      if (!std::equal(expected, expected + 12, records.begin() + 12 * 149)) ++*failures;
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
