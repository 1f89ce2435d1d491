#include "rmt_sim/rmt_sim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace rmt_sim {

namespace {

constexpr int kPollMs = 20;
constexpr char kVersion[] = "12";

int Listen(int port, int& bound) {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  const int yes = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 4) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(s);
    return -1;
  }
  bound = ntohs(address.sin_port);
  return s;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void SendAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t sent = ::send(fd, p, size, MSG_NOSIGNAL);
    if (sent <= 0) return;
    p += sent;
    size -= static_cast<std::size_t>(sent);
  }
}

std::vector<std::uint8_t> RelayReply(const std::vector<std::uint8_t>& frame) {
  std::vector<std::uint8_t> reply = frame;
  if (frame[1] == 0x41 && frame[2] != 0x00) {
    reply[1] = 0x42;
    reply[4] = static_cast<std::uint8_t>(0xAC - reply[1] - reply[2] - reply[3]);
  } else if (frame[1] == 0x40) {
    reply[2] = static_cast<std::uint8_t>(kVersion[0]);
    reply[3] = static_cast<std::uint8_t>(kVersion[1]);
  }
  return reply;
}

}  // namespace

RmtSim::RmtSim(int relayPort, int meterPort) {
  relayListen_ = Listen(relayPort, relayPort_);
  meterListen_ = Listen(meterPort, meterPort_);
  worker_ = std::thread([this] { Run(); });
}

RmtSim::~RmtSim() {
  {
    const std::lock_guard lock(holdLock_);
    stop_ = true;
  }
  holdChanged_.notify_all();
  worker_.join();
  CloseFd(relayClient_);
  CloseFd(meterClient_);
  CloseFd(relayListen_);
  CloseFd(meterListen_);
}

void RmtSim::QueueReadings(const std::vector<std::string>& texts) {
  std::lock_guard lock(lock_);
  readings_.insert(readings_.end(), texts.begin(), texts.end());
}

std::vector<std::vector<std::uint8_t>> RmtSim::RelayFrames() const {
  std::lock_guard lock(lock_);
  return relayFrames_;
}

std::vector<std::string> RmtSim::MeterLines() const {
  std::lock_guard lock(lock_);
  return meterLines_;
}

void RmtSim::Accept(int listen, int& client) {
  const int fd = ::accept4(listen, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  CloseFd(client);
  client = fd;
}

void RmtSim::HoldReplies(bool hold) {
  {
    const std::lock_guard lock(holdLock_);
    held_ = hold;
  }
  holdChanged_.notify_all();
}

void RmtSim::DelayReply() const {
  if (const int ms = replyDelayMs_.load(); ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  std::unique_lock lock(holdLock_);
  holdChanged_.wait(lock, [this] { return !held_ || stop_; });
}

void RmtSim::ServeRelay(int& client) {
  std::uint8_t chunk[512];
  const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
  if (got <= 0) return CloseFd(client);
  DelayReply();
  std::lock_guard lock(lock_);
  relayPending_.insert(relayPending_.end(), chunk, chunk + got);
  while (relayPending_.size() >= 6) {
    const std::vector<std::uint8_t> frame(relayPending_.begin(), relayPending_.begin() + 6);
    relayPending_.erase(relayPending_.begin(), relayPending_.begin() + 6);
    relayFrames_.push_back(frame);
    if (relaySilent_) continue;
    const std::vector<std::uint8_t> reply = RelayReply(frame);
    SendAll(client, reply.data(), reply.size());
  }
}

void RmtSim::ServeMeter(int& client) {
  char chunk[512];
  const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
  if (got <= 0) return CloseFd(client);
  DelayReply();
  std::lock_guard lock(lock_);
  meterPending_.append(chunk, static_cast<std::size_t>(got));
  for (auto end = meterPending_.find("\r\n"); end != std::string::npos; end = meterPending_.find("\r\n")) {
    const std::string line = meterPending_.substr(0, end);
    meterPending_.erase(0, end + 2);
    meterLines_.push_back(line);
    if (line != ":FETCH?" || meterSilent_) continue;
    if (!readings_.empty()) {
      lastReading_ = readings_.front();
      readings_.pop_front();
    }
    const std::string reply = lastReading_ + "\r\n";
    SendAll(client, reply.data(), reply.size());
  }
}

void RmtSim::Run() {
  while (!stop_) {
    pollfd fds[4] = {{relayListen_, POLLIN, 0}, {meterListen_, POLLIN, 0}, {relayClient_, POLLIN, 0},
                     {meterClient_, POLLIN, 0}};
    if (::poll(fds, 4, kPollMs) <= 0) continue;
    if (fds[0].revents & POLLIN) Accept(relayListen_, relayClient_);
    if (fds[1].revents & POLLIN) Accept(meterListen_, meterClient_);
    if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) ServeRelay(relayClient_);
    if (fds[3].revents & (POLLIN | POLLHUP | POLLERR)) ServeMeter(meterClient_);
  }
}

}  // namespace rmt_sim
