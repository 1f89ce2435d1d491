// Connecting to an instrument: an address that never answers costs the time-out, not the station.
#include <gtest/gtest.h>

#include <chrono>

#include "MyTcp.h"
#include "UnansweredPort.h"

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
