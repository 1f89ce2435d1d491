// The hardware library over a recording fake board library: the table, the boards in use, the power
// sequences and the register scripts, checked by the board calls they make.
#include <gtest/gtest.h>

#include "../../encap/tests/fake_board_control.h"
#include "port/clock.h"
#include "qrv_test/test_station.h"

namespace {

using namespace hw_test;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::vector<std::string> CallsStartingWith(const std::string& calls, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : Lines(calls)) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

class HardwareFake : public ::testing::Test {
 protected:
  void Start(int para, const std::string& sensor, const std::string& registers = "") {
    station_ = std::make_unique<TestStation>(
        ::testing::UnitTest::GetInstance()->current_test_info()->name(), QRV_FAKE_BOARD_FILE);
    WriteFile(station_->ModelFile("Sensor.ini"), sensor);
    if (!registers.empty()) WriteFile(station_->ModelFile("Register.ini"), registers);
    record_ = std::make_unique<TestRecord>(station_->Root(), para);
    TakeSiteLines();
    hardware_ = std::make_unique<LoadedHardware>(*station_, record_->get());
    ASSERT_NE(hardware_->table(), nullptr);
    board_ = std::make_unique<encap_test::FakeBoardControl>(station_->BoardFile());
    ASSERT_TRUE(board_->Loaded());
  }
  void TearDown() override {
    board_.reset();
    hardware_.reset();
    station_.reset();
  }
  HardwareFunctionTable& T() { return *hardware_->table(); }

