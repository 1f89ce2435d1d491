// The board leases between the sites' tests and the setup dialog.
#include "board_lease.h"

#include <gtest/gtest.h>

#include <array>
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
  EXPECT_FALSE(leases.HoldForDialog(2));
}

// Each board runs its waiting action when its own sites are free, whatever the other boards do: with
// staggered sites there is never a moment when all boards are idle.
TEST(BoardLeases, WaitingActionRunsWhenTheBoardsOwnSitesAreFree) {
  hw::BoardLeases leases;
  std::array<int, 2> runs{};
  ASSERT_TRUE(leases.AcquireForSite(0, 0));
  ASSERT_TRUE(leases.AcquireForSite(0, 0));
  ASSERT_TRUE(leases.AcquireForSite(1, 0));
  EXPECT_FALSE(leases.WhenSitesFree(0, [&] { ++runs[0]; }));
  EXPECT_FALSE(leases.WhenSitesFree(1, [&] { runs[1] += 10; }));
  EXPECT_FALSE(leases.WhenSitesFree(1, [&] { ++runs[1]; }));  // the newer one replaces it
  EXPECT_TRUE(leases.WhenSitesFree(2, [] {}));
  leases.ReleaseForSite(0);
  EXPECT_EQ(runs[0], 0);  // a second site still runs on board 0
  ASSERT_TRUE(leases.AcquireForSite(1, 0));
  leases.ReleaseForSite(1);
  leases.ReleaseForSite(0);
  EXPECT_EQ(runs[0], 1);
  EXPECT_EQ(runs[1], 0);
  ASSERT_TRUE(leases.AcquireForSite(0, 0));
  leases.ReleaseForSite(1);
  EXPECT_EQ(runs, (std::array<int, 2>{1, 1}));
  leases.ReleaseForSite(0);  // run once: nothing waits any more
  EXPECT_EQ(runs, (std::array<int, 2>{1, 1}));
}

// A site that takes its board while the action runs sees it done: the two never interleave.
TEST(BoardLeases, NoSiteTakesTheBoardWhileItsActionRuns) {
  hw::BoardLeases leases;
  std::atomic<int> value{0};
  std::atomic<bool> torn{false};
  std::thread site([&] {
    for (int i = 0; i < 2000; ++i) {
      if (!leases.AcquireForSite(0, 1000)) continue;
      const int seen = value.load();
      if (seen % 2 != 0 || value.load() != seen) torn = true;
      leases.ReleaseForSite(0);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    leases.WhenSitesFree(0, [&] {
      value.fetch_add(1);
      std::this_thread::yield();
      value.fetch_add(1);
    });
  }
  site.join();
  EXPECT_FALSE(torn.load());
}

TEST(BoardLeases, DialogTakesEveryBoardOnlyWhenNoSiteHoldsOne) {
  hw::BoardLeases leases;
  ASSERT_TRUE(leases.AcquireForSite(2, 0));
  EXPECT_EQ(leases.HoldAllForDialog(), 2);
  EXPECT_FALSE(leases.DialogHolds(0));  // a refused hold takes nothing
  leases.ReleaseForSite(2);
  {
    const hw::DialogHoldAll hold(leases);
    ASSERT_TRUE(hold.Held());
    for (int board = 0; board < hw::kBoardCount; ++board) EXPECT_TRUE(leases.DialogHolds(board)) << board;
    EXPECT_FALSE(leases.AcquireForSite(3, 0));
  }
  EXPECT_TRUE(leases.AcquireForSite(3, 0));
}

}  // namespace
