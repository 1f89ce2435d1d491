#include "packet_worker.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "port/ui_thread.h"

namespace protocol {

PacketWorker::PacketWorker(Dispatch dispatch) : dispatch_(std::move(dispatch)), thread_([this] { Run(); }) {}

PacketWorker::~PacketWorker() { StopAndJoin(); }

void PacketWorker::Push(std::vector<std::string> packets) {
  if (packets.empty()) return;
  {
    const std::lock_guard lock(mutex_);
    for (auto& packet : packets) queue_.push_back(std::move(packet));
  }
  packetEvent_.Set();
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
  if (queue_.empty() || stop_.load()) return false;
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
