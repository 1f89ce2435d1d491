// Why a whole write to the handler's socket stopped: the reason goes into "Packet send fail : %s", so it must
// be the write's own, not whatever the last system call left behind.
#include "socket_write.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>
#include <string>

namespace protocol {
namespace {

using namespace std::chrono_literals;

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

void MakeNonBlocking(int fd) { ASSERT_EQ(::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK), 0); }

// A loopback TCP connection: the station's end (non-blocking, as the server's is) and the handler's.
struct Connection {
  Connection() {
    Descriptor listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    EXPECT_EQ(::bind(listener.get(), any, length), 0);
    EXPECT_EQ(::listen(listener.get(), 1), 0);
    EXPECT_EQ(::getsockname(listener.get(), any, &length), 0);
    station.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    EXPECT_EQ(::connect(station.get(), any, length), 0);
    handler.Reset(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    MakeNonBlocking(station.get());
  }
  Descriptor station;
  Descriptor handler;
};

// More than both socket buffers hold, to a handler that reads nothing.
TEST(WriteAll, AHandlerThatStopsReadingGivesTheTimeOut) {
  Connection link;
  const std::string packet(16 << 20, 'x');
  EXPECT_EQ(WriteAll(link.station.get(), packet, 50ms), ETIMEDOUT);
}

// A handler that keeps reading, but too slowly for the packet, still ends the write at the time-out counted
// from the first attempt: each wait for room is short, their sum is not.
TEST(WriteAll, AHandlerThatReadsTooSlowlyGivesTheTimeOutOfTheWholePacket) {
  Connection link;
  std::atomic<bool> done{false};
  std::thread slowReader([&] {
    std::vector<char> chunk(256 << 10);
    while (!done.load()) {
      if (::recv(link.handler.get(), chunk.data(), chunk.size(), MSG_DONTWAIT) < 0 && errno != EAGAIN) break;
      std::this_thread::sleep_for(10ms);
    }
  });
  const std::string packet(128 << 20, 'x');
  const auto started = std::chrono::steady_clock::now();
  const int reason = WriteAll(link.station.get(), packet, 300ms);
  const auto took = std::chrono::steady_clock::now() - started;
  done = true;
  slowReader.join();
  EXPECT_EQ(reason, ETIMEDOUT);
  EXPECT_LT(took, 2s);
}

// A handler that closed with our bytes unread resets the connection; the next write finds the pipe broken.
TEST(WriteAll, AHandlerThatHasGoneGivesTheConnectionsEnd) {
  Connection link;
  ASSERT_EQ(WriteAll(link.station.get(), "!Unread\n", 100ms), 0);
  link.handler.Close();
  int reason = 0;
  for (int attempt = 0; attempt < 100 && reason == 0; ++attempt) {
    reason = WriteAll(link.station.get(), "!Next\n", 100ms);
  }
  EXPECT_EQ(reason, ECONNRESET);
  EXPECT_EQ(WriteAll(link.station.get(), "!Next\n", 100ms), EPIPE);
}

}  // namespace
}  // namespace protocol
