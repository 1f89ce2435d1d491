#include "board_fixture.h"

using PinsTest = BoardApi;

TEST_F(PinsTest, WriteAndReadBackThroughTheSharedPin) {
  ASSERT_EQ(VKL_GPIOWrite(0, 2, 5), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 4), 1u << 2);
  uint32_t level = 9;
  // Reading turns the pin into an input: the module's level counts then.
  VelkaraSim_SetDioInputs(0, 4, 0);
  ASSERT_EQ(VKL_GPIORead(0, 2, &level), 1);
  EXPECT_EQ(level, 0u);
  EXPECT_EQ(VelkaraSim_DioDirection(0, 4), 1u << 2);
  VelkaraSim_SetDioInputs(0, 4, 1u << 2);
  ASSERT_EQ(VKL_GPIORead(0, 2, &level), 1);
  EXPECT_EQ(level, 1u);
  // The next write makes it an output again.
  ASSERT_EQ(VKL_GPIOWrite(0, 2, 0), 1);
  EXPECT_EQ(VelkaraSim_DioDirection(0, 4), 0u);
  ASSERT_EQ(VKL_GPIORead_Current(0, 3, &level), 1);
}

TEST_F(PinsTest, ReadModifyWriteKeepsTheOtherPins) {
  for (int i : {0, 1, 2, 4, 5, 15}) ASSERT_EQ(VKL_GPIOWrite_Current(0, i, 1), 1);
  ASSERT_EQ(VKL_GPIOWrite_Current(0, 3, 1), 1);
  ASSERT_EQ(VKL_GPIOWrite_Current(0, 1, 0), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 2), 0b1000000000111101u);
  EXPECT_EQ(VelkaraSim_DioLatch(1, 2), 0u);
}

TEST_F(PinsTest, IndexesPastTheFamiliesAreRefused) {
  const int before = VelkaraSim_CommandCount(0);
  uint32_t level = 0;
  EXPECT_EQ(VKL_GPIOWrite(0, 17, 1), -1);
  EXPECT_EQ(VKL_GPIOWrite(0, -1, 1), -1);
  EXPECT_EQ(VKL_GPIORead(0, 17, &level), -1);
  EXPECT_EQ(VKL_GPIOWrite_Current(0, 16, 1), -1);
  EXPECT_EQ(VKL_GPIORead_Current(0, 16, &level), -1);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
  // Within 0 to 16 an index runs on into the next family.
  ASSERT_EQ(VKL_GPIOWrite_OS(0, 8, 1), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 2), 1u);
  ASSERT_EQ(VKL_GPIOWrite(0, 8, 1), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 4), 1u << 4);
}

TEST_F(PinsTest, FixedPinsOfBankOne) {
  ASSERT_EQ(VKL_SEN_EnablePin(0, 1), 1);
  ASSERT_EQ(VKL_SEN_ResetPin(0, 7), 1);
  ASSERT_EQ(VKL_SEN_ExtPower(0, 1), 1);
  ASSERT_EQ(VKL_BoardReset(0), 1);
  ASSERT_EQ(VKL_GPIOWrite_SN(0, 1), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 1), (1u << 0) | (1u << 1) | (1u << 8) | (1u << 9) | (1u << 12));
  ASSERT_EQ(VKL_SEN_ResetPin(0, 0), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 1) & 2u, 0u);
}

TEST_F(PinsTest, ReadThatTimesOutFailsInsteadOfWritingGarbageBack) {
  ASSERT_EQ(VKL_GPIOWrite(0, 0, 1), 1);
  VelkaraSim_SetFault(0, "dio_timeout", 1);
  uint32_t level = 5;
  EXPECT_EQ(VKL_GPIORead(0, 1, &level), 0);
  EXPECT_EQ(level, 5u);
  EXPECT_EQ(VKL_GPIOWrite(0, 3, 1), 0);
  VelkaraSim_SetFault(0, "dio_timeout", 0);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 4), 1u);
}

TEST_F(PinsTest, BoardIndexOutsideRangeIsRefused) {
  uint32_t level = 0;
  for (int board : {-1, 4}) {
    EXPECT_EQ(VKL_GPIOWrite(board, 0, 1), 0);
    EXPECT_EQ(VKL_GPIORead(board, 0, &level), 0);
    EXPECT_EQ(VKL_IOlevel_Set(board, 1.8f), 0);
    int32_t w = 0, h = 0;
    EXPECT_EQ(VKL_LVDS_GetResolution(board, &w, &h), 0);
    EXPECT_EQ(VKL_DP_Init(board, 2.7f, 4, 10, 0x0123), 0);
    EXPECT_EQ(VKL_Program_PowerSetM(board, 0, 1.0f), 0);
  }
}
