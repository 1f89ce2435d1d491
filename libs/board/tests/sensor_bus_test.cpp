#include "board_fixture.h"

using SensorBusTest = BoardApi;

TEST_F(SensorBusTest, ClockProgramsTheSynthesiser) {
  struct Case {
    double mhz;
    std::vector<uint8_t> first, second;
  };
  const Case cases[] = {
      {24.0, {0x00, 0x23}, {0x05, 0x9E, 0x21, 0x52, 0x41, 0x08, 0x58, 0x00}},
      {26.0, {0x00, 0x22}, {0x05, 0x14, 0x02, 0x4D, 0x21, 0x08, 0x50, 0x00}},
      {0.5, {0x00, 0x22}, {0x05, 0x14, 0x02, 0x4D, 0x21, 0x08, 0x08, 0x32}},
  };
  for (const Case& c : cases) {
    VelkaraSim_ClearEvents();
    ASSERT_EQ(VKL_CLK_Set(0, c.mhz), 1);
    const auto writes = Events(kSimEventI2cWrite, kSimBusPll);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(Bytes(writes[0]), c.first) << c.mhz;
    EXPECT_EQ(Bytes(writes[1]), c.second) << c.mhz;
    EXPECT_NEAR(VelkaraSim_ClockMhz(0), c.mhz, 1e-6);
  }
  VelkaraSim_ClearEvents();
  ASSERT_EQ(VKL_CLK_Off(0, 7), 1);
  EXPECT_TRUE(Events(kSimEventI2cWrite, kSimBusPll).empty());
  EXPECT_EQ(VelkaraSim_ClockMhz(0), 0.0);
}

TEST_F(SensorBusTest, IoLevelCodes) {
  for (const auto& [volts, code] : {std::pair{1.0f, 651}, {1.2f, 603}, {1.8f, 460}, {2.8f, 222}, {3.3f, 103}}) {
    VelkaraSim_ClearEvents();
    ASSERT_EQ(VKL_IOlevel_Set(0, volts), 1);
    const auto writes = Events(kSimEventI2cWrite, kSimBusDac);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(Bytes(writes[0]), (std::vector<uint8_t>{static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8)}));
  }
  VelkaraSim_ClearEvents();
  ASSERT_EQ(VKL_IOlevel_Set(0, 3.4f), 1);
  EXPECT_TRUE(Events(kSimEventI2cWrite, kSimBusDac).empty());
  EXPECT_EQ(VelkaraSim_IoLevelVolts(0), 0.0);
}

TEST_F(SensorBusTest, SensorAtItsAddressAnswers) {
  VelkaraSim_SetSensorAddress(-1, 0x1A);
  PowerUp(0);
  const uint8_t value[2] = {0x12, 0x34};
  ASSERT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 2, value), 1);
  EXPECT_EQ(VelkaraSim_SensorRegister(0, 0x3001), 0x34);
  uint8_t back[2] = {};
  ASSERT_EQ(VKL_I2C_SYS_Read(0, 0x34, 2, 0x3000, 2, back), 1);
  EXPECT_EQ(back[0], 0x12);
  EXPECT_EQ(back[1], 0x34);
  // Another address finds nobody.
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x36, 2, 0x3000, 2, value), 0);
  // Streaming is the sensor's register 0x0100.
  const uint8_t off = 0;
  ASSERT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x0100, 1, &off), 1);
  EXPECT_EQ(VelkaraSim_SensorStreaming(0), 0);
}

TEST_F(SensorBusTest, SensorThatDoesNotAcknowledge) {
  PowerUp(0);
  VelkaraSim_SetFaults("sensor_nak=0");
  const uint8_t value = 1;
  uint8_t back = 0xEE;
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 0);
  EXPECT_EQ(VKL_I2C_SYS_Read(0, 0x34, 2, 0x3000, 1, &back), 0);
  EXPECT_EQ(back, 0xEE);
}

TEST_F(SensorBusTest, UnpoweredModuleDoesNotAnswer) {
  ASSERT_EQ(VKL_IOlevel_Set(0, 1.8f), 1);
  const uint8_t value = 1;
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 0);
}

TEST_F(SensorBusTest, IoLevelGateIsKeptPerBoard) {
  PowerUp(0);
  PowerUp(1);
  ASSERT_EQ(VKL_IOlevel_Set(1, 0.0f), 1);
  const int before = VelkaraSim_CommandCount(1);
  const uint8_t value = 1;
  EXPECT_EQ(VKL_I2C_SYS_Write(1, 0x34, 2, 0x3000, 1, &value), 0);
  EXPECT_EQ(VKL_BRAM_Write(1, 1, &value), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(1), before);
  // Board 0's level is still on, so its bus still works.
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 1);
}

TEST_F(SensorBusTest, TemperaturesAndDates) {
  double fpga = 0, sfp = 0;
  ASSERT_EQ(VKL_GetTemp(0, &fpga, &sfp), 1);
  EXPECT_NEAR(fpga, 45.5, 1e-4);
  EXPECT_DOUBLE_EQ(sfp, 38.5);
  uint32_t rx = 0, tx = 0;
  ASSERT_EQ(VKL_FW_GetDate(0, &rx, &tx), 1);
  EXPECT_EQ(tx >> 28, 1u);
  VelkaraSim_SetFault(0, "mailbox_timeout", 1);
  const auto start = port::clock::Now();
  EXPECT_EQ(VKL_FW_GetDate(0, &rx, &tx), 0);
  EXPECT_EQ(tx, 6u);
  EXPECT_GE(port::clock::ElapsedMs(start), 500);  // five pauses between six readings
}

TEST_F(SensorBusTest, AFailedEnablePinStillSetsTheGateToTheRequestedLevel) {
  PowerUp(0);
  const uint8_t value = 1;
  VelkaraSim_SetFault(0, "dio_timeout", 1);
  ASSERT_EQ(VKL_IOlevel_Set(0, 0.0f), 0);
  VelkaraSim_SetFault(0, "dio_timeout", 0);
  // Off was asked for: the bus stays shut although the pin did not follow.
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);

  VelkaraSim_SetFault(0, "dio_timeout", 1);
  ASSERT_EQ(VKL_IOlevel_Set(0, 1.8f), 0);
  VelkaraSim_SetFault(0, "dio_timeout", 0);
  // On was asked for: the gate opens, so the next call reaches the board.
  VKL_I2C_SYS_Write(0, 0x34, 2, 0x3000, 1, &value);
  EXPECT_GT(VelkaraSim_CommandCount(0), before);
}
