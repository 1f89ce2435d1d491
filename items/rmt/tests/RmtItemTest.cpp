// The built item against the simulated relay board and meter, loaded the way the host loads it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "QRV_ItemContract.h"
#include "MyTcp.h"
#include "RelayFrame.h"
#include "RmtFixture.h"
#include "UnansweredPort.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/module.h"
#include "qrv_test/set_log_capture.h"
#include "qrv_test/test_application.h"

namespace {

using Item_OnCreateInt_Fn = int (*)(CInterFace_SW*, HardwareFunctionTable*, ProtocolFunctionTable*, CQRV_LoadMemory*);

class ItemLibrary {
 public:
  ItemLibrary() : module_(port::LoadModule(QRV_RMT_ITEM)) {
    create = reinterpret_cast<Item_OnCreateInt_Fn>(port::FindSymbol(module_, "Item_OnCreate"));
    destroy = reinterpret_cast<Item_OnDelete_Fn>(port::FindSymbol(module_, "Item_OnDelete"));
    test = reinterpret_cast<OnTest_Fn>(port::FindSymbol(module_, "OnTest"));
  }
  ~ItemLibrary() {
    if (destroy != nullptr) destroy();
    port::FreeModule(module_);
  }
  bool ok() const { return create != nullptr && destroy != nullptr && test != nullptr; }
  ModuleHandle module() const { return module_; }

  Item_OnCreateInt_Fn create = nullptr;
  Item_OnDelete_Fn destroy = nullptr;
  OnTest_Fn test = nullptr;

 private:
  ModuleHandle module_;
};

std::vector<std::uint8_t> Bytes(const RelayFrame& frame) { return {frame.begin(), frame.end()}; }

class RmtItemTest : public RmtFixture {
 protected:
  int Create() { return item.create(nullptr, nullptr, nullptr, record.get()); }
  ModuleHandle module() const { return item.module(); }
  ItemLibrary item;
};

TEST_F(RmtItemTest, MeasuresEachEnabledTestPointIntoTheDaysCsv) {
  ASSERT_TRUE(sim.ok() && item.ok());
  WriteTestIni({2}, {0, 5});
  sim.QueueReadings({"500", "510", "490", "1.0E+0", "3.0E+0", "2.0E+0"});
  ASSERT_EQ(Create(), 1);
  EXPECT_EQ(port::ShownMessageBoxes().back().text,
            "DMM TCP Connect Pass IP address:127.0.0.1, Port: " + std::to_string(sim.meterPort()));

  EXPECT_EQ(item.test(0, 0, 0, 0), 0);

  const std::vector<std::vector<std::uint8_t>> expectedFrames = {
      Bytes(RelayInitFrame()), Bytes(RelayVersionFrame()), Bytes(RelaySwitchFrame(2, 0)),
      Bytes(RelaySwitchFrame(2, 5)), Bytes(RelayInitFrame())};
  EXPECT_EQ(sim.RelayFrames(), expectedFrames);
  const std::vector<std::string> lines = CsvLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Time, Board Delay,Board Interval,Hioki Send Delay,Hioki Recv Delay,Sampling count,, CH ,TP ,Value ,\r");
  EXPECT_EQ(lines[1].substr(17), "1 ms,1 ms, 0 ms,0 ms,3 ,,3, 1, 500.000000, \r");
  EXPECT_EQ(lines[2].substr(17), "1 ms,1 ms, 0 ms,0 ms,3 ,,3, 6, 2.000000, \r");
  EXPECT_EQ(sim.MeterLines().back(), "RES:RANG 10E+5");
  EXPECT_TRUE(Logged("Meser Avg: 500.000000 ohm"));
}

TEST_F(RmtItemTest, RowsAppendUnderOneHeader) {
  ASSERT_TRUE(sim.ok() && item.ok());
  WriteTestIni({0, 7}, {3}, 1);
  ASSERT_EQ(Create(), 1);
  EXPECT_EQ(item.test(0, 0, 0, 0), 0);
  EXPECT_EQ(item.test(0, 0, 0, 0), 0);
  const std::vector<std::string> lines = CsvLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("Time,", 0), 0u);
  for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind("[", 0), 0u) << lines[i];
}

