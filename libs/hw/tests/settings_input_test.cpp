// The settings grid's rows and values, the checks on typed register addresses and values, and the 8-bit
// conversion of grabbed frames.
#include <gtest/gtest.h>

#include <algorithm>

#include "frame_convert.h"
#include "i2c_input.h"
#include "spec_grid.h"

namespace {

const hw::SpecRow* Find(const std::vector<hw::SpecRow>& rows, const std::string& key) {
  const auto it = std::find_if(rows.begin(), rows.end(), [&](const hw::SpecRow& r) { return r.key == key; });
  return it == rows.end() ? nullptr : &*it;
}

TEST(SpecGrid, RowsShowValuesAsTheGridWritesThem) {
  hw::HwSettings s;
  s.slaveAddr = 0x36;
  s.muxSel = 0x10;
  s.dpSpeed[0] = 2.7f;
  const std::vector<hw::SpecRow> rows = hw::BuildSpecRows(s, 2, false);
  EXPECT_EQ(Find(rows, "HW_USB_ID"), nullptr);
  EXPECT_EQ(rows.front().key, "QRV_SENSOR_DATA_BIT");
  EXPECT_EQ(Find(rows, "QRV_SENSOR_SLAVEADDR")->value, "54");
  EXPECT_EQ(Find(rows, "HW_Mux_Sel")->value, "16");
  EXPECT_EQ(Find(rows, "QRV_SENSOR_I2CMODE")->value, "2");
  EXPECT_EQ(Find(rows, "QRV_SENSOR_DPSPEED")->value, "2.700000");
  EXPECT_EQ(Find(rows, "QRV_SENSOR_LANE_SELECT")->value, "11");
  EXPECT_EQ(Find(rows, "HW_PowerDelay8")->section, "QRV_HW");
  EXPECT_EQ(Find(rows, "QRV_SENSOR_DPLANE2"), nullptr);
  EXPECT_EQ(rows.back().key, "CRC_AVGFRAME");
  // Groups: sensor, sizes, on, off, offset, order, clock and pins, volts, delays.
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const hw::SpecRow& r) { return r.section.empty(); }), 9);

  const std::vector<hw::SpecRow> oneBoard = hw::BuildSpecRows(s, 2, true);
  EXPECT_EQ(oneBoard[0].key, "HW_USB_ID");
  EXPECT_TRUE(oneBoard[1].section.empty());
}

TEST(SpecGrid, OnlyTheListedKeysTakeFreeText) {
  EXPECT_TRUE(hw::IsFreeTextKey("HW_PowerPin4_Volt"));
  EXPECT_TRUE(hw::IsFreeTextKey("HW_PGMFREQ"));
  EXPECT_FALSE(hw::IsFreeTextKey("HW_PowerPin5_Volt"));
  EXPECT_FALSE(hw::IsFreeTextKey("QRV_SENSOR_LANE_SELECT"));
}

TEST(I2cInput, TypedFieldsMustFitTheBusOfTheMode) {
  struct Case {
    const char* text;
    unsigned long max;
    std::optional<int> value;
  };
  const Case cases[] = {{"36", 0x7F, 0x36}, {"0x36", 0x7F, 0x36}, {" 7f ", 0x7F, 0x7F}, {"80", 0x7F, std::nullopt},
                        {"", 0xFF, std::nullopt}, {"zz", 0xFF, std::nullopt}, {"12g", 0xFFFF, std::nullopt},
                        {"ffff", 0xFFFF, 0xFFFF}, {"10000", 0xFFFF, std::nullopt}, {"-1", 0xFF, std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(hw::ParseHexField(c.text, c.max), c.value) << c.text;
  EXPECT_EQ(hw::MaxI2cAddress(0), 0xFFu);
  EXPECT_EQ(hw::MaxI2cData(0), 0xFFu);
  EXPECT_EQ(hw::MaxI2cData(1), 0xFFFFu);
  EXPECT_EQ(hw::MaxI2cAddress(2), 0xFFFFu);
  EXPECT_EQ(hw::MaxI2cData(2), 0xFFu);
  EXPECT_EQ(hw::MaxI2cAddress(3), 0xFFFFu);
  EXPECT_EQ(hw::MaxI2cData(3), 0xFFFFu);
}

TEST(FrameConvert, EightBitSamplesByLayout) {
  // Two samples per layout: 0x2A7 and 0x155 (10-bit), as each layout carries them.
  struct Case {
    const char* name;
    hw::FrameLayout layout;
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> eight;
  };
  const Case cases[] = {
      {"10-bit words", {false, 10}, {0xA7, 0x02, 0x55, 0x01}, {0xA9, 0x55}},
      {"12-bit words", {false, 12}, {0x9C, 0x0A, 0x54, 0x05}, {0xA9, 0x55}},
      {"16-bit words", {false, 16}, {0x00, 0xA9, 0x00, 0x55}, {0xA9, 0x55}},
      {"8-bit bytes", {false, 8}, {0xA9, 0x55}, {0xA9, 0x55}},
      {"CRC bytes", {true, 1}, {0xA9, 0x55, 0, 0}, {0xA9, 0x55}},
      {"CRC RAW10", {true, 2}, {0xA9, 0x55, 0, 0, 0x13, 0, 0, 0}, {0xA9, 0x55}},
      {"CRC RAW12", {true, 3}, {0xA9, 0x55, 0x47, 0, 0, 0}, {0xA9, 0x55}},
      {"CRC words", {true, 4}, {0x00, 0xA9, 0x00, 0x55}, {0xA9, 0x55}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> eight(2, 0);
    ASSERT_TRUE(hw::ToEightBit(c.layout, c.raw.data(), c.raw.size(), eight.data(), 2, 1)) << c.name;
    EXPECT_EQ(eight, c.eight) << c.name;
  }
  std::vector<std::uint8_t> eight(2, 7);
  const std::uint8_t raw[4] = {};
  EXPECT_FALSE(hw::ToEightBit({false, 0}, raw, 4, eight.data(), 2, 1));  // no samples in this layout
  EXPECT_FALSE(hw::ToEightBit({false, 10}, raw, 3, eight.data(), 2, 1));  // frame too small
  EXPECT_EQ(eight, std::vector<std::uint8_t>(2, 7));
}

}  // namespace
