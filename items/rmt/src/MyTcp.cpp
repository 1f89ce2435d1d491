#include "MyTcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "port/clock.h"

namespace {
constexpr int kSettleMs = 50;
constexpr int kPieceGapMs = 10;

bool SetBlocking(int s, bool blocking) {
  const int flags = ::fcntl(s, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(s, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

// poll over the whole of timeoutMs: a signal that interrupts the wait is not the peer's doing, so the wait
// goes on for the time that is left. >0 ready, 0 timed out, <0 failed.
int PollWithin(pollfd& entry, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const int ready = ::poll(&entry, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
    if (ready >= 0 || errno != EINTR) return ready;
  }
}

// Waits for a connect in progress to finish; false when it failed or did not finish within timeoutMs.
bool AwaitConnected(int s, int timeoutMs) {
  pollfd entry{s, POLLOUT, 0};
  if (PollWithin(entry, timeoutMs) <= 0) return false;
  int error = 0;
  socklen_t length = sizeof error;
  return ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// A connected socket, or -1. Blocking again once connected: sends go out whole.
int ConnectWithin(const sockaddr_in& address, int timeoutMs) {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s < 0) return -1;
  const int started = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const bool connected = started == 0 || (errno == EINPROGRESS && AwaitConnected(s, timeoutMs));
  if (!connected || !SetBlocking(s, true)) {
    ::close(s);
    return -1;
  }
  return s;
}

}  // namespace

CMyTCP::~CMyTCP() { Close(); }

int CMyTCP::Connect(const char* ipText, int port, int timeoutMs) {
  if (socket_ >= 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (ipText == nullptr || inet_pton(AF_INET, ipText, &address.sin_addr) != 1 || address.sin_addr.s_addr == 0)
    return 0;
  const int s = ConnectWithin(address, timeoutMs);
  if (s < 0) return 0;
  socket_ = s;
  port::clock::SleepMs(kSettleMs);
  return 1;
}

int CMyTCP::Send(const void* bytes, int length) {
  if (socket_ < 0 || bytes == nullptr || length < 0) return 0;
  const auto* data = static_cast<const char*>(bytes);
  int left = length;
  while (left > 0) {
    if (left > kSendPiece) port::clock::SleepMs(kPieceGapMs);
    const int piece = std::min(left, kSendPiece);
    const ssize_t sent = ::send(socket_, data, static_cast<std::size_t>(piece), MSG_NOSIGNAL);
    if (sent <= 0) return 0;
    data += sent;
    left -= static_cast<int>(sent);
  }
  return length;
}

int CMyTCP::Receive(int waitMs) {
  if (socket_ < 0) return -1;
  pollfd entry{socket_, POLLIN, 0};
  const int ready = PollWithin(entry, waitMs);
  if (ready == 0) return 0;
  if (ready < 0) return -1;
  ssize_t got = 0;
  do {
    got = ::recv(socket_, buffer_.data(), kReceiveBufferSize, 0);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) return -1;
  count_ = static_cast<int>(got);
  buffer_[static_cast<std::size_t>(got)] = '\0';
  received_ = true;
  return 1;
}

void CMyTCP::Close() {
  if (socket_ < 0) return;
  ::shutdown(socket_, SHUT_RDWR);
  ::close(socket_);
  socket_ = -1;
  // The instrument gets the same settling time to see the link go as it gets to see one come.
  port::clock::SleepMs(kSettleMs);
}
