#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "port/message_box.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "protocol_station_fixture.h"
#include "server_line.h"

namespace protocol_test {
namespace {

using handler::HandlerPeer;
using handler::StartOfTest;

std::string Sot(int site, int usb, int para = 0, const std::string& extra = "") {
  StartOfTest start;
  start.site = site;
  start.usb = usb;
  start.para = para;
  start.extra = extra;
  return HandlerPeer::CommandPacket(7, 'K', "SOT", HandlerPeer::StartOfTestData(start));
}

std::string Data(const std::optional<std::string>& packet) {
  return packet ? std::string(protocol::ProtocolPacket(*packet).Data()) : "<none>";
}

using ProtocolLink = ProtocolStation;

TEST_F(ProtocolLink, TableSlotsAreTheExportsOfThoseNames) {
  EXPECT_EQ(table_->m_hModule, module_);
#define CHECK_SLOT(name, result, params) EXPECT_EQ(reinterpret_cast<void*>(table_->name), Symbol(#name)) << #name;
  QRV_PROTOCOL_FUNCTIONS(CHECK_SLOT)
#undef CHECK_SLOT
  // Every slot is bound, so loading showed no box.
  for (const auto& box : port::ShownMessageBoxes()) ADD_FAILURE() << box.text;
  EXPECT_NE(table_->GetBarCodeData, nullptr);
  EXPECT_NE(table_->SetPauseStatus, nullptr);
  auto version = Resolve<std::string (*)()>("GetDllVersion");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version(), std::string("Release - ") + __DATE__);
}

TEST_F(ProtocolLink, EntriesGiveTheirFailureValueForAServerThatDoesNotExist) {
  for (const int server : {-1, 4, 1000}) {
    EXPECT_EQ(table_->GetPara(server), -1);
    EXPECT_EQ(table_->GetTestCNT(server), -1);
    EXPECT_FLOAT_EQ(table_->GetDistance_Target(server), -1.0f);
    EXPECT_EQ(table_->GetBarCodeData(server), nullptr);
    EXPECT_EQ(table_->GetI1Pro(server), nullptr);
    EXPECT_EQ(table_->SetPauseStatus(server, 2), 0);
    EXPECT_EQ(Resolve<int (*)(int)>("SendStatus")(server), 0);
    Resolve<void (*)(int, int, std::string)>("SendResultCode")(server, 0, "PASS");
  }
  EXPECT_EQ(table_->SetPauseStatus(0, 1), 0);
  EXPECT_EQ(table_->GetPauseStatus(0), 0);
}

TEST_F(ProtocolLink, StartOfTestReachesTheStationAndTheResultReachesTheHandler) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 2));
  EXPECT_FALSE(Request(peer, Sot(1, 3, 2, "@TESTCNT=5@DISTANCE_TARGET=1.25"), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  EXPECT_EQ(Station().Starts()[0], (StartCall{1, 3, 2, 0}));
  EXPECT_EQ(table_->GetPara(2), 2);
  EXPECT_EQ(table_->GetTestCNT(2), 5);
  EXPECT_FLOAT_EQ(table_->GetDistance_Target(2), 1.25f);
  EXPECT_STREQ(table_->GetBarCodeData(2)->BCD, "BCD0001");

  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  auto sendStatus = Resolve<int (*)(int)>("SendStatus");
  int status = -1;
  std::thread site([&] {
    sendResult(2, 0, "PASS");
    status = sendStatus(2);
  });
  const auto result = OnOtherThread([&] { return peer.WaitFor('R', "RET", kWaitMs); });
  site.join();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, "$HCN00001RRET@RET=1@MSG=PASS@BCD=BCD0001@VCM=VCM0001");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(sendStatus(2), 0);

  // Ready again: the next start is taken, and the sequence starts over at 1.
  EXPECT_FALSE(Request(peer, Sot(0, 1), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 2; }));
  std::thread second([&] { sendResult(2, 2041, "FAIL"); });
  const auto failed = OnOtherThread([&] { return peer.WaitFor('R', "RET", kWaitMs); });
  second.join();
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(*failed, "$HCN00001RRET@RET=2041@MSG=FAIL@BCD=BCD0001@VCM=VCM0001");
}

