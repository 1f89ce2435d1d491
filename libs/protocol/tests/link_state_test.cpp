// The handler link state the station shows: per server whether it listens and whether a handler is connected.
#include <gtest/gtest.h>

#include "protocol_station_fixture.h"

namespace protocol_test {
namespace {

using handler::HandlerPeer;

using LinkState = ProtocolStation;

TEST_F(LinkState, EachServerSaysWhetherAHandlerIsConnected) {
  const auto state = Resolve<prototable::GetServerLinkState_Fn>("GetServerLinkState");
  ASSERT_NE(state, nullptr);
  for (int server = 0; server < kServers; ++server) EXPECT_EQ(state(server), 0) << server;
  EXPECT_EQ(state(-1), -1);
  EXPECT_EQ(state(kServers), -1);

  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  ASSERT_TRUE(PumpUntil([&] { return state(1) == 1; }));
  EXPECT_EQ(state(0), 0);
  EXPECT_EQ(state(2), 0);

  peer.Close();
  EXPECT_TRUE(PumpUntil([&] { return state(1) == 0; })) << "the handler went away";

  Resolve<LoadOnDelete_Fn>("StopProtocolServers")(record_.get());
  for (int server = 0; server < kServers; ++server) EXPECT_EQ(state(server), -1) << server;
}

TEST_F(LinkState, AServerThatDoesNotListenIsNotStarted) {
  ReloadWithPorts({"", "70000", std::to_string(ports_[2]), "T"});
  const auto state = Resolve<prototable::GetServerLinkState_Fn>("GetServerLinkState");
  EXPECT_EQ(state(0), -1);
  EXPECT_EQ(state(1), -1);
  EXPECT_EQ(state(2), 0);
  EXPECT_EQ(state(3), -1);
}

}  // namespace
}  // namespace protocol_test
