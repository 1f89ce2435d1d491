// Stopping the servers ahead of an ordered shutdown, and servers whose settings are wrong.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHostAddress>
#include <QListWidget>
#include <QTcpServer>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "port/message_box.h"
#include "protocol_station_fixture.h"

namespace protocol_test {
namespace {

using handler::AckBehaviour;
using handler::HandlerPeer;

using ServerStop = ProtocolStation;

// The station's shutdown: the servers stop while an item waits for the handler; the item's request ends
// at once with its failure value, the item may go on calling the table (every entry fails), and the
// library unloads cleanly once the item is done.
TEST_F(ServerStop, StopEndsAWaitingRequestAndTheTableStaysCallableUntilUnload) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  peer.SetBehaviour('F', "FMC", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  MesRecord* mes = table_->GetMesData(0);
  ASSERT_NE(mes, nullptr);

  std::atomic<bool> requested{false};
  std::atomic<bool> stopped{false};
  auto item = std::async(std::launch::async, [&] {
    requested = true;
    const int moved = table_->MoveCylinder(0, 1, 60000);
    while (!stopped.load()) std::this_thread::yield();
    // After the stop, as an item's Item_OnDelete would: every entry gives its failure value, and the
    // records read before stay readable.
    const bool failing = table_->GetPara(0) == -1 && table_->MoveXY(0, 1.0, 1.0, 60000) == 0 &&
                         table_->GetMesData(0) == nullptr && mes->LOT[sizeof mes->LOT - 1] == '\0';
    return std::make_pair(moved, failing);
  });
  ASSERT_TRUE(OnOtherThread([&] { return peer.WaitFor('F', "FMC", kWaitMs).has_value(); }));
  const auto started = std::chrono::steady_clock::now();
  Resolve<LoadOnDelete_Fn>("StopProtocolServers")(record_.get());
  stopped = true;
  ASSERT_TRUE(PumpUntil([&] { return item.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_EQ(item.get(), std::make_pair(0, true));
  // The handler sees its connection closed, and nothing listens any more.
  EXPECT_FALSE(OnOtherThread([&] { return peer.ReadPacket(1000).has_value(); }));
  HandlerPeer late;
  EXPECT_FALSE(OnOtherThread([&] { return late.Connect("127.0.0.1", ports_[0], 500); }));
  EXPECT_TRUE(Station().LogHas("MoveCylinder Start"));
  EXPECT_FALSE(Station().LogHas("MoveCylinder fail - timeout!"));
}

// A result after the stop finds no server: the status list says so, and nothing else is written.
TEST_F(ServerStop, AResultAfterTheStopLeavesOnlyTheStatusLine) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(3, 'K', "SOT", "@Site=1@Usb=1@Para=1")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  Resolve<LoadOnDelete_Fn>("StopProtocolServers")(record_.get());
  std::thread site([&] { Resolve<void (*)(int, int, std::string)>("SendResultCode")(1, 2041, "FAIL"); });
  site.join();
  QListWidget* status = nullptr;
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->objectName() == "4017") status = qobject_cast<QListWidget*>(widget);
  }
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(PumpUntil([&] {
    return status->count() > 0 && status->item(status->count() - 1)->text() == "Protocol Server Create fail [Server : B]";
  }));
  EXPECT_FALSE(Station().LogHas("2041"));
  EXPECT_EQ(Resolve<int (*)(int)>("SendStatus")(1), 0);
}

// A port text that is no port never listens where nobody looks: it is refused, and a server that does not
// listen says why on standard error and in the platform error log. A server that listens says where in its
// status list and the site log only, so the platform error log does not come up over the site views.
TEST_F(ServerStop, PortTextsThatAreNoPortAreRefusedAndReported) {
  testing::internal::CaptureStderr();
  ReloadWithPorts({"T", "70000", std::to_string(ports_[2]), "4294967297"});
  const std::string stderrText = testing::internal::GetCapturedStderr();
  struct Expected {
    int server;
    bool listening;
    std::string line;
  };
  const std::vector<Expected> cases = {
      {0, false, "Protocol Server A not listening : Port [T] not a port number from 1 to 65535"},
      {1, false, "Protocol Server B not listening : Port [70000] not a port number from 1 to 65535"},
      {2, true, "Protocol Server C listening on port " + std::to_string(ports_[2])},
      {3, false, "Protocol Server D not listening : Port [4294967297] not a port number from 1 to 65535"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table_->GetPara(c.server) != -1, c.listening) << c.line;
    EXPECT_EQ(Station().ErrorLogHas(c.line), !c.listening) << c.line;
    EXPECT_EQ(stderrText.find(c.line) != std::string::npos, !c.listening) << c.line;
    EXPECT_EQ(Station().LogHas("2: " + c.line), c.listening) << "site C's log: " << c.line;
  }
  HandlerPeer peer;
  EXPECT_TRUE(Connect(peer, 2));
}

// A row without a port or a site code is a server the station does not use: nothing starts and nothing is
// reported, while the rows filled in start as usual.
TEST_F(ServerStop, AnEmptyPortOrSiteCodeStartsNothingAndReportsNothing) {
  const auto texts = PortTexts();
  {
    const std::lock_guard lock(Station().mutex);
    Station().logLines.clear();
  }
  testing::internal::CaptureStderr();
  ReloadWithPorts({"", texts[1], texts[2], texts[3]}, "", {"A", "", "C", "D"});
  const std::string stderrText = testing::internal::GetCapturedStderr();
  EXPECT_EQ(stderrText, "");
  {
    const std::lock_guard lock(Station().mutex);
    EXPECT_TRUE(Station().errorLogLines.empty()) << Station().errorLogLines.front();
  }
  for (const auto& box : port::ShownMessageBoxes()) ADD_FAILURE() << box.text;
  EXPECT_FALSE(Station().LogHas("Protocol Server A"));
  EXPECT_FALSE(Station().LogHas("Protocol Server B"));
  EXPECT_TRUE(Station().LogHas("Protocol Server C listening on port " + texts[2]));
  EXPECT_EQ(table_->GetPara(0), -1);
  EXPECT_EQ(table_->GetPara(1), -1);
  EXPECT_NE(table_->GetPara(3), -1);
  HandlerPeer peer;
  EXPECT_FALSE(OnOtherThread([&] { return peer.Connect("127.0.0.1", ports_[1], 300); }));
}

TEST_F(ServerStop, APortThatIsTakenIsReportedWithItsReason) {
  Resolve<LoadOnDelete_Fn>("Load_OnDelete")(record_.get());
  QTcpServer other;
  ASSERT_TRUE(other.listen(QHostAddress::Any, static_cast<quint16>(ports_[0])));
  table_ = Resolve<LoadProtocol_Fn>("Load_Protocol")(record_.get(), &module_);
  EXPECT_EQ(table_->GetPara(0), -1);
  EXPECT_NE(table_->GetPara(1), -1);
  EXPECT_TRUE(Station().ErrorLogHas("Protocol Server A not listening : Port [" + std::to_string(ports_[0]) + "] "));
}

}  // namespace
}  // namespace protocol_test
