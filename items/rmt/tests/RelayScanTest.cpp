// The settings window's relay scan runs on a worker; deleting the item must end and join it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "RelayFrame.h"
#include "RmtFixture.h"
#include "RmtItem.h"
#include "port/clock.h"

namespace {

using RelayScanTest = RmtFixture;

TEST_F(RelayScanTest, AgingRepeatsTheGivenPasses) {
  ASSERT_TRUE(sim.ok());
  WriteTestIni({0, 3}, {1, 2});
  struct Case {
    bool aging;
    int count;
    int passes;
  };
  for (const Case c : {Case{true, 3, 3}, Case{true, 0, 0}, Case{false, 5, 1}}) {
    RmtItem item(record.get());
    ASSERT_EQ(item.CreateItemAndConnect(), 1);
    const std::size_t before = sim.RelayFrames().size();
    ASSERT_TRUE(item.StartJob(c.aging ? RmtItem::Job::kAgingScan : RmtItem::Job::kScan, c.count));
    item.WaitJob();
    EXPECT_EQ(item.ScanPasses(), c.passes) << c.count;
    // Per pass and channel: one initialisation and two switches, no version request and no reading.
    EXPECT_EQ(sim.RelayFrames().size() - before, static_cast<std::size_t>(6 * c.passes));
  }
  EXPECT_TRUE(sim.MeterLines().empty());
}

TEST_F(RelayScanTest, DeletingTheItemEndsAWaitingScan) {
  ASSERT_TRUE(sim.ok());
  WriteTestIni({0}, {0});
  auto item = std::make_unique<RmtItem>(record.get());
  ASSERT_EQ(item->CreateItemAndConnect(), 1);
  sim.SetRelaySilent(true);
  ASSERT_TRUE(item->StartJob(RmtItem::Job::kAgingScan, 1000));
  port::clock::SleepMs(100);
  const auto start = std::chrono::steady_clock::now();
  item.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
