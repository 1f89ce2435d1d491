#include "clock_request.h"

#include <gtest/gtest.h>

namespace protocol {
namespace {

TEST(ClockAnswer, AnswersEachOutcomeWithTheTimeAsReceived) {
  port::clock::LocalTime seen{};
  int calls = 0;
  auto setter = [&](ClockResult result) {
    return [&, result](const port::clock::LocalTime& t) {
      seen = t;
      ++calls;
      return result;
    };
  };
  EXPECT_EQ(ClockAnswer("2024010212345", setter(ClockResult::Ok)), "@RET=0@MSG=LENGTH_FAIL@TIME=2024010212345");
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ClockAnswer("20240102123456789", setter(ClockResult::Ok)), "@RET=1@MSG=OK@TIME=20240102123456789");
  EXPECT_EQ(seen.year, 2024);
  EXPECT_EQ(seen.month, 1);
  EXPECT_EQ(seen.day, 2);
  EXPECT_EQ(seen.hour, 12);
  EXPECT_EQ(seen.minute, 34);
  EXPECT_EQ(seen.second, 56);
  EXPECT_EQ(seen.millisecond, 789);
  EXPECT_EQ(ClockAnswer("20240102123456789", setter(ClockResult::NotPermitted)),
            "@RET=0@MSG=change_permissions_FAIL@TIME=20240102123456789");
  EXPECT_EQ(ClockAnswer("20240102123456789", setter(ClockResult::Failed)), "@RET=0@MSG=NG@TIME=20240102123456789");
  calls = 0;
  EXPECT_EQ(ClockAnswer("2024x102123456789", setter(ClockResult::Ok)), "@RET=0@MSG=NG@TIME=2024x102123456789");
  EXPECT_EQ(ClockAnswer("20241302123456789", setter(ClockResult::Ok)), "@RET=0@MSG=NG@TIME=20241302123456789");
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace protocol
