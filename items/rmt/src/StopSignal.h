#pragma once
// Ends the item's waits early when the item is deleted: every pause between instrument exchanges waits on
// this signal instead of sleeping, so deleting the item never waits out a long interval.
#include <chrono>
#include <condition_variable>
#include <mutex>

class StopSignal {
 public:
  void Stop() {
    {
      std::lock_guard lock(lock_);
      stopped_ = true;
    }
    changed_.notify_all();
  }
  bool Stopped() const {
    std::lock_guard lock(lock_);
    return stopped_;
  }
  // True when stopped before the time was up.
  bool WaitFor(int ms) const {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_; });
  }

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  bool stopped_ = false;
};