// Packets of one server leave the pause apart, so the handler never gets two at once: two requests sent one
// after the other, each answered at once, reach the handler no closer together than the pause.
TEST_F(ProtocolLink, PacketsOfAServerLeaveThePauseApart) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  std::vector<std::chrono::steady_clock::time_point> arrivals;
  std::atomic<bool> done{false};
  std::thread handler([&] {
    while (!done.load()) {
      if (const auto packet = peer.ServeNext(10); packet && packet->find("FXY") != std::string::npos)
        arrivals.push_back(std::chrono::steady_clock::now());
    }
  });
  std::chrono::steady_clock::time_point firstAsked;
  EXPECT_EQ(OnOtherThread([&] {
              firstAsked = std::chrono::steady_clock::now();
              return table_->MoveXY(0, 1.0, 2.0, kWaitMs);
            }),
            1);
  EXPECT_EQ(OnOtherThread([&] { return table_->MoveXY(0, 3.0, 4.0, kWaitMs); }), 1);
  done = true;
  handler.join();
  ASSERT_EQ(arrivals.size(), 2u);
  // The first request left after it was asked, the second no sooner than the pause after the first: however
  // late the handler's thread saw either, the second arrived at least the pause after the first was asked.
  // Without the pause the two are one round trip apart.
  EXPECT_GE(arrivals[1] - firstAsked, protocol::kSendPause);
}

struct Refusal {
  const char* name;
  std::string request;
  std::string answer;
};

// Every request out of range is refused with its own answer, starts nothing, and the line goes on.
TEST_F(ProtocolLink, RequestsOutOfRangeAreRefusedAndTheLineGoesOn) {
  const std::string startFail = "@RET=0@MSG=Platform START FAIL";
  const std::vector<Refusal> refusals = {
      {"site beyond the configured sites", Sot(4, 0), startFail},
      {"negative site", Sot(-1, 0), startFail},
      {"huge site", HandlerPeer::CommandPacket(7, 'K', "SOT", "@Site=99999999999999@Usb=0"), startFail},
      {"board beyond 3", Sot(0, 4), startFail},
      {"negative board", Sot(0, -2), startFail},
      {"para out of range", Sot(0, 0, 99), startFail},
      {"dual right site out of range", Sot(0, 0, 0, "@DUAL=1@DUAL_SITE_L=0@DUAL_SITE_R=9"), startFail},
      {"dual right board out of range", Sot(0, 3, 0, "@DUAL=1@DUAL_SITE_L=0@DUAL_SITE_R=1"), startFail},
      {"standby with a bad site", HandlerPeer::CommandPacket(8, 'H', "SBY", "@Para=0@Site=12@Usb=0"), "@RET=0"},
      {"standby with a bad board", HandlerPeer::CommandPacket(8, 'H', "SBY", "@Para=0@Site=0@Usb=77"), "@RET=0"},
      {"clock with a short time", HandlerPeer::CommandPacket(9, 'S', "TIM", "@TIME=2024"),
       "@RET=0@MSG=LENGTH_FAIL@TIME=2024"},
  };
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  for (const auto& refusal : refusals) {
    EXPECT_EQ(Data(Request(peer, refusal.request)), refusal.answer) << refusal.name;
  }
  // Garbage, unknown commands and headers cut short are dropped without an answer.
  EXPECT_FALSE(Request(peer, "garbage\r\n$\r$THC1\r$THC00001ZZZZ@X=1\r", 200).has_value());
  EXPECT_TRUE(Station().Starts().empty());
  EXPECT_TRUE(Station().LogHas("0: Protocol - START FAIL"));
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(10, 'I', "IOT", ""))),
            "@RET=000@MSG=Platform Ready@TIME=00000000");
}

