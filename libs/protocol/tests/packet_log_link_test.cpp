// The packet log of a run with the handler peer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "port/clock.h"
#include "port/text.h"
#include "protocol_station_fixture.h"

namespace protocol_test {
namespace {

using handler::HandlerPeer;

using PacketLogRun = ProtocolStation;

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every packet received and sent is in the day's file of its server, one line each, the received ones
// as the blocks came (control bytes escaped) and the sent ones without their '\r'.
TEST_F(PacketLogRun, HoldsEveryPacketSentAndReceivedOneLineEach) {
  ReloadWithPorts(PortTexts(), "PACKET_SAVE=1\n");
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  const std::string sot = HandlerPeer::CommandPacket(2, 'K', "SOT", "@Site=1@Usb=1@Para=1@BCD=B7@VCM=V7");
  OnOtherThread([&] { return peer.SendRaw(sot); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  std::thread site([&] { Resolve<void (*)(int, int, std::string)>("SendResultCode")(1, 0, "PASS"); });
  site.join();
  ASSERT_TRUE(OnOtherThread([&] { return peer.WaitFor('R', "RET", kWaitMs).has_value(); }));
  peer.Close();
  const auto today = port::clock::NowLocal();
  const auto file = folder_ / "Log" / "ProtocolPacket" / port::Format("%04d", today.year) /
                    port::Format("%02d", today.month) /
                    port::Format("PacketLog_%04d_%02d_%02d_B.txt", today.year, today.month, today.day);
  ASSERT_TRUE(PumpUntil([&] { return ReadAll(file).find("Client Close :: Port") != std::string::npos; }));
  const std::string text = ReadAll(file);
  const std::vector<std::string> expected = {
      "] Client Accept :: Port " + std::to_string(ports_[1]) + "\r\n",
      "] $THC00001IIOT\\r\r\n",
      "] $HBA00001IIOT@RET=000@MSG=Platform Ready@TIME=00000000\r\n",
      "] " + sot.substr(0, sot.size() - 1) + "\\r\r\n",
      "] $HBN00001RRET@RET=1@MSG=PASS@BCD=B7@VCM=V7\r\n",
      "] Client Close :: Port " + std::to_string(ports_[1]) + "\r\n",
  };
  std::size_t at = 0;
  for (const auto& line : expected) {
    const std::size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << "\nin:\n" << text;
    at = found + line.size();
  }
  // Nothing but these lines: each line is one packet or one connection event.
  std::size_t lines = 0;
  for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
  EXPECT_EQ(lines, expected.size()) << text;
  // The same lines are in server B's status list of the dialog.
  QListWidget* status = nullptr;
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->objectName() == "4017") status = qobject_cast<QListWidget*>(widget);
  }
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return status->count() >= static_cast<int>(expected.size()); }));
  EXPECT_TRUE(status->item(status->count() - 2)->text().endsWith("] $HBN00001RRET@RET=1@MSG=PASS@BCD=B7@VCM=V7"));
}

// A connection the station closes itself (its server closed) is logged as closed, as one the handler closes.
TEST_F(PacketLogRun, AConnectionClosedWithItsServerIsLoggedAsClosed) {
  ReloadWithPorts(PortTexts(), "PACKET_SAVE=1\n");
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 2));
  Resolve<LoadOnDelete_Fn>("StopProtocolServers")(record_.get());
  const auto today = port::clock::NowLocal();
  const auto file = folder_ / "Log" / "ProtocolPacket" / port::Format("%04d", today.year) /
                    port::Format("%02d", today.month) /
                    port::Format("PacketLog_%04d_%02d_%02d_C.txt", today.year, today.month, today.day);
  EXPECT_NE(ReadAll(file).find("] Client Close :: Port " + std::to_string(ports_[2]) + "\r\n"), std::string::npos)
      << ReadAll(file);
}

// A packet log that cannot be written loses its lines without a word: the site log holds the packets only.
TEST_F(PacketLogRun, AnUnwritableLogFolderWritesNothingElse) {
  ReloadWithPorts(PortTexts(), "PACKET_SAVE=1\n");
  std::filesystem::remove_all(folder_ / "Log");
  std::ofstream(folder_ / "Log") << "x";
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_TRUE(Station().LogHas("$THC00001IIOT"));
  EXPECT_FALSE(Station().LogHas("Packet log"));
}

TEST_F(PacketLogRun, NothingIsWrittenWithoutPacketLogSave) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Log" / "ProtocolPacket"));
}

}  // namespace
}  // namespace protocol_test
