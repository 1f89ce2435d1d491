// The test items' requests against the handler peer on loopback: what the handler receives, how the
// request waits for its answer, and what the item gets back.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <future>
#include <thread>

#include "port/clock.h"
#include "port/ini.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "protocol_station_fixture.h"

namespace protocol_test {
namespace {

using handler::AckBehaviour;
using handler::HandlerPeer;

template <typename R>
struct Exchanged {
  R result;
  std::vector<std::string> packets;  // what the handler received, without '\r'
};

std::string Body(const std::string& packet) { return packet.size() > 9 ? packet.substr(9) : packet; }

class TesterRequests : public ProtocolStation {
 protected:
  static constexpr int kTimeoutMs = 10000;

  void SetUp() override {
    ProtocolStation::SetUp();
    ASSERT_TRUE(Connect(peer_, 0));
  }

  // Runs the item's request on a thread of its own while the handler serves on another and the UI
  // thread pumps the sockets.
  // After the request the handler goes on until the line has been quiet for a while, so that a Command
  // of a request that timed out, or a late answer, never spills into the next exchange.
  template <typename F>
  auto Exchange(F request) -> Exchanged<decltype(request())> {
    std::atomic<bool> done{false};
    std::atomic<bool> quiet{false};
    std::vector<std::string> packets;
    std::thread handler([&] {
      auto last = std::chrono::steady_clock::now();
      while (!done.load() || std::chrono::steady_clock::now() - last < std::chrono::milliseconds(150)) {
        if (auto packet = peer_.ServeNext(10)) {
          packets.push_back(*packet);
          last = std::chrono::steady_clock::now();
        } else if (!done.load()) {
          last = std::chrono::steady_clock::now();
        }
      }
      quiet = true;
    });
    auto result = OnOtherThread(std::move(request));
    done = true;
    PumpUntil([&] { return quiet.load(); });
    handler.join();
    return {result, packets};
  }

  void StartTest() {
    const std::string sot = HandlerPeer::CommandPacket(90, 'K', "SOT", "@Site=0@Usb=0@Para=0");
    const auto before = Station().Starts().size();
    OnOtherThread([&] { return peer_.SendRaw(sot); });
    ASSERT_TRUE(PumpUntil([&] { return Station().Starts().size() == before + 1; }));
  }

