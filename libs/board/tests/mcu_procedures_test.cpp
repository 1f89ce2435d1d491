#include <cmath>
#include <functional>

#include "mcu_fixture.h"

using McuProcedures = McuTest;

TEST_F(McuProcedures, TemperatureWordsAreScaled) {
  SetWords(0x11, {1000, 8, 4});
  float temp = 0, a = 0, b = 0, ratio = 0;
  ASSERT_EQ(VKL_MCU_Quilmar_temperature_reads(0, &temp, &a, &b, &ratio, 100), 1);
  EXPECT_FLOAT_EQ(temp, 2.8f);
  EXPECT_FLOAT_EQ(a, 2.0f);
  EXPECT_FLOAT_EQ(b, 5.0f);
  EXPECT_FLOAT_EQ(ratio, 0.4f);
  SetWords(0x11, {0, 0, 0});
  ASSERT_EQ(VKL_MCU_Quilmar_temperature_reads(0, &temp, &a, &b, &ratio, 100), 1);
  EXPECT_FLOAT_EQ(temp, -60.0f);
}

TEST_F(McuProcedures, VoltagesCurrentsAndCoilResistances) {
  SetWords(0x12, {0xFFFF, 0xFFFF, 1000});
  SetWords(0x13, {100, 200, 300});
  double a = 0, b = 0, c = 0;
  ASSERT_EQ(VKL_MCU_Power_supply_voltage_check_at_Quilmar_pins(0, &a, &b, &c, 100), 1);
  EXPECT_NEAR(a, 0.44826, 1e-5);
  EXPECT_NEAR(b, 0.13448, 1e-5);
  EXPECT_NEAR(c, 1000 * 2.052e-6, 1e-12);
  ASSERT_EQ(VKL_MCU_output_current_measurement(0, &a, &b, &c, 100), 1);
  EXPECT_DOUBLE_EQ(a, 100 * 6.84e-6);
  EXPECT_DOUBLE_EQ(c, 300 * 2.052e-6);
  for (int id : {0x14, 0x1A}) {
    SetWords(id, {1000, 2000, 3000});
    double v[3] = {}, r[3] = {};
    const auto measure = id == 0x14 ? VKL_MCU_output_voltage_and_coil_resistance : VKL_MCU_Coil_Resistance_Measurement_Procedure;
    ASSERT_EQ(measure(0, &v[0], &v[1], &v[2], &r[0], &r[1], &r[2], 100), 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_DOUBLE_EQ(v[i], (i + 1) * 1000 * 2.052e-6);
      EXPECT_DOUBLE_EQ(r[i], v[i] / 0.0010009775171065);
    }
  }
}

TEST_F(McuProcedures, EmcouplingOrderAndCommandIds) {
  for (int type : {3, 7}) {
    const int id = type <= 5 ? 0x20 + type : 0x20;
    SetWords(id, {11, 22, 33, 44, 1000});
    int32_t a = 0, b = 0, c = 0;
    double d = 0, temp = 0;
    ASSERT_EQ(VKL_MCU_Emcoupling_hold_and_release(0, &a, &b, &c, &d, &temp, static_cast<uint8_t>(type), 100), 1);
    EXPECT_EQ(b, 11);
    EXPECT_EQ(c, 22);
    EXPECT_EQ(a, 33);
    EXPECT_EQ(d, 44.0);
    EXPECT_NEAR(temp, 2.8, 1e-9);
  }
  EXPECT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x27, nullptr, 0), -1);
}

TEST_F(McuProcedures, IdentityAndFourByteQueries) {
  const uint8_t handle[4] = {0x78, 0x56, 0x34, 0x12};
  VelkaraSim_SetMcuReply(0, 0x10, 0x0A, handle, 4);
  int32_t value = 0;
  ASSERT_EQ(VKL_Get_System_Handle(0, &value), 1);
  EXPECT_EQ(value, 0x12345678);
  uint16_t version = 0;
  ASSERT_EQ(VKL_Get_MCUVersion(0, &version, 0), 1);
  EXPECT_EQ(version, 0x0107);
  for (int test = 0; test <= 4; ++test) {
    const uint8_t data[4] = {static_cast<uint8_t>(test), 0, 0, 0};
    VelkaraSim_SetMcuReply(0, 0x10, 5 + test, data, 4);
    ASSERT_EQ(VKL_MCU_Basic_functional_I2C_communication(0, &value, static_cast<uint8_t>(test), 100), 1);
    EXPECT_EQ(value, test);
  }
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_MCU_Basic_functional_I2C_communication(0, &value, 5, 100), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
  const uint8_t active[4] = {1, 0, 0, 0};
  VelkaraSim_SetMcuReply(0, 0x10, 0x10, active, 4);
  ASSERT_EQ(VKL_MCU_Standby_to_Active_Transition(0, &value, 100), 1);
  EXPECT_EQ(value, 1);
}