  std::unique_ptr<TestStation> station_;
  std::unique_ptr<TestRecord> record_;
  std::unique_ptr<LoadedHardware> hardware_;
  std::unique_ptr<encap_test::FakeBoardControl> board_;
};

constexpr const char* kBasicSensor =
    "[SENSOR_SET]\nQRV_SENSOR_DPSPEED=2.7\nQRV_SENSOR_DPLANE=2\nQRV_SENSOR_SLAVEADDR=0x36\n"
    "[QRV_HW]\nHW_USB_ID=2\n";

TEST_F(HardwareFake, TableSlotsAreTheNamedExports) {
  Start(2, kBasicSensor);
  EXPECT_EQ(T().m_hModule, hardware_->module());
#define CHECK_SLOT(name, result, params) \
  EXPECT_EQ(reinterpret_cast<void*>(T().name), dlsym(hardware_->module(), #name)) << #name;
  QRV_HARDWARE_FUNCTIONS(CHECK_SLOT)
#undef CHECK_SLOT
  EXPECT_NE(T().GetPCI(), nullptr);
  EXPECT_EQ(T().GetPCI(), hardware_->Find<EncapsulationTable* (*)()>("GetUSB")());
}

TEST_F(HardwareFake, BoardsInUseFollowParaAndUsbId) {
  struct Case {
    int para;
    std::vector<std::string> inits;
  };
  for (const Case& c : {Case{1, {"VKL_LVDS_Init(2)"}}, Case{3, {"VKL_LVDS_Init(0)", "VKL_LVDS_Init(1)", "VKL_LVDS_Init(2)"}},
                        Case{6, {"VKL_LVDS_Init(0)", "VKL_LVDS_Init(1)", "VKL_LVDS_Init(2)", "VKL_LVDS_Init(3)"}}}) {
    Start(c.para, kBasicSensor);
    EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_LVDS_Init"), c.inits) << "para " << c.para;
    for (int b = 0; b < 4; ++b) {
      const bool used = b < static_cast<int>(c.inits.size()) ? true : false;
      const std::string expected = c.para == 1 ? (b == 2 ? "1" : "") : (used ? "1" : "");
      EXPECT_EQ(port::ini::ReadString(record_->SensorPath(), "HW_INIT", "OPEN_DEVICE_INIT_FLAG_" + std::to_string(b), ""),
                expected)
          << "para " << c.para << " board " << b;
    }
    EXPECT_EQ(hardware_->Find<GetDeviecInit_Fn>("GetDeviecInit")(), 1);
    const int usbId = hardware_->Find<GetUSBID_Fn>("GetUSBID")();
    EXPECT_EQ(usbId, c.para == 1 ? 2 : -1);
    board_->Clear();
    const std::string path = station_->BoardFile();
    hardware_.reset();
    const encap_test::FakeBoardControl after(path);
    const auto closes = Lines(after.Calls());
    ASSERT_FALSE(closes.empty());
    EXPECT_EQ(closes.back(), "VKL_CloseDevice()");
    EXPECT_EQ(CallsStartingWith(after.Calls(), "VKL_LVDS_Close").size(), c.inits.size());
    board_.reset();
    station_.reset();
  }
}

TEST_F(HardwareFake, NoBoardFoundLeavesDevicesClosed) {
  // The fake answers OpenDevice with 1 unless told otherwise; a fresh load after the result is set sees 0.
  Start(2, kBasicSensor);
  board_->SetResult("VKL_OpenDevice", 0);
  hardware_.reset();
  hardware_ = std::make_unique<LoadedHardware>(*station_, record_->get());
  EXPECT_EQ(hardware_->Find<GetDeviecInit_Fn>("GetDeviecInit")(), 0);
  EXPECT_NE(T().GetPCI(), nullptr);
}

TEST_F(HardwareFake, SettingGettersAndDpFallbacks) {
  Start(2, "[SENSOR_SET]\nQRV_SENSOR_DPLANE=4\nQRV_SENSOR_DPLANE2=1\nQRV_SENSOR_DPSPEED=5.4\n"
           "QRV_SENSOR_SIZE_X=640\nQRV_SENSOR_SLAVEADDR=0x36\nQRV_SENSOR_LANE_SELECT=0x0011\n");
  EXPECT_EQ(T().GetDpLane(1), 1);
  EXPECT_EQ(T().GetDpLane(2), 4);
  EXPECT_EQ(T().GetDpLane(6), 4);
  EXPECT_FLOAT_EQ(T().GetDpSpeed(3), 5.4f);
  EXPECT_EQ(T().GetImageWidth(), 640);
  EXPECT_EQ(T().GetSlaveAddr(0), 0x36);
  EXPECT_EQ(T().GetSlaveAddr(9), 0);
  EXPECT_EQ(T().GetLANESELECT(), 0x11);
  EXPECT_EQ(T().GetLANEFORMAT(), 0x3210);
  EXPECT_EQ(T().GetImageSize(10, 640, 480), 614400);
  EXPECT_EQ(T().GetImageSize(8, 640, 480), 307200);
  EXPECT_EQ(T().GetCRCImageSize(0, 10, 3), 2 * 3 * 12);
  T().SetCRC_Mode();
  EXPECT_EQ(T().GetCRC_Mode(), 0);
  EXPECT_EQ(T().GetMipiType(), 9);
  EXPECT_EQ(T().GetOscType(), 1);
}

TEST_F(HardwareFake, PowerUpWalksTheChannelOrderWithCappedDelays) {
  Start(2, std::string(kBasicSensor) +
               "HW_PowerOrder1=7\nHW_PowerOrder2=6\nHW_PowerOrder3=5\nHW_PowerOrder4=4\nHW_PowerOrder5=3\n"
               "HW_PowerOrder6=2\nHW_PowerOrder7=1\nHW_PowerOrder8=0\nHW_PowerPin7_On=1\nHW_PowerPin8_On=1\n"
               "HW_PowerPin4_On=0\nHW_PowerPin8_Volt=1.2\nHW_PowerDelay8=25000\nHW_PowerDelay1=5\n");
  board_->Clear();
  port::clock::VirtualTimeScope virtualTime;
  const auto start = port::clock::Now();
  EXPECT_EQ(T().PowerUpSequence(1, 0, 1), 1);
  const auto elapsed = port::clock::ElapsedMs(start);
  EXPECT_GE(elapsed, 10005);
  EXPECT_LT(elapsed, 10200);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_Program_PowerSetM"),
            (std::vector<std::string>{"VKL_Program_PowerSetM(1,7,1.2)", "VKL_Program_PowerSetM(1,6,2.8)",
                                      "VKL_Program_PowerSetM(1,5,2.8)", "VKL_Program_PowerSetM(1,4,2.8)",
                                      "VKL_Program_PowerSetM(1,2,2.8)", "VKL_Program_PowerSetM(1,1,2.8)",
                                      "VKL_Program_PowerSetM(1,0,2.8)"}));
  const auto calls = Lines(board_->Calls());
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), "VKL_DP_Init(1,2.7,2,0,12816)");
  EXPECT_EQ(calls.back(), "VKL_I2C_RPT_Write(1,48,1,13,1," + calls.back().substr(calls.back().rfind(',') + 1));
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_I2C_RPT_Write").size(), 8u);
  board_->Clear();
  EXPECT_EQ(T().PowerDownSequence(1, 0), 1);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_Program_PowerSetM").front(), "VKL_Program_PowerSetM(1,7,0)");
  EXPECT_EQ(Lines(board_->Calls()).back(), "VKL_SEN_ExtPower(1,0)");
}