// The main program may refuse a start (while it loads its items): the handler hears of it at once and may
// start again.
TEST_F(ProtocolLink, StartThatTheStationRefusesIsAnsweredAsARefusalAndTheLineStaysReady) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  Station().startStatus = -1;
  EXPECT_EQ(Data(Request(peer, Sot(1, 1))), "@RET=0@MSG=Platform START FAIL");
  EXPECT_TRUE(Station().LogHas("1: Protocol - START FAIL"));
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(10, 'I', "IOT", ""))),
            "@RET=000@MSG=Platform Ready@TIME=00000000");

  Station().startStatus = 0;
  EXPECT_FALSE(Request(peer, Sot(1, 1), 200).has_value()) << "an accepted start is not answered";
  EXPECT_EQ(Station().Starts().size(), 2u);
}

TEST_F(ProtocolLink, StartWhileWorkingIsRefusedWithoutDisturbingTheRunningTest) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_FALSE(Request(peer, Sot(0, 0), 200).has_value());
  EXPECT_EQ(Data(Request(peer, Sot(1, 1))), "@RET=0@MSG=Platform START FAIL");
  EXPECT_EQ(Station().Starts().size(), 1u);
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(10, 'I', "IOT", ""))),
            "@RET=002@MSG=Platform Workiing..@TIME=00000000");
}

TEST_F(ProtocolLink, OversizedTextsAreCutToTheirFields) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  const std::string longBcd(30000, 'b');  // long, yet within one packet
  const std::string sot =
      HandlerPeer::CommandPacket(7, 'K', "SOT", "@Site=0@Usb=0@Para=0@BCD=" + longBcd + "@TIME=" + std::string(40, 't'));
  EXPECT_FALSE(Request(peer, sot, 300).has_value());
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  const BarCodeData* codes = table_->GetBarCodeData(0);
  EXPECT_EQ(std::string(codes->BCD), std::string(63, 'b'));
  EXPECT_EQ(std::string(codes->TIME), std::string(15, 't'));
}

TEST_F(ProtocolLink, LotIsMadeSafeBeforeItReachesThePanel) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_FALSE(Request(peer, HandlerPeer::CommandPacket(3, 'M', "LOT", "@LOT=../../x/LOT9\r\n"), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return !Station().PanelCommands().empty(); }));
  EXPECT_EQ(Station().PanelCommands()[0], "LOT_NUMBER,.._.._x_LOT9");
  EXPECT_TRUE(Station().LogHas("LotChange old : LOT-OLD new : .._.._x_LOT9"));
}

// A lot is new when it differs from the lot the station holds: repeated before the station took it (between
// tests), it is new again; once the station holds it, the same lot changes nothing. It reaches the panel
// whole each time.
TEST_F(ProtocolLink, ALotIsNewAgainstTheLotTheStationHolds) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  const std::string lot = "LOT-" + std::string(50, '7');
  const std::vector<std::pair<const char*, int>> steps = {{"LOT-OLD", 1}, {"LOT-OLD", 2}, {nullptr, 2}};
  int id = 4;
  for (const auto& [held, changes] : steps) {
    if (held == nullptr) port::CopyText(record_->m_szLotNumber, lot);
    EXPECT_FALSE(Request(peer, HandlerPeer::CommandPacket(id++, 'M', "LOT", "@LOT=" + lot), 200).has_value());
    ASSERT_TRUE(PumpUntil([&] { return Station().PanelCommands().size() == static_cast<std::size_t>(id - 4); }));
    EXPECT_EQ(Station().PanelCommands().back(), "LOT_NUMBER," + lot);
    EXPECT_EQ(Station().LogCount("LotChange old : LOT-OLD new : " + lot), changes) << "lot held: " << (held ? held : "new");
  }
}

