// The library's windows, offscreen: the protocol dialog and the packet monitor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <thread>

#include "port/ini.h"
#include "protocol_packet.h"
#include "protocol_station_fixture.h"
#include "qrv_test/free_ports.h"
#include "qrv_test/screenshot.h"

namespace protocol_test {
namespace {

using handler::AckBehaviour;
using handler::HandlerPeer;

std::string Body(const std::optional<std::string>& packet) {
  return packet && packet->size() > 9 ? packet->substr(9) : "<none>";
}

class ProtocolWindow : public ProtocolStation {
 protected:
  QWidget* Window(const char* name) {
    for (QWidget* widget : QApplication::allWidgets()) {
      if (widget->objectName() == name && widget->isWindow()) return widget;
    }
    return nullptr;
  }
  QWidget* ShowDialog() {
    Resolve<void (*)()>("OnSpecDlg")();
    QWidget* dialog = Window("CProtocolDlg");
    if (dialog) PumpUntil([dialog] { return dialog->isVisible(); });
    return dialog;
  }
  template <typename T>
  T* Child(QWidget* window, const char* id) {
    return window->findChild<T*>(id);
  }
  void SendResult(int server, int code, const char* message) {
    std::thread site([&] { Resolve<void (*)(int, int, std::string)>("SendResultCode")(server, code, message); });
    site.join();
  }
};

// A port typed into the server list takes effect at "Connect": the handler finds the server on the new
// port, and a test that was running when the server closed reports its result on the new link.
TEST_F(ProtocolWindow, ChangesAPortAndTheHandlerConnectsToTheNewOne) {
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  auto* servers = Child<QTableWidget>(dialog, "4028");
  ASSERT_NE(servers, nullptr);
  EXPECT_EQ(servers->item(0, 2)->text().toStdString(), std::to_string(ports_[0]));
  EXPECT_EQ(servers->item(0, 3)->text(), "A");
  auto* connectA = Child<QPushButton>(dialog, "ConnectA");
  auto* closeA = Child<QPushButton>(dialog, "CloseA");
  EXPECT_FALSE(connectA->isEnabled());
  EXPECT_TRUE(closeA->isEnabled());

  HandlerPeer old;
  ASSERT_TRUE(Connect(old, 0));
  OnOtherThread([&] { return old.SendRaw(HandlerPeer::CommandPacket(4, 'K', "SOT", "@Site=0@Usb=0@Para=0@BCD=RUN1")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));

  const int newPort = qrv::test::FreeLoopbackPorts(1).at(0);
  servers->item(0, 2)->setText(QString("%1x").arg(newPort));  // a stray letter is dropped as it is typed
  EXPECT_EQ(servers->item(0, 2)->text().toStdString(), std::to_string(newPort));
  closeA->click();
  EXPECT_TRUE(connectA->isEnabled());
  EXPECT_FALSE(closeA->isEnabled());
  connectA->click();
  EXPECT_FALSE(connectA->isEnabled());

  HandlerPeer moved;
  ASSERT_TRUE(OnOtherThread([&] { return moved.Connect("127.0.0.1", newPort, kWaitMs); }));
  ASSERT_TRUE(OnOtherThread([&] { return moved.SendCommand('I', "IOT", "") && moved.WaitFor('I', "IOT", kWaitMs); }));
  SendResult(0, 0, "PASS");
  EXPECT_EQ(Body(OnOtherThread([&] { return moved.WaitFor('R', "RET", kWaitMs); })),
            "RRET@RET=1@MSG=PASS@BCD=RUN1@VCM=0");
  auto* status = Child<QListWidget>(dialog, "4016");
  ASSERT_TRUE(PumpUntil([&] { return status->count() > 0 && status->item(status->count() - 1)->text().startsWith("Protocol Server A listening"); }));
  std::vector<std::string> lines;
  for (int i = 0; i < status->count(); ++i) lines.push_back(status->item(i)->text().toStdString());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Server Close"), lines.end());
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog, "protocol_dlg").empty());
}

// "Send" hands a typed packet to the chosen server as if its handler had sent it: a start out of range is
// refused, a status inquiry is answered on the real connection; below engineer level nothing is sent.
TEST_F(ProtocolWindow, InjectedPacketsGoThroughTheSameChecksAsTheHandlers) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  auto* text = Child<QLineEdit>(dialog, "4004");
  auto* server = Child<QComboBox>(dialog, "4012");
  auto* send = Child<QPushButton>(dialog, "4005");
  EXPECT_FALSE(send->isEnabled());
  EXPECT_FALSE(text->isEnabled());

