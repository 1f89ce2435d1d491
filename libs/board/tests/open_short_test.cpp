#include <cmath>

#include "board_fixture.h"

namespace {

constexpr int kOsBusDac = 0x40 >> 1;
constexpr int kOsBusCalibrated = 0x58 >> 1;

class OpenShortTest : public BoardApi {
 protected:
  void TearDown() override {
    VKL_OSTest_End(0);
    VKL_LeakageTest_End(0);
    BoardApi::TearDown();
  }
  static std::vector<std::vector<uint8_t>> WritesTo(int address7) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& e : Events(kSimEventI2cWrite, kSimBusOs)) {
      if (e.address == address7) out.push_back(Bytes(e));
    }
    return out;
  }
  static float Measure(int pin, float volts, int settleMs = 1) {
    float v = -99;
    EXPECT_EQ(VKL_OSTest_UnitPinM(0, pin, volts, 3, &v, settleMs), 1) << "pin " << pin;
    return v;
  }
};

TEST_F(OpenShortTest, GoodModuleShowsEveryPinsDiode) {
  ASSERT_EQ(VKL_OSTest_StartM(0, 1, 1, 0), 1);  // positive, plain source
  for (int pin = 1; pin <= 27; ++pin) {
    const float v = Measure(pin, 2.0f);
    EXPECT_GT(v, 0.55f) << pin;
    EXPECT_LT(v, 0.8f) << pin;
  }
  EXPECT_EQ(VKL_OSTest_End(0), 1);
}

TEST_F(OpenShortTest, ShortedAndOpenPinsStandOut) {
  VelkaraSim_SetFaults("open_pins=5;short_pins=9");
  ASSERT_EQ(VKL_OSTest_StartM(0, 0, 0, 1), 1);  // negative, calibrated source: results negated
  EXPECT_FLOAT_EQ(Measure(5, 2.0f), -1.8f) << "open: the source's full voltage, reported as the 1.8 V cap";
  EXPECT_GT(Measure(9, 2.0f), -0.05f) << "short: near ground";
  const float good = Measure(10, 2.0f);
  EXPECT_LT(good, -0.55f);
  EXPECT_GT(good, -0.8f);
}

TEST_F(OpenShortTest, RelayPatternsFollowModeAndPin) {
  ASSERT_EQ(VKL_OSTest_StartM(0, 0, 1, 1), 1);  // mode 3, relays released after each reading
  VelkaraSim_ClearEvents();
  Measure(10, 1.0f);
  const auto guard = WritesTo(0x4E >> 1);
  const auto pins = WritesTo(0x44 >> 1);
  EXPECT_EQ(guard.back(), (std::vector<uint8_t>{0x88, 0xFF, 0xFD, 0xFF, 0xF7, 0xA2}));
  ASSERT_GE(pins.size(), 3u);
  EXPECT_EQ(pins[1], (std::vector<uint8_t>{0x88, 0x00, 0x02, 0x00, 0x00, 0x00}));
  EXPECT_EQ(pins.back(), (std::vector<uint8_t>{0x88, 0, 0, 0, 0, 0})) << "released after the reading";

  ASSERT_EQ(VKL_OSTest_StartM(0, 1, 1, 0), 1);  // mode 4: every pin but the measured one
  VelkaraSim_ClearEvents();
  Measure(1, 1.0f);
  EXPECT_EQ(WritesTo(0x44 >> 1).back(), (std::vector<uint8_t>{0x88, 0xFE, 0xFF, 0xFF, 0x0F, 0x00}));
  EXPECT_EQ(WritesTo(0x4E >> 1).back(), (std::vector<uint8_t>{0x88, 0, 0, 0, 0, 0xA1}));
}

TEST_F(OpenShortTest, CalibratedSourceCodes) {
  struct Case {
    double polynomial;
    int code;
  };
  for (const Case& c : {Case{500.0, 0}, Case{400.0, 0}, Case{500.0 + 12.5 * 9.803921699523926, 13},
                        Case{500.0 + 12.4 * 9.803921699523926, 12}, Case{3000.0, 255}, Case{1e300, 255}}) {
    const double coefficients[4] = {0.0, 0.0, 0.0, c.polynomial};
    VelkaraSim_SetOsCalibration(0, coefficients);
    ASSERT_EQ(VKL_OSTest_StartM(0, 1, 0, 0), 1);
    VelkaraSim_ClearEvents();
    Measure(3, 1.0f);
    const auto writes = WritesTo(kOsBusCalibrated);
    ASSERT_EQ(writes.size(), 1u) << c.polynomial;
    EXPECT_EQ(writes[0], (std::vector<uint8_t>{0x00, static_cast<uint8_t>(c.code)})) << c.polynomial;
  }
}

TEST_F(OpenShortTest, SourceIsProgrammedOnlyWhenItsMagnitudeChanges) {
  ASSERT_EQ(VKL_OSTest_StartM(0, 0, 1, 0), 1);  // mode 3: plain source, negated
  VelkaraSim_ClearEvents();
  const float first = Measure(4, 1.5f);
  const float second = Measure(4, -1.5f);
  EXPECT_EQ(WritesTo(kOsBusDac).size(), 1u);
  EXPECT_EQ(WritesTo(kOsBusDac)[0], (std::vector<uint8_t>{0x00, 0xD1, 0x01}));  // 1.5 V x 310 = 465
  EXPECT_LT(first, 0.0f);
  EXPECT_FLOAT_EQ(first, second);
}