  HandlerPeer peer_;
};

struct SimpleRequest {
  const char* name;
  std::function<int(ProtocolFunctionTable*)> call;
  std::string body;  // class, letters and data as the handler receives them
  const char* passText;
};

TEST_F(TesterRequests, EachRequestSendsItsCommandAndPassesOnTheHandlersAnswer) {
  const int t = kTimeoutMs;
  const std::vector<SimpleRequest> requests = {
      {"MoveCylinder", [t](auto* p) { return p->MoveCylinder(0, 3, t); }, "FFMC@Location=3", "MoveCylinder pass"},
      {"MoveFocusZ", [t](auto* p) { return p->MoveFocusZ(0, 1, 2.5, t); }, "FFLZ@UpDown=1@Location=2.500", "FocusZ pass"},
      {"MoveXY", [t](auto* p) { return p->MoveXY(0, 1.5, -2, t); }, "FFXY@X=1.500@Y=-2.000", "MoveXY pass"},
      {"MoveRotation", [t](auto* p) { return p->MoveRotation(0, 90, t, 5); }, "FFRT@Rotation=90.000@Speed=5",
       "MoveRotation pass"},
      {"MoveFocusChart", [t](auto* p) { return p->MoveFocusChart(0, 1, 2, 3, t); }, "FMFC@X=1.000@Y=2.000@Z=3.000",
       "MoveFocusChart pass"},
      {"MoveTilt", [t](auto* p) { return p->MoveTilt(0, 0.5f, -0.25f, t); }, "FTLT@X=0.500@Y=-0.250", "MoveTilt pass"},
      {"MoveTilt2", [t](auto* p) { return p->MoveTilt2(0, 2, 1.5f, t); }, "FTL2@Axis=2@Angle=1.500", "MoveTilt2 pass"},
      {"MoveTilt3", [t](auto* p) { return p->MoveTilt3(0, 1, 0.125f, 0.25f, t); }, "FTL3@Axis=1@X=0.125@Y=0.250",
       "MoveTilt3 pass"},
      {"DisPensing", [t](auto* p) { return p->DisPensing(0, t); }, "FDPS", "DisPensing pass"},
      {"GetRotateStaus", [t](auto* p) { return p->GetRotateStaus(0, t); }, "FROT", "RotateStaus pass"},
      {"SetAvisLight", [t](auto* p) { return p->SetAvisLight(0, t, 4); }, "LAVS@Channel=4", "Avis Light change pass"},
      {"SetIO_Onoff", [t](auto* p) { return p->SetIO_Onoff(0, t, 7, 1); }, "AAIO@IO=7@OnOff=1", "IO OnOff pass"},
      {"GetMoterLocation", [t](auto* p) { return p->GetMoterLocation(0, 2, t); }, "MAML@Axis=2",
       "GetMoterLocation pass"},
      {"SetTemperature", [t](auto* p) { return p->SetTemperature(0, t, 25.5f); }, "TTMS@VAL=25.50",
       "SetTemperature pass"},
      {"GetVision", [t](auto* p) { return p->GetVision(0, t); }, "MVIS", "GetVision pass"},
      {"SetEmergency", [t](auto* p) { return p->SetEmergency(0, t); }, "KEMO", "EMO pass"},
  };
  int id = 1;
  for (const auto& request : requests) {
    const auto got = Exchange([&] { return request.call(table_); });
    EXPECT_EQ(got.result, 1) << request.name;
    ASSERT_EQ(got.packets.size(), 1u) << request.name;
    EXPECT_EQ(got.packets[0], port::Format("$HAC%05d", id++) + request.body) << request.name;
    EXPECT_TRUE(Station().LogHas(std::string("0: ") + request.passText)) << request.name;
  }
  EXPECT_TRUE(Station().LogHas("0: Move focus Location 2.500."));
  EXPECT_EQ(Station().PanelCommands(), std::vector<std::string>{"STOP"});
}

TEST_F(TesterRequests, AnswersFillTheRecordsTheItemsRead) {
  EXPECT_EQ(Exchange([&] { return table_->GetMoterLocation(0, 2, kTimeoutMs); }).result, 1);
  const MoterLocationInfo* motor = table_->GetMoterLocationInfo(0);
  ASSERT_NE(motor, nullptr);
  EXPECT_EQ(motor->Axis, 2);
  EXPECT_DOUBLE_EQ(motor->X, 1.25);
  EXPECT_DOUBLE_EQ(motor->Y, -2.5);
  EXPECT_DOUBLE_EQ(motor->Z, 0.75);

  EXPECT_EQ(Exchange([&] { return table_->GetVision(0, kTimeoutMs); }).result, 1);
  const VisionData* vision = table_->GetVisionData(0);
  EXPECT_DOUBLE_EQ(vision->X_POS, 10.5);
  EXPECT_DOUBLE_EQ(vision->Y_POS, -3.25);
  EXPECT_DOUBLE_EQ(vision->ANGLE, 0.5);
  EXPECT_EQ(vision->RECEIVE_DATA, 1);
  EXPECT_EQ(vision->RESULT, 1);

  EXPECT_FLOAT_EQ(Exchange([&] { return table_->GetTemperature(0, kTimeoutMs); }).result, 36.5f);

  AvisLightValueInfo ask{};
  ask.COUNT = 2;
  ask.Channel[0] = 3;
  ask.Channel[1] = 5;
  ask.OnOff[0] = 1;
  const auto avis = Exchange([&] { return table_->GetAvisLight(0, kTimeoutMs, &ask); });
  EXPECT_EQ(avis.result, 1);
  ASSERT_EQ(avis.packets.size(), 1u);
  EXPECT_EQ(Body(avis.packets[0]), "LAVG@COUNT=2@Channel=3,5,@OnOff=1,0,");
  const AvisLightValueInfo* lights = table_->GetAvisLightValueInfo(0);
  EXPECT_EQ(std::string(lights->ID), avis.packets[0].substr(4, 5));
  EXPECT_EQ(lights->COUNT, 2);
  EXPECT_EQ(lights->Channel[1], 5);
  EXPECT_EQ(lights->OnOff[0], 1);

  const std::string symbols[] = {"A", "B"};
  const double values[] = {1, 2};
  const auto step = Exchange([&] { return table_->MoveStep(0, 3, 2, symbols, values, kTimeoutMs); });
  EXPECT_EQ(step.result, 1);
  EXPECT_EQ(Body(step.packets.at(0)), "FSTP@STEP=3@COUNT=2@SYMBOL=A,B,@DATA=1.000000,2.000000,");
  const MoveStepData* stepData = table_->GetMoveStepData(0);
  EXPECT_EQ(stepData->STEP, 3);
  EXPECT_EQ(stepData->COUNT, 2);
  EXPECT_STREQ(stepData->SYMBOL[1], "B");
  EXPECT_DOUBLE_EQ(stepData->DATA[1], 2.0);
  peer_.SetBehaviour('F', "STP", {AckBehaviour::Kind::Answer, 0, "@RET=7@STEP=1@COUNT=0"});
  EXPECT_EQ(Exchange([&] { return table_->MoveStep(0, 1, 0, nullptr, nullptr, kTimeoutMs); }).result, 7);
}

TEST_F(TesterRequests, PublicDataGoesToTheHandlerAndComesBack) {
  peer_.Values().publicLocation = 2;
  const auto set = Exchange([&] { return table_->SetPublicData(0, kTimeoutMs, 2, "LENS", "L-42"); });
  EXPECT_EQ(set.result, 1);
  EXPECT_EQ(Body(set.packets.at(0)), "MPUS@KEY=LENS@DATA=L-42");
  int error = -1;
  const auto got = Exchange([&] { return table_->GetPublicData(0, kTimeoutMs, 2, "LENS", &error); });
  EXPECT_EQ(Body(got.packets.at(0)), "MPUG@KEY=LENS");
  EXPECT_EQ(got.result, "L-42");
  EXPECT_EQ(error, 0);
  EXPECT_EQ(Exchange([&] { return table_->GetPublicData(0, kTimeoutMs, 2, "lens", &error); }).result, "Error - NULL");
  EXPECT_EQ(error, 2);
  peer_.Values().publicData["CHART"] = "NULL";
  EXPECT_EQ(Exchange([&] { return table_->GetPublicData(0, kTimeoutMs, 2, "CHART", &error); }).result, "Error - NULL");
  EXPECT_EQ(error, 2);
}

struct Misbehaviour {
  const char* name;
  AckBehaviour behaviour;
  int timeoutMs;
  int expected;
  bool onVirtualTime;  // the time-out passes at once, whatever the load on the machine
};

TEST_F(TesterRequests, LateRepeatedAndRefusingAnswers) {
  const std::vector<Misbehaviour> cases = {
      {"RET 0, then RET 1 within the time-out", {AckBehaviour::Kind::RetZeroThenOne, 100, std::nullopt}, kTimeoutMs, 1, false},
      {"only RET 0 runs into the time-out", {AckBehaviour::Kind::Answer, 0, "@RET=0"}, 300, 0, false},
      {"RET 2 is no pass", {AckBehaviour::Kind::Answer, 0, "@RET=2"}, 300, 0, false},
      {"late, within the time-out", {AckBehaviour::Kind::Late, 50, std::nullopt}, kTimeoutMs, 1, false},
      {"late, after the time-out", {AckBehaviour::Kind::Late, 800, std::nullopt}, 100, 0, true},
  };
  for (const auto& c : cases) {
    peer_.SetBehaviour('F', "FXY", c.behaviour);
    std::optional<port::clock::VirtualTimeScope> virtualTime;
    if (c.onVirtualTime) virtualTime.emplace();
    EXPECT_EQ(Exchange([&] { return table_->MoveXY(0, 1, 1, c.timeoutMs); }).result, c.expected) << c.name;
  }
  EXPECT_TRUE(Station().LogHas("0: MoveXY fail - timeout!"));
  // Any answer of the IO request counts, whatever its RET.
  peer_.SetBehaviour('A', "AIO", {AckBehaviour::Kind::Answer, 0, "@RET=0"});
  EXPECT_EQ(Exchange([&] { return table_->SetIO_Onoff(0, kTimeoutMs, 1, 0); }).result, 1);
}

TEST_F(TesterRequests, AMissingAnswerTimesOutOnTheStationClock) {
  peer_.SetBehaviour('F', "FMC", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  peer_.SetBehaviour('T', "TMP", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  peer_.SetBehaviour('M', "PUG", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  peer_.SetBehaviour('F', "STP", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  const auto started = std::chrono::steady_clock::now();
  {
    port::clock::VirtualTimeScope virtualTime;
    const int longWait = 5000;
    EXPECT_EQ(Exchange([&] { return table_->MoveCylinder(0, 1, longWait); }).result, 0);
    EXPECT_FLOAT_EQ(Exchange([&] { return table_->GetTemperature(0, longWait); }).result, 0.0f);
    int error = -1;
    EXPECT_EQ(Exchange([&] { return table_->GetPublicData(0, longWait, 1, "K", &error); }).result, "Error - Timeout");
    EXPECT_EQ(error, 3);
    EXPECT_EQ(Exchange([&] { return table_->MoveStep(0, 1, 0, nullptr, nullptr, longWait); }).result, -1);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_TRUE(Station().LogHas("0: MoveCylinder fail - timeout!"));
  EXPECT_TRUE(Station().LogHas("0: GetTemperature fail - timeout!"));
  EXPECT_TRUE(Station().LogHas("0: PublicReceiveData fail - timeout!"));
  EXPECT_TRUE(Station().LogHas("0: MoveStep fail - timeout!"));
}

TEST_F(TesterRequests, StopAllEndsAWaitAtOnceWithoutAFailText) {
  peer_.SetBehaviour('F', "FMC", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  std::atomic<bool> sent{false};
  std::thread operatorStop([&] {
    while (!sent.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    record_->SetStopButtonFlag(1);
  });
  std::atomic<bool> done{false};
  std::thread handler([&] {
    while (!done.load()) {
      if (peer_.ServeNext(10)) sent = true;
    }
  });
  const auto started = std::chrono::steady_clock::now();
  const int result = OnOtherThread([&] { return table_->MoveCylinder(0, 1, 60000); });
  const auto waited = std::chrono::steady_clock::now() - started;
  done = true;
  handler.join();
  operatorStop.join();
  EXPECT_EQ(result, 0);
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_TRUE(Station().LogHas("0: MoveCylinder Start"));
  EXPECT_FALSE(Station().LogHas("MoveCylinder fail - timeout!"));
  // While the flag stays set, a request ends at once.
  EXPECT_EQ(Exchange([&] { return table_->DisPensing(0, 60000); }).result, 0);
  // The temperature request looks at its time before the stop flag: a wait whose time ran out still says so.
  peer_.SetBehaviour('T', "TMP", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  EXPECT_FLOAT_EQ(Exchange([&] { return table_->GetTemperature(0, 0); }).result, 0.0f);
  EXPECT_TRUE(Station().LogHas("0: GetTemperature fail - timeout!"));
}

TEST_F(TesterRequests, FocusConeLoadResultIsKeptUntilTheNextStart) {
  const auto ack = OnOtherThread([&] {
    peer_.SendRaw(HandlerPeer::CommandPacket(31, 'F', "FLR", "@RET=1"));
    return peer_.ReadPacket(kWaitMs);
  });
  ASSERT_TRUE(ack.has_value());
  EXPECT_EQ(*ack, "$HAA00031FFLR@RET=1");
  const auto got = Exchange([&] { return table_->GetLoadResult(0, kTimeoutMs); });
  EXPECT_EQ(got.result, 1);
  EXPECT_TRUE(got.packets.empty());
  StartTest();
  port::clock::VirtualTimeScope virtualTime;
  EXPECT_EQ(Exchange([&] { return table_->GetLoadResult(0, 5000); }).result, 0);
  EXPECT_TRUE(Station().LogHas("0: Focus Cone Load fail - timeout!"));
}

// Values out of range or texts that would break a packet are refused before anything is sent.
TEST_F(TesterRequests, MalformedRequestsAreRefusedAndSendNothing) {
  int error = -1;
  AvisLightValueInfo tooMany{};
  tooMany.COUNT = 11;
  const std::string symbols[] = {"A,B", "C"};
  const double values[] = {1, 2};
  const auto got = Exchange([&] {
    std::vector<std::string> results;
    results.push_back(std::to_string(table_->SetPublicData(0, 100, 8, "K", "D")));
    results.push_back(std::to_string(table_->SetPublicData(0, 100, -1, "K", "D")));
    results.push_back(std::to_string(table_->SetPublicData(0, 100, 0, "K@RET=1", "D")));
    results.push_back(std::to_string(table_->SetPublicData(0, 100, 0, "K", "D\r$HAC")));
    const std::string refused = table_->GetPublicData(0, 100, 8, "K", &error);
    results.push_back(refused + " " + std::to_string(error));
    results.push_back(std::to_string(table_->GetAvisLight(0, 100, &tooMany)));
    results.push_back(std::to_string(table_->GetAvisLight(0, 100, nullptr)));
    results.push_back(std::to_string(table_->MoveStep(0, 1, 11, symbols, values, 100)));
    results.push_back(std::to_string(table_->MoveStep(0, 1, -1, symbols, values, 100)));
    results.push_back(std::to_string(table_->MoveStep(0, 1, 2, symbols, values, 100)));
    results.push_back(std::to_string(table_->MoveStep(0, 1, 2, nullptr, nullptr, 100)));
    return results;
  });
  EXPECT_EQ(got.result, (std::vector<std::string>{"0", "0", "0", "0", "Error - Request refused 1", "0", "0", "-1",
                                                  "-1", "-1", "-1"}));
  EXPECT_TRUE(got.packets.empty());
}

TEST_F(TesterRequests, EveryEntryGivesItsFailureValueWithoutAServer) {
  for (const int server : {-1, 4, 77}) {
    int error = -1;
    EXPECT_EQ(table_->MoveCylinder(server, 1, 10), 0);
    EXPECT_EQ(table_->MoveXY(server, 1, 1, 10), 0);
    EXPECT_EQ(table_->SetEmergency(server, 10), 0);
    EXPECT_EQ(table_->GetLoadResult(server, 10), 0);
    EXPECT_EQ(table_->GetVision(server, 10), 0);
    EXPECT_EQ(table_->GetAvisLight(server, 10, nullptr), 0);
    EXPECT_FLOAT_EQ(table_->GetTemperature(server, 10), 0.0f);
    EXPECT_EQ(table_->SetPublicData(server, 10, 0, "K", "D"), 0);
    EXPECT_EQ(table_->GetPublicData(server, 10, 0, "K", &error), "Error - Server NULL");
    EXPECT_EQ(error, 1);
    EXPECT_EQ(table_->MoveStep(server, 1, 0, nullptr, nullptr, 10), -1);
    EXPECT_EQ(table_->GetMoveStepData(server), nullptr);
    EXPECT_EQ(table_->GetVisionData(server), nullptr);
    EXPECT_EQ(table_->GetMoterLocationInfo(server), nullptr);
    EXPECT_EQ(table_->GetAvisLightValueInfo(server), nullptr);
    EXPECT_EQ(table_->GetMesData(server), nullptr);
  }
  EXPECT_TRUE(Station().PanelCommands().empty());
}

// The handler's answers are bounded to the records whatever their counts and lengths.
TEST_F(TesterRequests, OversizedAnswersAreBoundedToTheirRecords) {
  std::string channels;
  for (int i = 0; i < 50; ++i) channels += std::to_string(i) + ",";
  peer_.SetBehaviour('L', "AVG", {AckBehaviour::Kind::Answer, 0, "@RET=1@COUNT=50@Channel=" + channels + "@OnOff=" + channels});
  AvisLightValueInfo ask{};
  EXPECT_EQ(Exchange([&] { return table_->GetAvisLight(0, kTimeoutMs, &ask); }).result, 1);
  EXPECT_EQ(table_->GetAvisLightValueInfo(0)->COUNT, kAvisLightChannels);
  EXPECT_EQ(table_->GetAvisLightValueInfo(0)->OnOff[9], 9);

  const std::string longSymbol(100, 's');
  peer_.SetBehaviour('F', "STP", {AckBehaviour::Kind::Answer, 0,
                                  "@RET=1@STEP=1@COUNT=99@SYMBOL=" + longSymbol + ",x@DATA=1.5,2.5"});
  EXPECT_EQ(Exchange([&] { return table_->MoveStep(0, 1, 0, nullptr, nullptr, kTimeoutMs); }).result, 1);
  const MoveStepData* step = table_->GetMoveStepData(0);
  EXPECT_EQ(step->COUNT, kMoveStepItems);
  EXPECT_EQ(std::string(step->SYMBOL[0]), std::string(63, 's'));
  EXPECT_STREQ(step->SYMBOL[1], "x");
  EXPECT_DOUBLE_EQ(step->DATA[1], 2.5);
  EXPECT_DOUBLE_EQ(step->DATA[2], 0.0);

  // A public-data answer for a slot that does not exist is ignored: the request runs into its time-out.
  peer_.Values().publicLocation = 8;
  port::clock::VirtualTimeScope virtualTime;
  EXPECT_EQ(Exchange([&] { return table_->SetPublicData(0, 5000, 0, "K", "D"); }).result, 0);
  EXPECT_TRUE(Station().LogHas("0: Public data answer ignored : LOCATION 8"));
}

struct ChartCase {
  const char* boxes;  // X_INVERSE, Y_INVERSE, XY_CHANGE
  const char* moveXY;
  const char* moveFocusChart;
};

// The chart check boxes: "XY Change" swaps first, then each "Inverse" negates its axis of the result;
// Z is never changed.
TEST_F(TesterRequests, ChartOptionsTurnTheChartMoves) {
  const std::vector<ChartCase> cases = {
      {"000", "FFXY@X=1.500@Y=-2.000", "FMFC@X=1.500@Y=-2.000@Z=3.000"},
      {"001", "FFXY@X=-2.000@Y=1.500", "FMFC@X=-2.000@Y=1.500@Z=3.000"},
      {"100", "FFXY@X=-1.500@Y=-2.000", "FMFC@X=-1.500@Y=-2.000@Z=3.000"},
      {"010", "FFXY@X=1.500@Y=2.000", "FMFC@X=1.500@Y=2.000@Z=3.000"},
      {"101", "FFXY@X=2.000@Y=1.500", "FMFC@X=2.000@Y=1.500@Z=3.000"},
      {"111", "FFXY@X=2.000@Y=-1.500", "FMFC@X=2.000@Y=-1.500@Z=3.000"},
  };
  const std::string ini = (folder_ / "Ref" / "Model" / "Protocol.ini").string();
  for (const auto& c : cases) {
    const std::string boxes = c.boxes;
    port::ini::WriteString(ini, "CHART", "X_INVERSE", boxes.substr(0, 1).c_str());
    port::ini::WriteString(ini, "CHART", "Y_INVERSE", boxes.substr(1, 1).c_str());
    port::ini::WriteString(ini, "CHART", "XY_CHANGE", boxes.substr(2, 1).c_str());
    Resolve<LoadOnDelete_Fn>("Load_OnDelete")(record_.get());
    table_ = Resolve<LoadProtocol_Fn>("Load_Protocol")(record_.get(), &module_);
    ASSERT_TRUE(Connect(peer_, 0)) << c.boxes;
    const auto xy = Exchange([&] { return table_->MoveXY(0, 1.5, -2, kTimeoutMs); });
    const auto chart = Exchange([&] { return table_->MoveFocusChart(0, 1.5f, -2.0f, 3.0f, kTimeoutMs); });
    EXPECT_EQ(Body(xy.packets.at(0)), c.moveXY) << c.boxes;
    EXPECT_EQ(Body(chart.packets.at(0)), c.moveFocusChart) << c.boxes;
  }
}

// Two sites ask their own handlers at once; each answer lands in its own server's record.
TEST_F(TesterRequests, SitesOnTwoServersWaitAtTheSameTime) {
  HandlerPeer second;
  ASSERT_TRUE(Connect(second, 1));
  peer_.SetBehaviour('M', "AML", {AckBehaviour::Kind::Late, 100, std::nullopt});
  second.Values().motorX = 99.5;
  std::atomic<bool> done{false};
  auto serve = [&done](HandlerPeer& peer) {
    return std::thread([&] {
      while (!done.load()) peer.ServeNext(10);
    });
  };
  std::thread handlerA = serve(peer_);
  std::thread handlerB = serve(second);
  const auto results = OnOtherThread([&] {
    auto siteA = std::async(std::launch::async, [&] { return table_->GetMoterLocation(0, 1, kTimeoutMs); });
    auto siteB = std::async(std::launch::async, [&] { return table_->GetMoterLocation(1, 2, kTimeoutMs); });
    return std::make_pair(siteA.get(), siteB.get());
  });
  done = true;
  handlerA.join();
  handlerB.join();
  EXPECT_EQ(results, std::make_pair(1, 1));
  EXPECT_EQ(table_->GetMoterLocationInfo(0)->Axis, 1);
  EXPECT_DOUBLE_EQ(table_->GetMoterLocationInfo(0)->X, 1.25);
  EXPECT_EQ(table_->GetMoterLocationInfo(1)->Axis, 2);
  EXPECT_DOUBLE_EQ(table_->GetMoterLocationInfo(1)->X, 99.5);
}

// Closing the servers ends a request that waits on one of them, so nothing waits on a line that is gone.
TEST_F(TesterRequests, UnloadEndsAWaitingRequest) {
  peer_.SetBehaviour('F', "FMC", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  std::atomic<bool> sent{false};
  std::atomic<bool> done{false};
  std::thread handler([&] {
    while (!done.load()) {
      if (peer_.ServeNext(10)) sent = true;
    }
  });
  auto item = std::async(std::launch::async, [&] { return table_->MoveCylinder(0, 1, 60000); });
  ASSERT_TRUE(PumpUntil([&] { return sent.load(); }));
  const auto started = std::chrono::steady_clock::now();
  Resolve<LoadOnDelete_Fn>("Load_OnDelete")(record_.get());
  ASSERT_TRUE(PumpUntil([&] { return item.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(item.get(), 0);
  done = true;
  handler.join();
  EXPECT_FALSE(Station().LogHas("MoveCylinder fail - timeout!"));
}

}  // namespace
}  // namespace protocol_test