TEST_F(McuProcedures, BulkReadsDeliverEveryByte) {
  struct Case {
    int group, id;
    size_t length;
    std::function<int32_t(uint8_t*)> run;
  };
  const Case cases[] = {
      {0xD0, 0xFE, 25000, [](uint8_t* out) { return VKL_Get_ConvData(0, out); }},
      {0x10, 0x30, 4500, [](uint8_t* out) { return VKL_MCU_APS_OIS_Noise_tests(0, out, 100); }},
      {0x10, 0x31, 120, [](uint8_t* out) { return VKL_MCU_AF_EMCC_Calibration(0, out, 0, 100); }},
      {0x10, 0x32, 120, [](uint8_t* out) { return VKL_MCU_AF_EMCC_Calibration(0, out, 2, 100); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> expected(c.length);
    for (size_t i = 0; i < c.length; ++i) expected[i] = static_cast<uint8_t>(i * 7 + c.id);
    VelkaraSim_SetMcuReply(0, c.group, c.id, expected.data(), static_cast<int>(expected.size()));
    std::vector<uint8_t> out(c.length);
    ASSERT_EQ(c.run(out.data()), 1) << c.id;
    EXPECT_EQ(out, expected) << c.id;
  }
}

TEST_F(McuProcedures, DriverSettingsReachTheController) {
  VelkaraSim_SetMcuStatus(0, 0x00C0FFEE);
  std::vector<uint8_t> config(128);
  for (size_t i = 0; i < config.size(); ++i) config[i] = static_cast<uint8_t>(255 - i);
  int32_t status = 0;
  ASSERT_EQ(VKL_MCU_CL_Driver_Set_Init(0, &status, config.data(), 100), 1);
  EXPECT_EQ(status, 0x00C0FFEE);
  std::vector<uint8_t> seen(200);
  ASSERT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x40, seen.data(), 200), 128);
  EXPECT_TRUE(std::equal(config.begin(), config.end(), seen.begin()));
  ASSERT_EQ(VKL_MCU_AF_CL_Driver_Set_Init(0, &status, config.data(), 100), 1);
  EXPECT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x50, nullptr, 0), 58);
  // No handshake: result 0 and the status stays as it was.
  VelkaraSim_SetFault(0, "mcu_no_handshake", 1);
  status = 5;
  EXPECT_EQ(VKL_MCU_CL_Driver_Set_Init(0, &status, config.data(), 20), 0);
  EXPECT_EQ(status, 5);
}

TEST_F(McuProcedures, FailedQueryLeavesZerosNotStaleValues) {
  SetWords(0x12, {1000, 1000, 1000});
  VelkaraSim_SetFault(0, "mcu_bad_checksum", 1);
  double a = 9, b = 9, c = 9;
  EXPECT_EQ(VKL_MCU_Power_supply_voltage_check_at_Quilmar_pins(0, &a, &b, &c, 100), -2);
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_EQ(c, 0.0);
}

TEST_F(McuProcedures, VersionWithPowerCycleLeavesTheModuleOff) {
  ASSERT_EQ(VKL_MCU_PWR_On_Off(0, 0), 1);
  uint16_t version = 0;
  ASSERT_EQ(VKL_Get_MCUVersion(0, &version, 1), 1);
  EXPECT_EQ(version, 0x0107);
  EXPECT_EQ(VelkaraSim_McuState(0), 0);
  EXPECT_EQ(VelkaraSim_IoLevelVolts(0), 0.0);
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuProcedures, NullOutputsAndBadBoardsSendNothing) {
  const int before = VelkaraSim_CommandCount(0);
  float f = 0;
  double d = 0;
  int32_t i = 0;
  EXPECT_EQ(VKL_Get_System_Handle(0, nullptr), 0);
  EXPECT_EQ(VKL_MCU_Quilmar_temperature_reads(0, &f, &f, nullptr, &f, 100), 0);
  EXPECT_EQ(VKL_MCU_output_voltage_and_coil_resistance(0, &d, &d, &d, &d, &d, nullptr, 100), 0);
  EXPECT_EQ(VKL_Get_ConvData(0, nullptr), 0);
  EXPECT_EQ(VKL_MCU_CL_Driver_Set_Init(0, &i, nullptr, 100), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
  EXPECT_EQ(VKL_Get_System_Handle(4, &i), 0);
  EXPECT_EQ(VKL_MCU_Standby_to_Active_Transition(-1, &i, 100), 0);
}