TEST_F(HardwareFake, FailuresEndThePowerUpWithTheirLines) {
  struct Case {
    const char* failing;
    long long result;
    std::vector<std::string> lastLines;
  };
  const std::vector<Case> cases = {
      {"VKL_DP_Init", -1, {"A:DP_Init Fail"}},
      {"VKL_Program_PowerSetM", 0, {"A:[PowerUpSequence] - channel:1, Power fail"}},
      {"VKL_IOlevel_Set", 0, {"A:[PowerUpSequence] - I/O Set Fail"}},
      {"VKL_CLK_Select", 0, {"A:Clock Set Fail"}},
      {"VKL_SEN_EnablePin", 0, {"A:Enb and Reset Set Fail"}},
      {"VKL_I2C_SYS_Set_Clock", 0, {"A:I2c Speed Set Fail"}},
      {"VKL_I2C_RPT_Write", 0, {"A:Fail : I2C Ext RPT Write", "A:INDP Set Fail"}},
  };
  Start(2, kBasicSensor);
  for (const Case& c : cases) {
    board_->Clear();
    board_->SetResult(c.failing, c.result);
    TakeSiteLines();
    EXPECT_EQ(T().PowerUpSequence(0, 0, 1), 0) << c.failing;
    const auto lines = TakeSiteLines();
    ASSERT_GE(lines.size(), c.lastLines.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(c.lastLines.size()), lines.end()), c.lastLines)
        << c.failing;
  }
}

TEST_F(HardwareFake, AFailedBusResetStillSetsTheBusSpeed) {
  Start(2, kBasicSensor);
  board_->Clear();
  board_->SetResult("VKL_I2C_SYS_Reset", 0);
  TakeSiteLines();
  EXPECT_EQ(T().PowerUpSequence(0, 0, 1), 0);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_I2C_SYS_Set_Clock").size(), 1u);
  EXPECT_EQ(TakeSiteLines().back(), "A:I2c Speed Set Fail");
}

TEST_F(HardwareFake, ClockBranches) {
  Start(2, std::string(kBasicSensor) + "HW_PGMFREQ=0\n");
  board_->Clear();
  T().PowerUpSequence(0, 0, 1);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_CLK_"),
            (std::vector<std::string>{"VKL_CLK_Off(0,0)", "VKL_CLK_Select(0,2)"}));
  WriteFile(station_->ModelFile("Sensor.ini"), std::string(kBasicSensor) + "HW_PGMFREQ=24.0\n");
  hardware_->Find<OnReadSpec_Fn>("OnReadSpec")();
  board_->Clear();
  T().PowerUpSequence(0, 0, 0);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_CLK_"), (std::vector<std::string>{"VKL_CLK_Select(0,0)"}));
  board_->Clear();
  T().PowerUpSequence(0, 0, 1);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_CLK_"),
            (std::vector<std::string>{"VKL_CLK_Set(0,24)", "VKL_CLK_Select(0,1)"}));
}

TEST_F(HardwareFake, BoardOutsideZeroToThreeIsRefusedWithoutBoardCalls) {
  Start(2, kBasicSensor);
  board_->Clear();
  int value = 0;
  unsigned char buffer[16] = {};
  EXPECT_EQ(T().PowerUpSequence(4, 0, 1), 0);
  EXPECT_EQ(T().PowerDownSequence(-1, 0), 0);
  EXPECT_EQ(T().IIC_Write(7, 1, 1), 0);
  EXPECT_EQ(T().IIC_Read(4, 1, &value), 0);
  EXPECT_EQ(T().GetImage(4, buffer, sizeof buffer), 0);
  EXPECT_EQ(T().RegisterSet(5, 0, "[REGISTER]"), 0);
  EXPECT_EQ(board_->Calls(), "");
}

// A grab of no bytes never reaches the board; it fails as a frame that never came, after the time-out.
TEST_F(HardwareFake, GrabOfNoBytesFailsAfterTheTimeOutWithoutBoardCalls) {
  Start(2, kBasicSensor);  // the time-out of 300 ms
  const port::clock::VirtualTimeScope virtualTime;
  unsigned char buffer[16] = {};
  for (const int size : {0, -1}) {
    board_->Clear();
    const auto start = port::clock::Now();
    EXPECT_EQ(T().GetImage(0, buffer, size), 0) << size;
    const auto elapsed = port::clock::ElapsedMs(start);
    EXPECT_GT(elapsed, 300) << size;
    EXPECT_LT(elapsed, 400) << size;
    EXPECT_EQ(board_->Calls(), "") << size;
  }
}

