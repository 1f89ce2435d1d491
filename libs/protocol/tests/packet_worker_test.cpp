// The worker hands a start of test to the thread that pushes it only while it has nothing before it; the
// packets of a connection are always handled in the order they came.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "packet_worker.h"

using protocol::PacketWorker;

namespace {

constexpr auto kWait = std::chrono::seconds(10);

class PacketWorkerTest : public ::testing::Test {
 protected:
  // Each packet: its text and whether it ran on the pushing thread. "hold" keeps the worker until Release.
  void Handle(const std::string& packet) {
    std::unique_lock lock(mutex_);
    if (packet == "hold") {
      holding_ = true;
      changed_.notify_all();
      changed_.wait(lock, [&] { return released_; });
    }
    handled_.push_back({packet, std::this_thread::get_id() == pusher_});
    changed_.notify_all();
  }
  void WaitHolding() {
    std::unique_lock lock(mutex_);
    ASSERT_TRUE(changed_.wait_for(lock, kWait, [&] { return holding_; }));
  }
  void Release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  std::vector<std::pair<std::string, bool>> WaitHandled(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kWait, [&] { return handled_.size() >= count; });
    return handled_;
  }

  const std::thread::id pusher_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  bool released_ = false;
  std::vector<std::pair<std::string, bool>> handled_;
  PacketWorker worker_{[this](const std::string& packet) { Handle(packet); },
                       [](const std::string& packet) { return packet == "start"; }};
};

TEST_F(PacketWorkerTest, AStartWithNothingBeforeItIsHandledOnThePushingThread) {
  worker_.Push({"start"});
  EXPECT_EQ(WaitHandled(1), (std::vector<std::pair<std::string, bool>>{{"start", true}}));
  worker_.Push({"other"});
  EXPECT_EQ(WaitHandled(2)[1], (std::pair<std::string, bool>{"other", false}));
}

TEST_F(PacketWorkerTest, AStartBehindAnotherPacketWaitsItsTurnOnTheWorker) {
  worker_.Push({"hold"});
  WaitHolding();
  worker_.Push({"start"});
  worker_.Push({"other", "start"});
  Release();
  EXPECT_EQ(WaitHandled(4), (std::vector<std::pair<std::string, bool>>{
                                {"hold", false}, {"start", false}, {"other", false}, {"start", false}}));
}

// A closing connection takes its waiting packets with it; the one in hand is finished, and what comes later
// is handled.
TEST_F(PacketWorkerTest, DroppingTheQueueFinishesThePacketInHandOnly) {
  worker_.Push({"hold", "a", "b"});
  WaitHolding();
  worker_.DropQueued();
  Release();
  worker_.Push({"c"});
  EXPECT_EQ(WaitHandled(2), (std::vector<std::pair<std::string, bool>>{{"hold", false}, {"c", false}}));
}

}  // namespace
