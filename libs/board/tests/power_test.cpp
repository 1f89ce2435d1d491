#include <cmath>

#include "board_fixture.h"

using PowerTest = BoardApi;

TEST_F(PowerTest, SupplyCodesReachTheDac) {
  struct Case {
    int channel;
    float volts;
    uint16_t code;
  };
  for (const Case& c : {Case{0, 2.8f, 36896}, Case{0, 4.99f, 65535}, Case{0, 5.0f, 65535}, Case{6, 3.3f, 28966},
                        Case{6, 7.0f, 61296}, Case{1, 0.1f, 1507}, Case{2, 0.05f, 0}, Case{3, 0.0f, 0}}) {
    VelkaraSim_ClearEvents();
    ASSERT_EQ(VKL_Program_PowerSetM(0, c.channel, c.volts), 1);
    const auto writes = Events(kSimEventI2cWrite, kSimBusPwr);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(Bytes(writes[0]), (std::vector<uint8_t>{static_cast<uint8_t>(0x30 + c.channel),
                                                      static_cast<uint8_t>(c.code >> 8), static_cast<uint8_t>(c.code)}))
        << c.channel << " " << c.volts;
  }
}

TEST_F(PowerTest, BadChannelOrVoltageIsRefusedWithoutTraffic) {
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_Program_PowerSetM(0, 8, 1.0f), -1);
  EXPECT_EQ(VKL_Program_PowerSetM(0, -1, 1.0f), -1);
  EXPECT_EQ(VKL_Program_PowerSetM(0, 0, 5.01f), -1);
  EXPECT_EQ(VKL_Program_PowerSetM(0, 7, 7.5f), -1);
  EXPECT_EQ(VKL_Program_PowerSetM(0, 0, NAN), -1);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
}

TEST_F(PowerTest, PowerOnAndOffAreRecordedInOrderWithTimes) {
  VelkaraSim_ClearEvents();
  PowerUp(0);
  pSleep(5);
  ASSERT_EQ(VKL_Program_PowerOffAll(0), 1);
  const auto supplies = Events(kSimEventSupply);
  ASSERT_GE(supplies.size(), 4u);
  EXPECT_EQ(supplies[0].channel, 0);
  EXPECT_NEAR(supplies[0].value, 2.815, 0.001);
  EXPECT_EQ(supplies[1].channel, 1);
  EXPECT_EQ(supplies[2].channel, 0);
  EXPECT_EQ(supplies[2].value, 0.0);
  EXPECT_GE(supplies[2].timeNs - supplies[1].timeNs, 5'000'000);
  const auto levels = Events(kSimEventIoLevel);
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_NEAR(levels[0].value, 1.8, 0.01);
  EXPECT_EQ(levels[1].value, 0.0);
  EXPECT_EQ(VelkaraSim_IoLevelVolts(0), 0.0);
}

TEST_F(PowerTest, MeasuresDynamicAndStandbyCurrents) {
  VelkaraSim_SetSupplyCurrent(0, 0, 150.0, 40.0);
  PowerUp(0);
  ASSERT_EQ(VKL_CurrentMeasure_Start(0, 0), 1);
  float current = -1;
  ASSERT_EQ(VKL_DynamicMeasure(0, 0, 12, 5, &current), 1);
  EXPECT_NEAR(current, 150.0, 0.05);
  // Channel 2 is off: its reading is the zero offset only.
  ASSERT_EQ(VKL_DynamicMeasure(0, 2, 12, 1, &current), 1);
  EXPECT_EQ(current, 0.0f);
  ASSERT_EQ(VKL_CurrentMeasure_Start(0, 1), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 2) & 0xFFFF, 0x00FFu);
  ASSERT_EQ(VKL_StandbyMeasure(0, 0, 30, 3, &current), 1);
  // 485 counts above the zero: below 500, so the low-range factor applies.
  EXPECT_NEAR(current, 485 * 0.0828288363615785, 1e-3);
  ASSERT_EQ(VKL_CurrentMeasure_End(0), 1);
  EXPECT_EQ(VelkaraSim_DioLatch(0, 2) & 0xFFFF, 0u);
}

TEST_F(PowerTest, MeasurementRefusesImpossibleSampleCounts) {
  float current = 7;
  EXPECT_EQ(VKL_DynamicMeasure(0, 0, 0, -1, &current), 0);
  EXPECT_EQ(VKL_DynamicMeasure(0, 0, 0, 501, &current), 0);
  EXPECT_EQ(VKL_DynamicMeasure(0, 0, 0, 0, &current), 1);
  EXPECT_EQ(current, 0.0f);
}

TEST_F(PowerTest, ConverterThatNeverFinishes) {
  PowerUp(0);
  VelkaraSim_SetFault(0, "adc_never_ready", 1);
  float current = 0;
  EXPECT_EQ(VKL_DynamicMeasure(0, 0, 0, 1, &current), -2);
  int32_t offsets[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  EXPECT_EQ(VKL_DynamicOffset(0, offsets, 0, 0, 0, 0, 0, 0, 0, 0, 1.8f, 0), -2);
  // The failing supply has no new offset, so the caller's value stays.
  EXPECT_EQ(offsets[0], 7);
  EXPECT_EQ(VKL_DynamicOffset(9, offsets, 0, 0, 0, 0, 0, 0, 0, 0, 1.8f, 0), -2) << "no such board: the switches fail";
  EXPECT_EQ(VKL_StandbyOffset(0, offsets, 0, 0, 0, 0, 0, 0, 0, 0, 1.8f, 0), 1);
  for (int32_t offset : offsets) EXPECT_EQ(offset, -1);
}

TEST_F(PowerTest, OffsetsWithPowerUpSettleAndPowerDown) {
  int32_t offsets[8] = {};
  const auto start = port::clock::Now();
  ASSERT_EQ(VKL_DynamicOffset(0, offsets, 2.8f, 1.2f, 0, 0, 0, 0, 0, 0, 1.8f, 1), 1);
  EXPECT_GE(port::clock::ElapsedMs(start), 1000);
  // With the supplies on, the dynamic converters see the module's current on top of their zero.
  EXPECT_GT(offsets[0], 12);
  EXPECT_EQ(offsets[2], 12);
  EXPECT_EQ(VelkaraSim_SupplyVolts(0, 0), 0.0);
  const int32_t enable[8] = {0, 0, 1, 0, 0, 0, 0, 0};
  const float volts[8] = {};
  ASSERT_EQ(VKL_StandbyOffset_Ex(0, offsets, enable, volts, 1.8f, 0), 1);
  EXPECT_EQ(offsets[0], 0);
  EXPECT_EQ(offsets[2], 30);
}
