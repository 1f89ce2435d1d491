#include "UnansweredPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// More than a backlog of 0 holds; the connects beyond it stay unanswered and keep the queue full.
constexpr int kFillers = 4;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<in_port_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}
}  // namespace

UnansweredPort::UnansweredPort() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 0) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  const int port = ntohs(address.sin_port);
  for (int i = 0; i < kFillers; ++i) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return;
    fillers_.push_back(s);
    const sockaddr_in target = Loopback(port);
    ::connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  }
  port_ = port;
}

UnansweredPort::~UnansweredPort() {
  for (const int s : fillers_) ::close(s);
  if (listener_ >= 0) ::close(listener_);
}
