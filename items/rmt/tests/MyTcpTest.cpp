// Connecting to an instrument: an address that never answers costs the time-out, not the station.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "MyTcp.h"
#include "UnansweredPort.h"

namespace {

// A listening socket on the loopback address, and the one connection it accepts.
class Peer {
 public:
  Peer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listener_, 1) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
  ~Peer() {
    if (accepted_ >= 0) ::close(accepted_);
    ::close(listener_);
  }
  int port() const { return port_; }
  bool Accept() { return (accepted_ = ::accept(listener_, nullptr, nullptr)) >= 0; }
  void Send(const char* text) { ::send(accepted_, text, std::strlen(text), MSG_NOSIGNAL); }

 private:
  int listener_ = -1;
  int accepted_ = -1;
  int port_ = 0;
};

// SIGUSR1 caught by a handler that does nothing, for as long as the object lives.
class CaughtSignal {
 public:
  CaughtSignal() {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGUSR1, &action, &previous_);
  }
  ~CaughtSignal() { ::sigaction(SIGUSR1, &previous_, nullptr); }

 private:
  struct sigaction previous_ {};
};

}  // namespace

TEST(MyTcpTest, ConnectToAnAddressThatNeverAnswersGivesUpAtItsTimeOut) {
  const UnansweredPort unanswered;
  ASSERT_NE(unanswered.port(), 0);
  CMyTCP link;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(link.Connect("127.0.0.1", unanswered.port(), 200), 0);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(150));
  EXPECT_LT(took, std::chrono::seconds(3));
  EXPECT_EQ(link.IsConnected(), 0);
}

TEST(MyTcpTest, RefusedAndMalformedAddressesFailAtOnce) {
  struct Case {
    const char* ip;
    int port;
  };
  const Case cases[] = {{"127.0.0.1", 1}, {"0.0.0.0", 4001}, {"300.1.1.1", 4001}, {nullptr, 4001}};
  for (const Case& c : cases) {
    CMyTCP link;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Connect(c.ip, c.port), 0) << (c.ip ? c.ip : "null");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
}

// A signal that lands on the thread waiting for a reply interrupts its poll; the link must keep waiting for
// the rest of the time instead of reading the interruption as a broken link.
TEST(MyTcpTest, ASignalDuringAReceiveKeepsTheWaitAndTheLink) {
  const CaughtSignal caught;
  Peer peer;
  ASSERT_NE(peer.port(), 0);
  CMyTCP link;
  ASSERT_EQ(link.Connect("127.0.0.1", peer.port(), 1000), 1);
  ASSERT_TRUE(peer.Accept());

  std::atomic<bool> waiting{true};
  int result = -2;
  std::thread waiter([&] {
    result = link.Receive(10000);
    waiting = false;
  });
  for (int i = 0; i < 20 && waiting; ++i) {
    ::pthread_kill(waiter.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  peer.Send("1.0E+0");
  waiter.join();
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(link.Text(), "1.0E+0");
  EXPECT_EQ(link.IsConnected(), 1);
}