TEST_F(OpenShortTest, SettleTimeIsClampedOnTheClock) {
  ASSERT_EQ(VKL_OSTest_StartM(0, 1, 1, 0), 1);
  Measure(2, 1.0f);
  auto start = port::clock::Now();
  Measure(2, 1.0f, 0);
  const int64_t shortest = port::clock::ElapsedMs(start);
  start = port::clock::Now();
  Measure(2, 1.0f, 5000);
  const int64_t longest = port::clock::ElapsedMs(start);
  EXPECT_GE(shortest, 1);
  EXPECT_NEAR(static_cast<double>(longest - shortest), 999.0, 2.0);
}

TEST_F(OpenShortTest, RefusalsAndFailures) {
  float v = 0;
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 1, &v, 1), -2) << "not started";
  EXPECT_EQ(VKL_OSTest_StartM(0, 2, 0, 0), -1);
  ASSERT_EQ(VKL_OSTest_StartM(0, 1, 1, 0), 1);
  EXPECT_EQ(VKL_OSTest_StartM(0, 1, 3, 0), -1);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 1, &v, 1), 1) << "a refused start leaves the board as it was";
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 28, 1.0f, 1, &v, 1), -1);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 101, &v, 1), -1);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 1, nullptr, 1), -1);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 3.5f, 1, &v, 1), -3);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 0, 1.0f, 1, &v, 1), 1) << "pin 0 measures with no pin selected";
  EXPECT_EQ(VKL_OSTest_StartM(4, 1, 1, 0), 0);

  VelkaraSim_SetFaults("adc_never_ready");
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 1, &v, 1), -5);
  VelkaraSim_SetFaults("os_eeprom_nak");
  EXPECT_EQ(VKL_OSTest_StartM(0, 0, 0, 0), -2);
  EXPECT_EQ(VKL_OSTest_UnitPinM(0, 1, 1.0f, 1, &v, 1), -2) << "a failed start leaves the board not started";
}

TEST_F(OpenShortTest, LeakagePerPinWithEverythingOff) {
  PowerUp(0);
  VelkaraSim_SetFaults("leaky_pins=12;short_pins=20;open_pins=21");
  ASSERT_EQ(VKL_LeakageTest_StartM(0), 1);
  EXPECT_EQ(VelkaraSim_SupplyVolts(0, 0), 0.0);
  EXPECT_EQ(VelkaraSim_IoLevelVolts(0), 0.0);
  std::vector<float> leakage(28, -1);
  for (int pin = 1; pin <= 27; ++pin) ASSERT_EQ(VKL_LeakageTest_UnitPinM(0, pin, 1.8f, 3, &leakage[pin]), 1) << pin;
  for (int pin = 2; pin <= 11; ++pin) EXPECT_GT(leakage[pin], leakage[pin - 1]) << "the module's pins leak a little more each";
  EXPECT_GT(leakage[1], 5.0f);
  EXPECT_LT(leakage[11], 30.0f);
  EXPECT_GT(leakage[12], 250.0f) << "leaky pin";
  EXPECT_GT(leakage[20], 10000.0f) << "shorted pin";
  EXPECT_EQ(leakage[21], 0.0f) << "open pin";
  EXPECT_EQ(VKL_LeakageTest_End(0), 1);
  EXPECT_EQ(WritesTo(kOsBusDac).back(), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(OpenShortTest, LeakageConversion) {
  struct Case {
    double countsPerVolt;
    float value;
  };
  ASSERT_EQ(VKL_LeakageTest_StartM(0), 1);
  for (const Case& c : {Case{50.0, 29.8f}, Case{100.0, 100.0f / (1.92f - 0.125f)}, Case{0.0, 0.0f}}) {
    VelkaraSim_SetPinLeakage(0, 3, c.countsPerVolt);
    float v = -1;
    ASSERT_EQ(VKL_LeakageTest_UnitPinM(0, 3, 1.0f, 1, &v), 1);
    EXPECT_NEAR(v, c.value, 0.01f) << c.countsPerVolt;
  }
}

TEST_F(OpenShortTest, LeakageRefusals) {
  float v = 0;
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 1, 1.0f, 1, &v), -2);
  ASSERT_EQ(VKL_LeakageTest_StartM(0), 1);
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 1, 1.0f, 0, &v), -1);
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 1, 1.0f, 1, nullptr), -1);
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 28, 1.0f, 1, &v), -1) << "no relay row beyond pin 27";
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 0, 1.0f, 1, &v), -1);
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 1, 5.0f, 1, &v), -3);
  EXPECT_EQ(VKL_LeakageTest_UnitPinM(0, 1, 5.0f, 1, &v), -3) << "a failed source is tried again, never skipped";
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
  EXPECT_EQ(VKL_LeakageTest_StartM(7), 0);
}

}  // namespace