TEST_F(ProtocolLink, SplitMergedAndUnterminatedPacketsOverTheWire) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  const std::string iot = HandlerPeer::CommandPacket(21, 'I', "IOT", "");
  const std::string eot = HandlerPeer::CommandPacket(22, 'K', "EOT", "@X=1");
  const auto answers = OnOtherThread([&] {
    std::vector<std::string> got;
    peer.SendRaw("$THC00020KEOT");  // never ends
    peer.SendRaw(iot.substr(0, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    peer.SendRaw(iot.substr(5) + eot);
    // The two answers may take long on a loaded machine; a third must not come.
    for (int expected = 0; expected < 2; ++expected) {
      const auto packet = peer.ReadPacket(5000);
      if (!packet) break;
      got.push_back(*packet);
    }
    while (auto packet = peer.ReadPacket(300)) got.push_back(*packet);
    return got;
  });
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], "$HBA00021IIOT@RET=000@MSG=Platform Ready@TIME=00000000");
  EXPECT_EQ(answers[1], "$HBA00022KEOT@X=1");
  EXPECT_EQ(Station().PanelCommands(), std::vector<std::string>{"STOP"});
}

TEST_F(ProtocolLink, ReconnectMidStreamLosesAndDuplicatesNothing) {
  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  auto sendStatus = Resolve<int (*)(int)>("SendStatus");
  {
    HandlerPeer first;
    ASSERT_TRUE(Connect(first, 0));
    OnOtherThread([&] {
      first.SendRaw(Sot(0, 0));
      first.SendRaw("$THC00030KS");  // cut off by the disconnect
      first.Close();
      return 0;
    });
  }
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  // The result of the test started before the drop finds no handler and is dropped; nothing breaks.
  std::thread site([&] {
    sendResult(0, 0, "PASS");
    sendStatus(0);
  });
  site.join();

  HandlerPeer second;
  ASSERT_TRUE(Connect(second, 0));
  EXPECT_FALSE(Request(second, Sot(1, 1), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 2; }));
  std::thread site2([&] { sendResult(0, 0, "PASS"); });
  const auto result = OnOtherThread([&] { return second.WaitFor('R', "RET", kWaitMs); });
  site2.join();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, "$HAN00001RRET@RET=1@MSG=PASS@BCD=BCD0001@VCM=VCM0001");
  EXPECT_FALSE(OnOtherThread([&] { return second.ReadPacket(200); }).has_value());
  EXPECT_EQ(Station().Starts(), (std::vector<StartCall>{{0, 0, 0, 0}, {1, 1, 0, 0}}));
}

TEST_F(ProtocolLink, DualResultIsSentOnceWhenBothSitesReportTogether) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 3));
  EXPECT_FALSE(Request(peer, Sot(0, 2, 0, "@DUAL=1@DUAL_SITE_L=2@DUAL_SITE_R=3"), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 2; }));
  EXPECT_EQ(Station().Starts(), (std::vector<StartCall>{{2, 2, 3, 0}, {3, 3, 3, 0}}));
  table_->SetDualResultCode(3, 7);
  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  auto sendStatus = Resolve<int (*)(int)>("SendStatus");
  std::atomic<int> go{0};
  std::vector<std::thread> sites;
  for (int i = 0; i < 2; ++i) {
    sites.emplace_back([&, i] {
      go.fetch_add(1);
      while (go.load() < 2) std::this_thread::yield();
      sendResult(3, i, "FAIL");
    });
  }
  const auto packets = OnOtherThread([&] {
    std::vector<std::string> got;
    while (auto packet = peer.ReadPacket(400)) got.push_back(*packet);
    return got;
  });
  for (auto& t : sites) t.join();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(Data(packets[0]), "@RET=7@MSG=FAIL@BCD=BCD0001@VCM=VCM0001");
  EXPECT_EQ(sendStatus(3), 2);
  EXPECT_EQ(sendStatus(3), 0);
}

struct SiteResult {
  int code;
  const char* message;
};
const SiteResult kPass{0, "PASS"};
const SiteResult kOverCurrent{108, "Current out of limit"};
const SiteResult kSensorNak{103, "Sensor register set fail"};

