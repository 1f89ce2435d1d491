// The board's frames and the reduction of meter readings to one value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MeterReading.h"
#include "RelayFrame.h"

TEST(RelayFrameTest, FramesCarryTheBoardsChecksum) {
  struct Case {
    RelayFrame frame;
    RelayFrame expected;
  };
  const Case cases[] = {
      {RelaySwitchFrame(0, 0), {0x53, 0x41, 0x31, 0x61, 0xD9, 0x45}},
      {RelaySwitchReply(0, 0), {0x53, 0x42, 0x31, 0x61, 0xD8, 0x45}},
      {RelaySwitchFrame(7, 5), {0x53, 0x41, 0x38, 0x66, 0xCD, 0x45}},
      {RelayInitFrame(), {0x53, 0x41, 0x00, 0x00, 0x6B, 0x00}},
      {RelayVersionFrame(), {0x53, 0x40, 0xFF, 0xFF, 0x6E, 0x45}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.frame, c.expected);
}

TEST(MeterReadingTest, ReadingsReduceToOneValue) {
  struct Case {
    std::vector<float> readings;
    float value;
  };
  const Case cases[] = {
      {{1.0f, 1.2f, 0.8f, 1.1f, 0.9f}, 1.0f},
      {{500.0f, 510.0f, 490.0f}, 500.0f},
      {{1.0f, 3.0f}, 2.0f},
      {{4.0f}, 4.0f},
      {{}, 0.0f},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(ReduceReadings(c.readings), c.value) << c.readings.size();
}

TEST(MeterReadingTest, OverflowAndTextCountAsZero) {
  EXPECT_FLOAT_EQ(ParseMeterReading("1.25E+0\r\n"), 1.25f);
  EXPECT_FLOAT_EQ(ParseMeterReading("-9999.5"), -9999.5f);
  EXPECT_FLOAT_EQ(ParseMeterReading("9.9E37"), 0.0f);
  EXPECT_FLOAT_EQ(ParseMeterReading("-10000.5"), 0.0f);
  EXPECT_FLOAT_EQ(ParseMeterReading("ERR"), 0.0f);
}