  record_->m_nLoginLevel = 2;
  ShowDialog();
  ASSERT_TRUE(send->isEnabled());
  EXPECT_TRUE(text->isEnabled());
  EXPECT_TRUE(server->isEnabled());
  EXPECT_FALSE(Child<QCheckBox>(dialog, "4021")->isEnabled()) << "set by the login level at load only";
  server->setCurrentIndex(1);
  text->setText("$THC00031KSOT@Site=9@Usb=0@Para=0");
  send->click();
  EXPECT_EQ(Body(OnOtherThread([&] { return peer.ReadPacket(kWaitMs); })), "KSOT@RET=0@MSG=Platform START FAIL");
  text->setText("$THC00032IIOT");
  send->click();
  EXPECT_EQ(Body(OnOtherThread([&] { return peer.ReadPacket(kWaitMs); })),
            "IIOT@RET=000@MSG=Platform Ready@TIME=00000000");
  EXPECT_TRUE(Station().Starts().empty());
  // A server that is not open says so in its status list.
  Resolve<LoadOnDelete_Fn>("StopProtocolServers")(record_.get());
  server->setCurrentIndex(2);
  send->click();
  auto* tabs = Child<QTabWidget>(dialog, "4047");
  tabs->setCurrentIndex(2);
  auto* status = Child<QListWidget>(dialog, "4018");
  ASSERT_TRUE(PumpUntil([&] { return status->count() > 0 && status->item(status->count() - 1)->text() == "Send fail : Server C is not open"; }));
}

// "Send" hands the typed text on as one packet, '$' in its data and all, as the handler's packet would be
// handled; typing is no traffic of the link, so the packet log and the status list get no line of it.
TEST_F(ProtocolWindow, SendHandsTheTextOnAsOnePacketWithoutAPacketLogLine) {
  record_->m_nLoginLevel = 2;
  ReloadWithPorts(PortTexts(), "PACKET_SAVE=1\n");
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 1));
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  Child<QComboBox>(dialog, "4012")->setCurrentIndex(1);
  Child<QLineEdit>(dialog, "4004")->setText("$THC00033MLOT@LOT=A$B");
  Child<QPushButton>(dialog, "4005")->click();
  ASSERT_TRUE(PumpUntil([] { return !Station().PanelCommands().empty(); }));
  EXPECT_EQ(Station().PanelCommands(), std::vector<std::string>{"LOT_NUMBER,A$B"});
  auto* status = Child<QListWidget>(dialog, "4017");
  ASSERT_TRUE(PumpUntil([&] { return status->count() > 0; }));
  for (int row = 0; row < status->count(); ++row) {
    EXPECT_FALSE(status->item(row)->text().contains("MLOT")) << status->item(row)->text().toStdString();
  }
}

// An item's entry that finds its server closed brings the window to the front, where its status list says so;
// the window is neither shown nor moved by it.
TEST_F(ProtocolWindow, AnEntryOnAClosedServerBringsTheWindowToTheFront) {
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->hide();
  const QRect placed = dialog->geometry();
  std::atomic<int> raised{0};
  struct RaiseCounter : QObject {
    std::atomic<int>& count;
    explicit RaiseCounter(std::atomic<int>& c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::ZOrderChange) ++count;
      return false;
    }
  } counter(raised);
  dialog->installEventFilter(&counter);

  const auto sendStatus = [&] { OnOtherThread([&] { return Resolve<prototable::SendStatus_Fn>("SendStatus")(1); }); };
  sendStatus();
  QCoreApplication::processEvents();
  EXPECT_EQ(raised.load(), 0) << "an open server leaves the window where it is";
  Child<QPushButton>(dialog, "CloseB")->click();
  sendStatus();
  EXPECT_TRUE(PumpUntil([&] { return raised.load() > 0; }));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->geometry(), placed);
  auto* status = Child<QListWidget>(dialog, "4017");
  ASSERT_TRUE(PumpUntil([&] {
    return status->count() > 0 && status->item(status->count() - 1)->text() == "Protocol Server Create fail [Server : B]";
  }));
  dialog->removeEventFilter(&counter);
}

