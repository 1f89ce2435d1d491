// The board leases between the sites' tests and the setup dialog.
#include "board_lease.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(BoardLeases, DialogAndSitesNeverHoldOneBoardTogether) {
  hw::BoardLeases leases;
  ASSERT_TRUE(leases.AcquireForSite(1, 0));
  ASSERT_TRUE(leases.AcquireForSite(1, 0));  // two sites on one board
  EXPECT_FALSE(leases.HoldForDialog(1));
  EXPECT_TRUE(leases.HoldForDialog(0));
  EXPECT_TRUE(leases.HoldForDialog(0));  // a play run and a panel operation
  EXPECT_FALSE(leases.AcquireForSite(0, 20));
  leases.ReleaseForDialog(0);
  EXPECT_FALSE(leases.AcquireForSite(0, 0));
  leases.ReleaseForDialog(0);
  EXPECT_TRUE(leases.AcquireForSite(0, 0));
  leases.ReleaseForSite(1);
  EXPECT_FALSE(leases.HoldForDialog(1));
  leases.ReleaseForSite(1);
  EXPECT_TRUE(leases.HoldForDialog(1));
  EXPECT_FALSE(leases.AcquireForSite(7, 0));
  EXPECT_FALSE(leases.HoldForDialog(-1));
}

TEST(BoardLeases, SiteStartWaitsForTheDialogToLetGo) {
  hw::BoardLeases leases;
  ASSERT_TRUE(leases.HoldForDialog(2));
  std::atomic<bool> acquired{false};
  std::thread site([&] { acquired = leases.AcquireForSite(2, 10000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(acquired.load());
  leases.ReleaseForDialog(2);
  site.join();
  EXPECT_TRUE(acquired.load());
  EXPECT_TRUE(leases.AnySiteHolds());
}

TEST(BoardLeases, LastSiteToEndRunsTheIdleCallbackOnce) {
  hw::BoardLeases leases;
  int idle = 0;
  leases.SetAllSitesIdle([&] { ++idle; });
  ASSERT_TRUE(leases.AcquireForSite(0, 0));
  ASSERT_TRUE(leases.AcquireForSite(3, 0));
  leases.ReleaseForSite(0);
  EXPECT_EQ(idle, 0);
  leases.ReleaseForSite(3);
  EXPECT_EQ(idle, 1);
  leases.ReleaseForSite(3);  // nothing held: no second call
  EXPECT_EQ(idle, 1);
}

}  // namespace