struct PairCase {
  const char* name;
  std::optional<int> earlierPairCode;  // a test item set it in the pair started before this one
  std::optional<int> itemCode;         // a test item sets it in this pair
  SiteResult first, second;            // in the order the two sites report
  std::string sent;                    // RET and MSG of the pair's one notice
};

// One notice per pair: the code a test item set for it, else the first failure of its two sites with that
// site's text, else the pass. A code set for an earlier pair is gone at the next dual start.
TEST_F(ProtocolLink, DualStartSendsTheItemsCodeOrTheFirstFailureOfItsSites) {
  const PairCase cases[] = {
      {"both pass", {}, {}, kPass, kPass, "@RET=1@MSG=PASS"},
      {"the second fails", {}, {}, kPass, kOverCurrent, "@RET=108@MSG=Current out of limit"},
      {"the first fails", {}, {}, kOverCurrent, kPass, "@RET=108@MSG=Current out of limit"},
      {"both fail", {}, {}, kOverCurrent, kSensorNak, "@RET=108@MSG=Current out of limit"},
      {"item code over the first failure", {}, 7, kOverCurrent, kPass, "@RET=7@MSG=PASS"},
      {"item code over the second failure", {}, 7, kPass, kOverCurrent, "@RET=7@MSG=Current out of limit"},
      {"item code 0 over a failure", {}, 0, kOverCurrent, kPass, "@RET=1@MSG=PASS"},
      {"earlier code over two passes", 7, {}, kPass, kPass, "@RET=1@MSG=PASS"},
      {"earlier code 0 over the first failure", 0, {}, kOverCurrent, kPass, "@RET=108@MSG=Current out of limit"},
      {"earlier code over the second failure", 7, {}, kPass, kOverCurrent, "@RET=108@MSG=Current out of limit"},
  };
  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  auto sendStatus = Resolve<int (*)(int)>("SendStatus");
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  // Starts a pair on server 1, lets the item set its code, reports both sites and returns the one notice.
  const auto runPair = [&](std::optional<int> itemCode, SiteResult first, SiteResult second) -> std::string {
    const std::size_t starts = Station().Starts().size();
    if (!OnOtherThread([&] { return peer.SendRaw(Sot(0, 0, 0, "@DUAL=1@DUAL_SITE_L=0@DUAL_SITE_R=1")); }) ||
        !PumpUntil([&] { return Station().Starts().size() == starts + 2; }))
      return "<not started>";
    if (itemCode) table_->SetDualResultCode(1, *itemCode);
    std::thread sites([&] {
      sendResult(1, first.code, first.message);
      EXPECT_EQ(sendStatus(1), 2) << "working until the pair is done";
      sendResult(1, second.code, second.message);
      EXPECT_EQ(sendStatus(1), 2);
    });
    const auto packets = OnOtherThread([&] {
      std::vector<std::string> got;
      while (auto packet = peer.ReadPacket(got.empty() ? kWaitMs : 200)) got.push_back(*packet);
      return got;
    });
    sites.join();
    EXPECT_EQ(sendStatus(1), 0) << "ready once the pair is done";
    if (packets.size() != 1) return port::Format("<%zu notices>", packets.size());
    const std::string data = Data(packets[0]);
    const std::string tail = "@BCD=BCD0001@VCM=VCM0001";
    return data.size() > tail.size() && data.ends_with(tail) ? data.substr(0, data.size() - tail.size()) : data;
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.earlierPairCode) {
      const std::string earlier = port::Format("@RET=%d@MSG=PASS", *c.earlierPairCode == 0 ? 1 : *c.earlierPairCode);
      ASSERT_EQ(runPair(c.earlierPairCode, kPass, kPass), earlier);
    }
    EXPECT_EQ(runPair(c.itemCode, c.first, c.second), c.sent);
  }
}

