// Debug mode: the simulation sequence replaces the handler's moves and may force the result code.
#include <gtest/gtest.h>

#include <thread>

#include "protocol_packet.h"
#include "protocol_station_fixture.h"

namespace protocol_test {
namespace {

using handler::HandlerPeer;

using DebugMode = ProtocolStation;

constexpr const char* kSequenceA =
    "SIMULATION_MODE=1\n[SIMUL_SEQUENEC_A]\nSEQ_COUNT=5\n0=Status@0,0\n1=MoveXY@3000,X=10,Y=-4\n"
    "2=Status@0,2\n3=IO@3000,IO=5,OnOff=1\n4=ReturnCode@3\n";

std::string Body(const std::optional<std::string>& packet) {
  return packet && packet->size() > 9 ? packet->substr(9) : "<none>";
}

// With ProtocolDebug 1, a result runs server A's sequence against the handler (each row a request that
// waits for its answer) and is then sent with the ReturnCode row's value.
TEST_F(DebugMode, ResultReplaysTheSequenceAndSendsTheForcedCode) {
  Station().protocolDebug = 1;
  ReloadWithPorts(PortTexts(), kSequenceA);
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(5, 'K', "SOT", "@Site=0@Usb=0@Para=0@BCD=B1")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));

  std::thread site([&] { Resolve<void (*)(int, int, std::string)>("SendResultCode")(0, 0, "PASS"); });
  std::vector<std::string> received;
  OnOtherThread([&] {
    while (auto packet = peer.ServeNext(kWaitMs)) {
      received.push_back(Body(packet));
      if (received.back().rfind("RRET", 0) == 0) break;
    }
    return 0;
  });
  site.join();
  EXPECT_EQ(received, (std::vector<std::string>{"FFXY@X=10.000@Y=-4.000", "AAIO@IO=5@OnOff=1",
                                                 "RRET@RET=3@MSG=PASS@BCD=B1@VCM=0"}));
  // The "Status" row set the state and is what a status inquiry now reports in simulation mode.
  EXPECT_EQ(Body(Request(peer, HandlerPeer::CommandPacket(6, 'I', "IOT", ""))),
            "IIOT@RET=002@MSG=SimulationMode Status return@TIME=00000000");
}

// Without a ReturnCode row the sites' own codes stand, and a pair reports the first failure of its two sites.
TEST_F(DebugMode, PairWithoutAForcedCodeReportsTheFailureOfItsFirstSite) {
  Station().protocolDebug = 1;
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  OnOtherThread([&] {
    return peer.SendRaw(HandlerPeer::CommandPacket(
        5, 'K', "SOT", "@Site=0@Usb=0@Para=0@DUAL=1@DUAL_SITE_L=0@DUAL_SITE_R=1@BCD=B1"));
  });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 2; }));
  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  std::thread sites([&] {
    sendResult(0, 108, "Current out of limit");
    sendResult(0, 0, "PASS");
  });
  const auto result = OnOtherThread([&] { return peer.WaitFor('R', "RET", kWaitMs); });
  sites.join();
  EXPECT_EQ(Body(result), "RRET@RET=108@MSG=Current out of limit@BCD=B1@VCM=0");
}

TEST_F(DebugMode, WithoutProtocolDebugTheSequenceIsIgnored) {
  ReloadWithPorts(PortTexts(), kSequenceA);
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(5, 'K', "SOT", "@Site=0@Usb=0@Para=0")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  std::thread site([&] { Resolve<void (*)(int, int, std::string)>("SendResultCode")(0, 2041, "FAIL"); });
  const auto result = OnOtherThread([&] { return peer.ReadPacket(kWaitMs); });
  site.join();
  EXPECT_EQ(Body(result), "RRET@RET=2041@MSG=FAIL@BCD=0@VCM=0");
}

}  // namespace
}  // namespace protocol_test
