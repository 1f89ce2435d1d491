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
                                                 "0123456789012345678901234567890"}));

}  // namespace
}  // namespace protocol