// The main program refuses the right site of a dual start and starts the left one: the handler hears of the
// refusal, then gets the left site's own result when it reports (whether it reports before or after the
// refusal is counted), and the line is ready for the next start.
TEST_F(ProtocolLink, DualStartWithOneSideRefusedStillEndsWithOneResultAndFreesTheLine) {
  auto sendResult = Resolve<void (*)(int, int, std::string)>("SendResultCode");
  auto sendStatus = Resolve<int (*)(int)>("SendStatus");
  const std::string pair = "@DUAL=1@DUAL_SITE_L=2@DUAL_SITE_R=3";
  for (const auto& [leftEndsFirst, left] : {std::pair{false, kPass}, std::pair{true, kPass},
                                             std::pair{false, kOverCurrent}, std::pair{true, kOverCurrent}}) {
    SCOPED_TRACE(leftEndsFirst ? "the left site ends before the right is refused" : "the left site ends later");
    SCOPED_TRACE(left.message);
    const std::string own = port::Format("@RET=%d@MSG=%s@BCD=BCD0001@VCM=VCM0001", left.code == 0 ? 1 : left.code,
                                         left.message);
    HandlerPeer peer;
    ASSERT_TRUE(Connect(peer, 3));
    Station().refusedSite = 3;
    Station().onStart = [&](const StartCall& call) {
      if (call.site != 3 || !leftEndsFirst) return;
      std::thread site([&] {
        sendResult(3, left.code, left.message);
        EXPECT_EQ(sendStatus(3), 2) << "the pair is not done yet";
      });
      site.join();
    };
    const auto packets = OnOtherThread([&] {
      std::vector<std::string> got;
      if (!peer.SendRaw(Sot(0, 2, 0, pair))) return got;
      if (auto refusal = peer.ReadPacket(kWaitMs)) got.push_back(*refusal);
      if (leftEndsFirst) {
        if (auto result = peer.ReadPacket(kWaitMs)) got.push_back(*result);
      }
      return got;
    });
    Station().onStart = nullptr;
    ASSERT_GE(packets.size(), 1u);
    EXPECT_EQ(Data(packets[0]), "@RET=0@MSG=Platform START FAIL");
    if (!leftEndsFirst) {
      std::thread site([&] {
        sendResult(3, left.code, left.message);
        EXPECT_EQ(sendStatus(3), 2);
      });
      const auto result = OnOtherThread([&] { return peer.ReadPacket(kWaitMs); });
      site.join();
      ASSERT_TRUE(result.has_value()) << "no result for the started site";
      EXPECT_EQ(Data(result), own);
    } else {
      ASSERT_EQ(packets.size(), 2u) << "no result for the started site";
      EXPECT_EQ(Data(packets[1]), own);
    }
    EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(10, 'I', "IOT", ""))),
              "@RET=000@MSG=Platform Ready@TIME=00000000");
    Station().refusedSite = -1;
    const std::size_t starts = Station().Starts().size();
    EXPECT_FALSE(Request(peer, Sot(0, 2, 0, pair), 200).has_value()) << "the next start is accepted";
    EXPECT_EQ(Station().Starts().size(), starts + 2);
    // The accepted pair ends as usual, so the next round starts from a ready line.
    std::thread sites([&] {
      sendResult(3, 0, "PASS");
      sendResult(3, 0, "PASS");
      sendStatus(3);
    });
    const auto last = OnOtherThread([&] { return peer.WaitFor('R', "RET", kWaitMs); });
    sites.join();
    EXPECT_TRUE(last.has_value());
  }
}