TEST_F(ProtocolWindow, DebugModeShowsTheSequencesAndSavesThem) {
  Station().protocolDebug = 1;
  record_->m_nLoginLevel = 2;
  ReloadWithPorts(PortTexts(), "PACKET_SAVE=1\n[SIMUL_SEQUENEC_B]\nSEQ_COUNT=2\n0=Sleep@10\n1=MoveXY@3000,X=10,Y=10\n");
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  auto* simulation = Child<QCheckBox>(dialog, "4045");
  EXPECT_TRUE(simulation->isVisible());
  EXPECT_TRUE(Child<QCheckBox>(dialog, "4021")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(dialog, "4021")->isEnabled()) << "an engineer at load may switch the packet log";
  auto* tabs = Child<QTabWidget>(dialog, "4042");
  ASSERT_TRUE(tabs->isVisible());
  tabs->setCurrentIndex(1);
  auto* listB = Child<QTableWidget>(dialog, "13001");
  ASSERT_EQ(listB->rowCount(), 2);
  Child<QComboBox>(dialog, "4044")->setCurrentText("ReturnCode");
  Child<QPushButton>(dialog, "4038")->click();
  listB->selectRow(2);
  Child<QPushButton>(dialog, "4040")->click();  // Up: the new row before MoveXY
  // A value typed in place is stored in capitals, whatever case it was typed in.
  EXPECT_EQ(listB->columnWidth(1), 210);
  listB->editItem(listB->item(0, 1));
  auto* editor = listB->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  for (const auto& [key, text] : {std::pair{Qt::Key_2, "2"}, {Qt::Key_0, "0"}, {Qt::Key_Comma, ","}, {Qt::Key_X, "x"}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
  }
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  EXPECT_TRUE(PumpUntil([&] { return listB->item(0, 1)->text() == "20,X"; })) << listB->item(0, 1)->text().toStdString();
  Child<QPushButton>(dialog, "4020")->click();  // Save
  const std::string ini = (folder_ / "Ref" / "Model" / "Protocol.ini").string();
  EXPECT_EQ(port::ini::ReadString(ini, "SIMUL_SEQUENEC_B", "SEQ_COUNT", ""), "3");
  EXPECT_EQ(port::ini::ReadString(ini, "SIMUL_SEQUENEC_B", "0", ""), "Sleep@20,X");
  EXPECT_EQ(port::ini::ReadString(ini, "SIMUL_SEQUENEC_B", "1", ""), "ReturnCode@3");
  EXPECT_EQ(port::ini::ReadString(ini, "SIMUL_SEQUENEC_B", "2", ""), "MoveXY@3000,X=10,Y=10");
  EXPECT_EQ(port::ini::ReadString(ini, "PROTOCOL", "PORT_B", ""), std::to_string(ports_[1]));
  EXPECT_EQ(port::ini::ReadString(ini, "FTP", "ACCOUNT", ""), "administrator");
  EXPECT_FALSE(qrv::test::SaveScreenshot(*dialog, "protocol_dlg_debug").empty());
}

TEST_F(ProtocolWindow, WithoutDebugModeSimulationModeIsHiddenAndSavedOff) {
  ReloadWithPorts(PortTexts(), "SIMULATION_MODE=1\n");
  QWidget* dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(Child<QCheckBox>(dialog, "4045")->isVisible());
  EXPECT_FALSE(Child<QTabWidget>(dialog, "4042")->isVisible());
  Child<QPushButton>(dialog, "4020")->click();
  EXPECT_EQ(port::ini::ReadString((folder_ / "Ref" / "Model" / "Protocol.ini").string(), "PROTOCOL", "SIMULATION_MODE", ""),
            "0");
}

// The monitor pairs each Command with its Ack; once the result is sent, the one the handler left
// unanswered is painted red.
TEST_F(ProtocolWindow, MonitorPairsEveryCommandWithItsAckAndMarksAnUnansweredOne) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  peer.SetBehaviour('F', "FMC", {AckBehaviour::Kind::Silent, 0, std::nullopt});
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(7, 'K', "SOT", "@Site=0@Usb=0@Para=0")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  std::atomic<bool> done{false};
  std::thread handler([&] {
    while (!done.load()) {
      if (auto packet = peer.ServeNext(10); packet && Body(packet).rfind("RRET", 0) == 0) peer.Acknowledge(*packet, "");
    }
  });
  EXPECT_EQ(OnOtherThread([&] { return table_->MoveXY(0, 1.0, 2.0, kWaitMs); }), 1);
  EXPECT_EQ(OnOtherThread([&] { return table_->MoveCylinder(0, 1, 100); }), 0);
  EXPECT_EQ(OnOtherThread([&] { return table_->MoveFocusZ(0, 1, 0.5, kWaitMs); }), 1);
  SendResult(0, 0, "PASS");

  Resolve<void (*)()>("OnSpecDlg")();
  QWidget* monitor = Window("CAckDlg");
  ASSERT_NE(monitor, nullptr);
  monitor->show();
  auto* sent = Child<QTableWidget>(monitor, "8000");
  // Wait for the handler's Ack of the result notice.
  ASSERT_TRUE(PumpUntil([&] { return sent->rowCount() == 4 && !sent->item(3, 6)->text().isEmpty(); }));
  done = true;
  handler.join();
  struct Row {
    std::string type, ext, id, ack;
    bool red;
  };
  std::vector<Row> rows;
  for (int r = 0; r < sent->rowCount(); ++r) {
    rows.push_back({sent->item(r, 2)->text().toStdString(), sent->item(r, 4)->text().toStdString(),
                    sent->item(r, 5)->text().toStdString(), sent->item(r, 6)->text().toStdString(),
                    sent->item(r, 0)->background().color() == QColor(255, 0, 0)});
  }
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ((std::vector<std::string>{rows[0].ext, rows[1].ext, rows[2].ext, rows[3].ext}),
            (std::vector<std::string>{"FXY", "FMC", "FLZ", "RET"}));
  for (const auto& row : {rows[0], rows[2], rows[3]}) {
    EXPECT_EQ(row.ack, row.id) << row.ext;
    EXPECT_FALSE(row.red) << row.ext;
  }
  EXPECT_EQ(rows[1].ack, "");
  EXPECT_TRUE(rows[1].red);
  // Acks are no rows of their own: the received list holds the start alone, answered by no Ack.
  auto* received = Child<QTableWidget>(monitor, "7000");
  ASSERT_EQ(received->rowCount(), 1);
  EXPECT_EQ(received->item(0, 4)->text(), "SOT");
  EXPECT_EQ(received->item(0, 6)->text(), "");
  EXPECT_FALSE(qrv::test::SaveScreenshot(*monitor, "protocol_ack_dlg").empty());

  // A click on the "Ext" header orders the rows by it, and the order holds when the lists are filled again.
  QHeaderView* header = sent->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, header->height() / 2);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &click);
  }
  const auto column = [&](int c) {
    std::vector<std::string> cells;
    for (int r = 0; r < sent->rowCount(); ++r) cells.push_back(sent->item(r, c)->text().toStdString());
    return cells;
  };
  const std::vector<std::string> sorted{"FLZ", "FMC", "FXY", "RET"};
  EXPECT_EQ(column(4), sorted);
  auto* server = Child<QComboBox>(monitor, "4033");
  server->setCurrentIndex(1);
  server->setCurrentIndex(0);
  EXPECT_EQ(column(4), sorted);
  EXPECT_TRUE(sent->item(1, 0)->background().color() == QColor(255, 0, 0)) << "the unanswered row keeps its mark";
}

