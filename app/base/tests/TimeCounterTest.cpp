#include <gtest/gtest.h>

#include <chrono>
#include <cctype>

#include "TimeCounter.h"
#include "port/clock.h"

using namespace std::chrono_literals;

namespace {

TEST(TimeCounterTest, ElapsedIsTruncatedToWholeMillisecondsAndSummed) {
  const port::clock::VirtualTimeScope virtualTime;
  CTimeCounter counter;
  counter.SetTimeStamp();
  counter.Start();
  port::clock::Advance(12750us);
  EXPECT_EQ(counter.GetElapsedText(), "12");
  EXPECT_NEAR(counter.GetSumElapsed(), 12.75f, 1e-3f);

  port::clock::Advance(1500us);
  EXPECT_EQ(counter.GetElapsedText(), "14");
  EXPECT_NEAR(counter.GetSumElapsed(), 12.75f + 14.25f, 1e-3f);
  EXPECT_EQ(counter.GetRunCount(), 1u);

  counter.SetTimeStamp();
  EXPECT_EQ(counter.GetSumElapsed(), 0.0f);
  counter.Start();
  port::clock::SleepMs(999);
  EXPECT_EQ(counter.GetElapsedText(), "999");
  EXPECT_EQ(counter.GetRunCount(), 2u);
}

TEST(TimeCounterTest, ConstructionStartsTheWatch) {
  const port::clock::VirtualTimeScope virtualTime;
  CTimeCounter counter;
  port::clock::Advance(3ms);
  EXPECT_EQ(counter.GetElapsedText(), "3");
  EXPECT_EQ(counter.GetRunCount(), 0u);
  EXPECT_EQ(counter.GetTimeStamp(), "");
}

TEST(TimeCounterTest, TimeStampHasMilliseconds) {
  CTimeCounter counter;
  counter.SetTimeStamp();
  const std::string stamp = counter.GetTimeStamp();
  const std::string shape = "dddd/dd/dd dd:dd:dd:ddd";
  ASSERT_EQ(stamp.size(), shape.size()) << stamp;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    EXPECT_EQ(shape[i] == 'd', std::isdigit(static_cast<unsigned char>(stamp[i])) != 0) << stamp;
  }
}

}  // namespace