TEST_F(ProtocolLink, PauseIsConfirmedByATestItemOrTimesOut) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(40, 'K', "PAU", "@PauseStatus=1"))),
            "@RET=10@Status=0@MSG=IS_NOT_WORKING");
  EXPECT_FALSE(Request(peer, Sot(0, 0), 200).has_value());
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(41, 'K', "PAU", "@PauseStatus=1@TIMEOUT_SEC=0"))),
            "@RET=3@Status=0@MSG=PAUSE_SET_TIMEOUT");
  std::thread item([&] {
    while (table_->GetPauseStatus(0) != 1) std::this_thread::yield();
    EXPECT_EQ(table_->SetPauseStatus(0, 2), 1);
  });
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(42, 'K', "PAU", "@PauseStatus=1@TIMEOUT_SEC=30"), 4000)),
            "@RET=1@Status=2@MSG=TESTER_PAUSE_STATUS_PAUSE_OK");
  item.join();
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(43, 'K', "PAU", "@PauseStatus=0"))),
            "@RET=1@Status=0@MSG=TESTER_PAUSE_STATUS_READY");
}

// HOF asks the focus library in Cycle home and answers its result; a library that is missing is logged and
// not answered. (A library stays loaded once loaded, so each test has its own.)
TEST_F(ProtocolLink, FocusHomeAnswersTheLibrarysResult) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(50, 'K', "HOF", ""), 300)), "<none>");
  EXPECT_TRUE(Station().LogHas("QRV_InterFace_AutoFocus Null pointer"));
  std::filesystem::create_directories(folder_ / "Cycle");
  std::filesystem::copy_file(AUTOFOCUS_WITH_HOME, folder_ / "Cycle" / "QRV_InterFace_AutoFocus.dll");
  EXPECT_EQ(Data(Request(peer, HandlerPeer::CommandPacket(51, 'K', "HOF", ""))), "@RET=7");
  EXPECT_TRUE(Station().LogHas("AutoFocus Move_Home : Ret=7"));
}

// A focus library without Move_Home: nothing more happens, no answer and no line.
TEST_F(ProtocolLink, FocusHomeWithoutMoveHomeDoesNothing) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  std::filesystem::create_directories(folder_ / "Cycle");
  std::filesystem::copy_file(AUTOFOCUS_WITHOUT_HOME, folder_ / "Cycle" / "QRV_InterFace_AutoFocus.dll");
  const std::string hof = HandlerPeer::CommandPacket(52, 'K', "HOF", "");
  EXPECT_EQ(Data(Request(peer, hof, 500)), "<none>");
  EXPECT_TRUE(Station().LogHas(hof.substr(0, hof.size() - 1)));
  EXPECT_FALSE(Station().LogHas("AutoFocus"));
}

// What the handler sent behind a request still in hand goes with its connection when it closes: the pause
// in hand ends as it would, the lot behind it is never handled.
TEST_F(ProtocolLink, PacketsStillQueuedWhenTheHandlerClosesAreDropped) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_FALSE(Request(peer, Sot(0, 0), 200).has_value());
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(45, 'K', "PAU", "@PauseStatus=1@TIMEOUT_SEC=2")); });
  ASSERT_TRUE(PumpUntil([&] { return table_->GetPauseStatus(0) == 1; }));
  OnOtherThread([&] {
    peer.SendRaw(HandlerPeer::CommandPacket(46, 'M', "LOT", "@LOT=LOT-QUEUED"));
    peer.Close();
    return 0;
  });
  ASSERT_TRUE(PumpUntil([] { return Station().LogHas("Paus Timeout"); }));
  PumpUntil([] { return !Station().PanelCommands().empty(); }, 500);
  EXPECT_TRUE(Station().PanelCommands().empty());
  EXPECT_FALSE(Station().LogHas("LOT-QUEUED"));
}

TEST_F(ProtocolLink, UnloadEndsAWorkerThatIsWaitingForAPause) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_FALSE(Request(peer, Sot(0, 0), 200).has_value());
  EXPECT_FALSE(Request(peer, HandlerPeer::CommandPacket(44, 'K', "PAU", "@PauseStatus=1@TIMEOUT_SEC=600"), 100)
                   .has_value());
  ASSERT_TRUE(PumpUntil([&] { return table_->GetPauseStatus(0) == 1; }));
  const auto start = std::chrono::steady_clock::now();
  Resolve<LoadOnDelete_Fn>("Load_OnDelete")(record_.get());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace protocol_test
