#include "text_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace protocol {
namespace {

TEST(ParseInt, ReadsLikeTheLinkWritesAndNeverOverflows) {
  EXPECT_EQ(ParseInt("42"), 42);
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt(" 3x"), 3);
  EXPECT_EQ(ParseInt("abc"), 0);
  EXPECT_EQ(ParseInt(""), 0);
  EXPECT_EQ(ParseInt("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseInt("-99999999999999999999"), INT_MIN);
}

TEST(ParseFloat, ReadsInTheCLocale) {
  EXPECT_FLOAT_EQ(ParseFloat("1.500"), 1.5f);
  EXPECT_FLOAT_EQ(ParseFloat("-2"), -2.0f);
  EXPECT_FLOAT_EQ(ParseFloat("x"), 0.0f);
  EXPECT_FLOAT_EQ(ParseFloat("1e999"), 0.0f);
}

TEST(ParseDouble, ReadsInTheCLocale) {
  EXPECT_DOUBLE_EQ(ParseDouble("10.125"), 10.125);
  EXPECT_DOUBLE_EQ(ParseDouble("+2.5"), 2.5);
  EXPECT_DOUBLE_EQ(ParseDouble("-3.25\r\n"), -3.25);
  EXPECT_DOUBLE_EQ(ParseDouble("1,5"), 1.0);
  EXPECT_DOUBLE_EQ(ParseDouble("none"), 0.0);
}

struct PortCase {
  const char* text;
  std::optional<int> port;
};

class PortTextTable : public testing::TestWithParam<PortCase> {};

TEST_P(PortTextTable, OnlyAWholePortNumberIsAPort) { EXPECT_EQ(ParsePortText(GetParam().text), GetParam().port); }

INSTANTIATE_TEST_SUITE_P(
    Ports, PortTextTable,
    testing::Values(PortCase{"7701", 7701}, PortCase{"1", 1}, PortCase{"65535", 65535}, PortCase{"007701", 7701},
                    PortCase{"T", std::nullopt}, PortCase{"", std::nullopt}, PortCase{"0", std::nullopt},
                    PortCase{"65536", std::nullopt}, PortCase{"70000", std::nullopt},
                    PortCase{"4294967297", std::nullopt}, PortCase{"99999999999999999999", std::nullopt},
                    PortCase{"-1", std::nullopt}, PortCase{"+7701", std::nullopt}, PortCase{"77 01", std::nullopt},
                    PortCase{"7701x", std::nullopt}, PortCase{" 7701", std::nullopt}, PortCase{"0x1E15", std::nullopt}));

struct LotCase {
  const char* lot;
  const char* safe;
};

class SafeLotTable : public testing::TestWithParam<LotCase> {};

TEST_P(SafeLotTable, IsSafeAsAFileName) { EXPECT_EQ(SafeLotName(GetParam().lot), GetParam().safe); }

INSTANTIATE_TEST_SUITE_P(Lots, SafeLotTable,
                         testing::Values(LotCase{"LOT123", "LOT123"}, LotCase{"LOT123\r\n", "LOT123"},
                                         LotCase{"../../etc/passwd", ".._.._etc_passwd"}, LotCase{"..", "__"},
                                         LotCase{"a\\b:c*d?e", "a_b_c_d_e"}, LotCase{"tab\there", "tab_here"},
                                         LotCase{"0123456789012345678901234567890123456789",
                                                 "0123456789012345678901234567890123456789"},
                                         LotCase{"LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL",
                                                 "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"}));

}  // namespace
}  // namespace protocol