TEST_F(RmtItemTest, NoChannelSetsTheMeterUpAndWritesNoRow) {
  ASSERT_TRUE(sim.ok() && item.ok());
  WriteTestIni({}, {0, 1});
  ASSERT_EQ(Create(), 1);
  EXPECT_EQ(item.test(0, 0, 0, 0), 0);
  EXPECT_TRUE(CsvLines().empty());
  const std::vector<std::string> expected = {"*RST",           ":ABORT",        ":INIT:CONT ON", ":SAMPLE:RATE FAST",
                                             "RES:RANG 10E-1", "RES:RANG 10E+5"};
  EXPECT_EQ(sim.MeterLines(), expected);
}

TEST_F(RmtItemTest, SilentInstrumentFailsTheRunWithinTheTimeOut) {
  struct Case {
    bool relaySilent;
    const char* logged;
  };
  for (const Case c : {Case{true, "Agilent time out !!!!"}, Case{false, "Hioki time out !!!!"}}) {
    qrv::test::ClearCapturedSetLog();
    // The board's time-out runs on virtual time; the meter's is waited out, as it answers nothing after
    // a reply from the board that virtual time would outrun.
    std::optional<port::clock::VirtualTimeScope> virtualTime;
    if (c.relaySilent) virtualTime.emplace();
    WriteTestIni({1}, {2});
    sim.SetRelaySilent(c.relaySilent);
    sim.SetMeterSilent(!c.relaySilent);
    ASSERT_EQ(Create(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(item.test(0, 0, 0, 0), 100);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_TRUE(Logged(c.logged)) << c.logged;
    EXPECT_TRUE(CsvLines().empty());
  }
}

TEST_F(RmtItemTest, WithoutInstrumentsEveryRunReportsNotReady) {
  ASSERT_TRUE(item.ok());
  std::ofstream(dir.File("Test.ini")) << "[RMT_BOARD_SETTING]\nTCP_PORT=1\n";
  EXPECT_EQ(Create(), 0);
  EXPECT_EQ(port::ShownMessageBoxes().back().text, "RMT Board TCP Connect fail 127.0.0.1");
  EXPECT_EQ(item.test(0, 0, 0, 0), 3);
  EXPECT_TRUE(Logged("HW Initialized Fail"));
}

QWidget* SettingsWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowTitle() == "~") return widget;
  return nullptr;
}

TEST_F(RmtItemTest, OnSpecDlgShowsTheSettingsWindowAndDeleteClosesIt) {
  ASSERT_TRUE(sim.ok() && item.ok());
  qrv::test::TestApplication();
  WriteTestIni({0}, {0});
  ASSERT_EQ(Create(), 1);
  QWidget* window = SettingsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->isVisible());
  const auto onSpecDlg = reinterpret_cast<ItemOnSpecDlg_Fn>(port::FindSymbol(module(), "OnSpecDlg"));
  ASSERT_NE(onSpecDlg, nullptr);
  EXPECT_EQ(onSpecDlg(0), 1);
  EXPECT_TRUE(window->isVisible());
  item.destroy();
  EXPECT_EQ(SettingsWindow(), nullptr);
}

// Start-up runs on the screen's thread: a board address that never answers must not hang it.
TEST_F(RmtItemTest, BoardThatNeverAnswersFailsStartUpWithinTheConnectTimeOut) {
  ASSERT_TRUE(item.ok());
  const UnansweredPort unanswered;
  ASSERT_NE(unanswered.port(), 0);
  std::ofstream(dir.File("Test.ini")) << "[RMT_BOARD_SETTING]\nTCP_PORT=" << unanswered.port() << "\n";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Create(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(CMyTCP::kConnectTimeoutMs + 2000));
  EXPECT_EQ(port::ShownMessageBoxes().back().text, "RMT Board TCP Connect fail 127.0.0.1");
  EXPECT_EQ(item.test(0, 0, 0, 0), 3);
}

}  // namespace
