#include "socket_write.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace protocol {

int WriteAll(int descriptor, std::string_view bytes, std::chrono::milliseconds timeout) {
  // One deadline for the whole packet: a handler that reads a little now and then must not hold the sender
  // (and every sender behind its lock) for longer.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!bytes.empty()) {
    const ssize_t sent = ::send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    const int failure = errno;
    if (failure == EINTR) continue;
    if (failure != EAGAIN && failure != EWOULDBLOCK) return failure;
    // A peer that has gone wakes the wait at once; the next send names the reason.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ETIMEDOUT;
    pollfd room{descriptor, POLLOUT, 0};
    const int ready = ::poll(&room, 1, static_cast<int>(left.count()));
    if (ready == 0) return ETIMEDOUT;
    if (ready < 0 && errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace protocol