TEST_F(HardwareFake, RegisterScriptCommands) {
  struct Case {
    const char* line;
    int result;
    std::vector<std::string> calls;  // board calls other than the I2C reads and pointer arguments
  };
  const std::vector<Case> cases = {
      {"DS160 0x12 0x34", 1, {"VKL_I2C_ExRPT_Reset(0)", "VKL_I2C_ExRPT_Write(0,48,0,18,2,"}},
      {"ext_5v 1", 1, {}},
      {"EXT_5V 1", 1, {"VKL_SEN_ExtPower(0,1)"}},
      {"enb 1", 1, {"VKL_SEN_EnablePin(0,1)"}},
      {"gpio2 1", 1, {"VKL_GPIOWrite(0,2,1)"}},
      {"GPIO5 1", 1, {}},
      {"GPIO-1 1", 1, {}},
      {"MCLK 19.2", 1, {"VKL_CLK_Set(0,19.2)", "VKL_CLK_Select(0,1)"}},
      {"MCLK 0", 1, {"VKL_CLK_Off(0,0)"}},
      {"RESET 0", 1, {"VKL_SEN_ResetPin(0,0)"}},
      {"  0x3000 0x01", 1, {}},
      {"; comment", 1, {}},
      {"INDP 0x10 0x20 0x30", 1, {}},
  };
  Start(2, kBasicSensor);
  for (const Case& c : cases) {
    WriteFile(record_->RegisterPath(), std::string("[REGISTER]\r\n") + c.line + "\r\n[END]\r\nRESET 1\r\n");
    board_->Clear();
    EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), c.result) << c.line;
    const auto calls = Lines(board_->Calls());
    if (std::string(c.line).rfind("INDP", 0) == 0) {
      EXPECT_EQ(calls.size(), 8u);
      continue;
    }
    ASSERT_EQ(calls.size(), c.calls.size()) << c.line << "\n" << board_->Calls();
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].rfind(c.calls[i], 0), 0u) << calls[i];
  }
}

TEST_F(HardwareFake, RegisterScriptSectionsAndFailures) {
  Start(2, kBasicSensor);
  WriteFile(record_->RegisterPath(),
            "[REGISTER_KEY]\nCOUNT=1\n[REGISTER]\n0x0100 0x01\n[END]\n[REGISTER2]\n0x0200 0x02\n0x0201 0x03\n");
  board_->Clear();
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), 1);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_I2C_SYS_Write").size(), 1u);
  board_->Clear();
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER2]"), 1);
  EXPECT_EQ(CallsStartingWith(board_->Calls(), "VKL_I2C_SYS_Write").size(), 2u);
  EXPECT_EQ(T().RegisterSet(0, 0, "[MISSING]"), 1);

  board_->SetResult("VKL_I2C_SYS_Write", 0);
  TakeSiteLines();
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), 0);
  EXPECT_EQ(TakeSiteLines().back(), "A:I2C Fail:100,1");
  board_->SetResult("VKL_I2C_RPT_Write", 0);
  WriteFile(record_->RegisterPath(), "[REGISTER]\nINDP 1 2 3\n");
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), -4);
  WriteFile(record_->RegisterPath(), "[REGISTER]\nRDCH 0x0005=0x01 0\n");
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), 0);
  std::filesystem::remove(record_->RegisterPath());
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), 0);
}

TEST_F(HardwareFake, RptScriptKeepsTheRepeaterAddressAndReturnsOne) {
  Start(2, kBasicSensor);
  WriteFile(station_->Root() + "/Ref/RPT_Setting.ini", "[A]\nSLAV 0x40\nRWR 0x10 0x20\n[END]\n[B]\nRWR 0x11 0x21\n");
  board_->Clear();
  EXPECT_EQ(T().RegisterSet_RPT(0, 0, "[A]"), 1);
  EXPECT_EQ(T().RegisterSet_RPT(0, 0, "[B]"), 1);
  const auto writes = CallsStartingWith(board_->Calls(), "VKL_I2C_RPT_Write");
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].rfind("VKL_I2C_RPT_Write(0,128,1,16,1,", 0), 0u);
  EXPECT_EQ(writes[1].rfind("VKL_I2C_RPT_Write(0,128,1,17,1,", 0), 0u);
  board_->SetResult("VKL_I2C_RPT_Write", -3);
  TakeSiteLines();
  EXPECT_EQ(T().RegisterSet_RPT(0, 0, "[B]"), 1);
  EXPECT_EQ(TakeSiteLines().back(), "A:RPT Write fail: Addr(0x11) Data(0x21)");
  // A board outside 0..3 fails without a board call, and without blaming the file it opened.
  board_->Clear();
  EXPECT_EQ(T().RegisterSet_RPT(4, 0, "[B]"), 0);
  EXPECT_EQ(TakeSiteLines(), std::vector<std::string>{"A:RPT-Register Set Key :: [B]"});
  EXPECT_EQ(board_->Calls(), "");
  const std::string path = station_->Root() + "/Ref/RPT_Setting.ini";
  std::filesystem::remove(path);
  EXPECT_EQ(T().RegisterSet_RPT(0, 0, "[B]"), 0);
  EXPECT_EQ(TakeSiteLines().back(), "A:RTP-Open fail: " + path);
}

}  // namespace
