#include "packet_worker.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "port/ui_thread.h"

namespace protocol {

PacketWorker::PacketWorker(Dispatch dispatch, Filter atOnce)
    : dispatch_(std::move(dispatch)), atOnce_(std::move(atOnce)), thread_([this] { Run(); }) {}

PacketWorker::~PacketWorker() { StopAndJoin(); }

void PacketWorker::Push(std::vector<std::string> packets) {
  // Handling a packet here spares its hand-over to the worker thread; the order stays the arrival order,
  // since only a packet with nothing before it is taken.
  std::size_t first = 0;
  while (first < packets.size() && atOnce_ && atOnce_(packets[first]) && Idle()) dispatch_(packets[first++]);
  if (first == packets.size()) return;
  {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = first; i < packets.size(); ++i) queue_.push_back(std::move(packets[i]));
  }
  packetEvent_.Set();
}

bool PacketWorker::Idle() {
  const std::lock_guard lock(mutex_);
  return queue_.empty() && !handling_ && !stop_.load();
}

void PacketWorker::DropQueued() {
  const std::lock_guard lock(mutex_);
  queue_.clear();
}

void PacketWorker::RequestStop() {
  stop_.store(true);
  packetEvent_.Set();
}

void PacketWorker::StopAndJoin() {
  if (!thread_.joinable()) return;
  RequestStop();
  if (QCoreApplication::instance() && port::ui::IsUiThread()) {
    while (finished_.Wait(1) == port::WaitResult::Timeout) QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  thread_.join();
}

bool PacketWorker::TakeNext(std::string& packet) {
  const std::lock_guard lock(mutex_);
  handling_ = !queue_.empty() && !stop_.load();
  if (!handling_) return false;
  packet = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void PacketWorker::Run() {
  while (!stop_.load()) {
    packetEvent_.Wait();
    std::string packet;
    while (TakeNext(packet)) dispatch_(packet);
  }
  finished_.Set();
}

}  // namespace protocol