// A second start while the first test runs is refused; the monitor keeps the running test's rows and adds the
// refused start, answered, below them.
TEST_F(ProtocolWindow, ARefusedStartLeavesTheRunningTestsMonitorRows) {
  HandlerPeer peer;
  ASSERT_TRUE(Connect(peer, 0));
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(7, 'K', "SOT", "@Site=0@Usb=0@Para=0")); });
  ASSERT_TRUE(PumpUntil([] { return Station().Starts().size() == 1; }));
  OnOtherThread([&] { return peer.SendRaw(HandlerPeer::CommandPacket(8, 'K', "SOT", "@Site=0@Usb=0@Para=0")); });
  EXPECT_EQ(Body(OnOtherThread([&] { return peer.ReadPacket(kWaitMs); })), "KSOT@RET=0@MSG=Platform START FAIL");

  Resolve<void (*)()>("OnSpecDlg")();
  QWidget* monitor = Window("CAckDlg");
  ASSERT_NE(monitor, nullptr);
  monitor->show();
  auto* received = Child<QTableWidget>(monitor, "7000");
  ASSERT_TRUE(PumpUntil([&] { return received->rowCount() == 2 && !received->item(1, 6)->text().isEmpty(); }));
  EXPECT_EQ(received->item(0, 5)->text().toInt(), 7) << "the running test's start is still there";
  EXPECT_TRUE(received->item(0, 6)->text().isEmpty());
  EXPECT_EQ(received->item(1, 5)->text().toInt(), 8);
  EXPECT_EQ(received->item(1, 6)->text(), received->item(1, 5)->text()) << "the refusal answered it";
  EXPECT_EQ(Station().Starts().size(), 1u);
  EXPECT_FALSE(qrv::test::SaveScreenshot(*monitor, "protocol_ack_dlg_refused_start").empty());
}

}  // namespace
}  // namespace protocol_test
