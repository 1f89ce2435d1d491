#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "port/clock.h"
#include "port/event.h"

namespace {

using namespace std::chrono_literals;

// Polls a condition for up to ten seconds of real time (sanitizers on a loaded machine are slow).
template <typename Condition>
bool Eventually(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(EventTest, AutoResetReleasesOneWaiterPerSet) {
  port::Event event(port::Event::Reset::Auto);
  std::atomic<int> released{0};
  std::thread first([&] { event.Wait(5000) == port::WaitResult::Signaled && ++released; });
  std::thread second([&] { event.Wait(5000) == port::WaitResult::Signaled && ++released; });
  event.Set();
  ASSERT_TRUE(Eventually([&] { return released == 1; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(released, 1);
  EXPECT_FALSE(event.IsSet());
  event.Set();
  EXPECT_TRUE(Eventually([&] { return released == 2; }));
  first.join();
  second.join();
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
  port::Event event(port::Event::Reset::Manual, true);
  EXPECT_EQ(event.Wait(0), port::WaitResult::Signaled);
  EXPECT_EQ(event.Wait(0), port::WaitResult::Signaled);
  std::thread waiter([&] { EXPECT_EQ(event.Wait(port::kInfinite), port::WaitResult::Signaled); });
  waiter.join();
  event.ResetEvent();
  EXPECT_EQ(event.Wait(0), port::WaitResult::Timeout);
}

TEST(EventTest, RealTimeoutWaitsAtLeastItsTime) {
  port::Event event;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(event.Wait(30), port::WaitResult::Timeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST(EventTest, VirtualTimeoutReturnsAtOnceAndAdvancesTheClock) {
  const port::clock::VirtualTimeScope virtualTime;
  port::Event event;
  const auto realStart = std::chrono::steady_clock::now();
  const auto start = port::clock::Now();
  EXPECT_EQ(event.Wait(300000), port::WaitResult::Timeout);
  EXPECT_EQ(port::clock::Now() - start, 300s);
  port::clock::Sleep(5s);
  port::clock::BusyWait(1ms);
  EXPECT_EQ(port::clock::ElapsedMs(start), 305001);
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, 5s);

  // A waiter without a time-out still needs the event.
  std::thread setter([&] { event.Set(); });
  EXPECT_EQ(event.Wait(port::kInfinite), port::WaitResult::Signaled);
  setter.join();
}

TEST(ClockTest, VirtualTimeStartsFromRealTimeAndSleepsAreShared) {
  const auto before = port::clock::Now();
  {
    const port::clock::VirtualTimeScope virtualTime;
    EXPECT_GE(port::clock::Now(), before);
    const auto start = port::clock::Now();
    std::thread a([] { port::clock::SleepMs(100); });
    std::thread b([] { port::clock::SleepMs(200); });
    a.join();
    b.join();
    EXPECT_EQ(port::clock::ElapsedMs(start), 300);
  }
  EXPECT_FALSE(port::clock::IsVirtual());
  const auto local = port::clock::NowLocal();
  EXPECT_GE(local.year, 2024);
  EXPECT_LT(local.millisecond, 1000);
}

}  // namespace
