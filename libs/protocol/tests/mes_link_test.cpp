// The handler's MES data and NVM requests over loopback: the record the items read, MES.ini, the lot
// passed to the site panel, and the answers the handler gets.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableWidget>

#include <fstream>

#include "port/ini.h"
#include "protocol_packet.h"
#include "protocol_station_fixture.h"
#include "qrv_test/screenshot.h"

namespace protocol_test {
namespace {

using handler::HandlerPeer;

std::string Data(const std::optional<std::string>& packet) {
  return packet ? std::string(protocol::ProtocolPacket(*packet).Data()) : "<none>";
}

class MesData : public ProtocolStation {
 protected:
  void SetUp() override {
    ProtocolStation::SetUp();
    ASSERT_TRUE(Connect(peer_, 1));
  }
  std::string MesIni(const char* key) {
    return port::ini::ReadString((folder_ / "Ref" / "Model" / "MES.ini").string(), "MES_DATA", key, "<missing>");
  }
  HandlerPeer peer_;
};

TEST_F(MesData, MesPacketFillsTheRecordMesIniAndTheLot) {
  const MesRecord* mes = table_->GetMesData(1);
  ASSERT_NE(mes, nullptr);
  EXPECT_STREQ(mes->LOT, "NULL");
  EXPECT_STREQ(mes->GROUP[9].STIFFENER, "NULL");
  EXPECT_EQ(mes->TEST_MODE, 1);

  const std::string fields = "@LOT=LOT123@EQUIPMENT=EQ-7@BCD_Length=12@BCD_PosNo_4=9@TEST_MODE=0@LENSID3=LNS3"
                             "@SWVERSION=" + std::string(40, 'v') + "@VENDOR_NOTE=abc";
  const auto ack = Request(peer_, HandlerPeer::CommandPacket(61, 'M', "MES", fields), kWaitMs);
  ASSERT_TRUE(ack.has_value());
  EXPECT_EQ(*ack, "$HBA00061MMES" + fields);

  EXPECT_STREQ(mes->LOT, "LOT123");
  EXPECT_STREQ(mes->EQUIPMENT, "EQ-7");
  EXPECT_EQ(mes->BCD_Length, 12);
  EXPECT_EQ(mes->BCD_PosNo[4], 9);
  EXPECT_EQ(mes->TEST_MODE, 0);
  EXPECT_STREQ(mes->GROUP[3].LENSID, "LNS3");
  EXPECT_EQ(std::string(mes->SWVERSION), std::string(31, 'v'));
  EXPECT_STREQ(mes->FACTORY, "NULL");

  EXPECT_EQ(MesIni("LOT"), "LOT123");
  EXPECT_EQ(MesIni("LENSID3"), "LNS3");
  EXPECT_EQ(MesIni("VENDOR_NOTE"), "abc");
  EXPECT_EQ(MesIni("SWVERSION"), std::string(40, 'v'));
  EXPECT_EQ(Station().PanelCommands(), std::vector<std::string>{"LOT_NUMBER,LOT123"});
  // Other servers keep their own record.
  EXPECT_STREQ(table_->GetMesData(0)->LOT, "NULL");
}

// A MES packet ending in "\r\n" has no final '\r': it is stored and answered, and the status answer
// reports MES_ERROR until a whole MES packet arrives.
TEST_F(MesData, MesWithoutItsFinalReturnIsReportedUntilAWholeOneArrives) {
  const std::string iot = HandlerPeer::CommandPacket(70, 'I', "IOT", "");
  EXPECT_TRUE(Request(peer_, "$THC00062MMES@LOT=L1\r\n", kWaitMs).has_value());
  EXPECT_EQ(Data(Request(peer_, iot, kWaitMs)), "@RET=004@MSG=MES_ERROR@TIME=00000000");
  EXPECT_EQ(Data(Request(peer_, iot, kWaitMs)), "@RET=004@MSG=MES_ERROR@TIME=00000000");
  EXPECT_EQ(Station().PanelCommands().at(0), "LOT_NUMBER,L1");
  EXPECT_EQ(MesIni("LOT"), "L1");
  EXPECT_TRUE(Request(peer_, HandlerPeer::CommandPacket(63, 'M', "MES", "@LOT=L2"), kWaitMs).has_value());
  EXPECT_EQ(Data(Request(peer_, iot, kWaitMs)), "@RET=000@MSG=Platform Ready@TIME=00000000");
  EXPECT_STREQ(table_->GetMesData(1)->LOT, "L2");
}

TEST_F(MesData, MesNamesThatWouldBreakMesIniAreNotWritten) {
  const std::string fields = "@[X]=1@LOT=L\nOT@=v@FACTORY=F1";
  ASSERT_TRUE(Request(peer_, HandlerPeer::CommandPacket(64, 'M', "MES", fields), kWaitMs).has_value());
  EXPECT_STREQ(table_->GetMesData(1)->FACTORY, "F1");
  EXPECT_EQ(MesIni("LOT"), "LOT");
  EXPECT_EQ(MesIni("FACTORY"), "F1");
  std::ifstream file(folder_ / "Ref" / "Model" / "MES.ini");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("[X]"), std::string::npos);
}

TEST_F(MesData, LotPacketSetsTheRecordsLot) {
  EXPECT_FALSE(Request(peer_, HandlerPeer::CommandPacket(65, 'M', "LOT", "@LOT=NEWLOT"), 200).has_value());
  ASSERT_TRUE(PumpUntil([] { return !Station().PanelCommands().empty(); }));
  EXPECT_STREQ(table_->GetMesData(1)->LOT, "NEWLOT");
}

TEST_F(MesData, NvmIsAnsweredFromSensorIniAndThePlatformVersion) {
  std::ofstream(folder_ / "Ref" / "Model" / "Sensor.ini", std::ios::app)
      << "[OTP_WRITE]\nCameraBuild=10\nConfig=3\nVENDOR=QRV\n[LOG]\nLAST_STRING=E1234\n";
  const auto answer = Request(peer_, HandlerPeer::CommandPacket(
                                         66, 'M', "NVM",
                                         "@CONFIG_BYTE=0@BUILD_TYPE=0@EEEER=0@PLATFORM_VERSION=0@VENDOR=0@MISSING=0"),
                              kWaitMs);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->substr(0, 13), "$HBA00066MNVM");
  // GetPlatformVer of this station is "QRV Platform 1.0.0.1": its last eight characters.
  EXPECT_EQ(Data(answer),
            "@CONFIG_BYTE=Ca3@BUILD_TYPE=10@EEEER=E1234@PLATFORM_VERSION= 1.0.0.1@VENDOR=QRV@MISSING=NULL");
  std::string many;
  for (int i = 0; i < 200; ++i) many += "@KEY_" + std::to_string(i) + "=0";
  const std::string cut = Data(Request(peer_, HandlerPeer::CommandPacket(67, 'M', "NVM", many), kWaitMs));
  EXPECT_EQ(cut.size(), 1023u);
  EXPECT_EQ(cut.substr(0, 16), "@KEY_0=NULL@KEY_");
}

}  // namespace
}  // namespace protocol_test

