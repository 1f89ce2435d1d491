#pragma once
// One server's worker: handles the packets its connections queue, one at a time, in arrival order.
// The queue belongs to the worker, not to a connection, so a connection that closes never frees what
// the worker is handling; it empties the queue instead.
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "port/event.h"

namespace protocol {

class PacketWorker {
 public:
  using Dispatch = std::function<void(const std::string& packet)>;
  using Filter = std::function<bool(const std::string& packet)>;

  // A packet for which `atOnce` holds is handled on the pushing thread when the worker has nothing queued
  // or in hand: it must be one whose handling never waits.
  explicit PacketWorker(Dispatch dispatch, Filter atOnce = {});
  ~PacketWorker();
  PacketWorker(const PacketWorker&) = delete;
  PacketWorker& operator=(const PacketWorker&) = delete;

  // Called on one thread only (the one that owns the connections), so that nothing is pushed while a packet
  // is handled there.
  void Push(std::vector<std::string> packets);
  // Forgets the packets still waiting; the one in hand is finished. For the connection that queued them
  // closing: what its handler sent is not handled after it has gone.
  void DropQueued();
  // Asks the worker to end; a wait it is in ends early (see IsStopping).
  void RequestStop();
  // Ends the worker and joins it. On the UI thread the UI keeps being served meanwhile, so a worker
  // that waits for the UI can finish.
  void StopAndJoin();
  bool IsStopping() const { return stop_.load(); }

 private:
  void Run();
  bool TakeNext(std::string& packet);
  bool Idle();

  const Dispatch dispatch_;
  const Filter atOnce_;
  std::mutex mutex_;
  std::deque<std::string> queue_;
  bool handling_ = false;  // the worker has a packet in hand
  port::Event packetEvent_{port::Event::Reset::Auto};
  port::Event finished_{port::Event::Reset::Manual};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace protocol