namespace protocol_test {
namespace {

// The menu "Map" of the protocol dialog brings up the MES dialog, whose board grid shows each value
// beside its name.
TEST_F(MesData, MesDialogShowsTheValuesInTheirServersGrid) {
  ASSERT_TRUE(Request(peer_, HandlerPeer::CommandPacket(62, 'M', "MES", "@LOT=LOT77@EQUIPMENT=EQ-9"), kWaitMs));
  Resolve<void (*)()>("OnSpecDlg")();
  QWidget* dialog = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == "CProtocolDlg") dialog = widget;
  }
  ASSERT_NE(dialog, nullptr);
  auto* menu = dialog->findChild<QMenuBar*>();
  ASSERT_NE(menu, nullptr);
  QAction* mesEntry = nullptr;
  for (QAction* action : menu->actions().front()->menu()->actions()) {
    if (action->text() == "Mes") mesEntry = action;
  }
  ASSERT_NE(mesEntry, nullptr);
  mesEntry->trigger();
  auto* mes = dialog->findChild<QWidget*>("CMesDlg");
  ASSERT_NE(mes, nullptr);
  EXPECT_TRUE(mes->isVisible());
  auto* tabs = mes->findChild<QTabWidget*>("4080");
  ASSERT_EQ(tabs->count(), 4);
  tabs->setCurrentIndex(1);
  auto* grid = mes->findChild<QTableWidget*>("7001");
  auto valueOf = [grid](const QString& name) {
    for (int r = 0; r < grid->rowCount(); ++r) {
      for (int c = 0; c + 1 < grid->columnCount(); c += 2) {
        if (grid->item(r, c) && grid->item(r, c)->text() == name) return grid->item(r, c + 1)->text().toStdString();
      }
    }
    return std::string("<missing>");
  };
  ASSERT_TRUE(PumpUntil([&] { return valueOf("LOT") == "LOT77"; }));
  EXPECT_EQ(valueOf("EQUIPMENT"), "EQ-9");
  EXPECT_EQ(valueOf("FACTORY"), "NULL");
  EXPECT_EQ(mes->findChild<QTableWidget*>("7000")->item(0, 1)->text(), "NULL");
  EXPECT_FALSE(qrv::test::SaveScreenshot(*mes, "protocol_mes_dlg").empty());
}

}  // namespace
}  // namespace protocol_test
