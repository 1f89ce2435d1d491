// The settings window against the simulated instruments: it shows Test.ini, "Apply" writes what was
// edited, and its buttons reach the board and the meter through the item's worker, the window answering
// all the while.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QSpinBox>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "RmtFixture.h"
#include "RmtItem.h"
#include "SpecDlg.h"
#include "port/message_box.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/test_application.h"

namespace {

class SpecDlgTest : public RmtFixture {
 protected:
  SpecDlgTest() { qrv::test::TestApplication(); }

  template <typename T>
  T* Control(CSpecDlg& dialog, const char* id) {
    T* control = dialog.findChild<T*>(id);
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  void Click(CSpecDlg& dialog, const char* id) { Control<QPushButton>(dialog, id)->click(); }
  // Runs the screen's events until the condition holds; false after the time is up.
  static bool PumpUntil(const std::function<bool()>& done, int limitMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > limitMs) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
  }
  // Test.ini as written, at an address no link is tried on.
  void RefuseConnections() {
    std::string text;
    {
      std::ifstream in(dir.File("Test.ini"));
      text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string from = "IP_ADDRESS=127.0.0.1";
    text.replace(text.find(from), from.size(), "IP_ADDRESS=0.0.0.0");
    std::ofstream(dir.File("Test.ini")) << text;
  }
  // A job's buttons come back on once it has ended.
  bool WaitForJob(CSpecDlg& dialog) {
    return PumpUntil([&] { return Control<QPushButton>(dialog, "4023")->isEnabled(); });
  }
};

TEST_F(SpecDlgTest, ShowsTestIniAndApplyWritesTheEdits) {
  WriteTestIni({0, 3}, {1}, 4, 2);
  RmtItem item(record.get());
  CSpecDlg dialog(&item, record.get());
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "~");
  EXPECT_TRUE(Control<QCheckBox>(dialog, "4011")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(dialog, "4012")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(dialog, "4014")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(dialog, "4020")->isChecked());
  EXPECT_EQ(Control<QSpinBox>(dialog, "4027")->value(), 4);
  EXPECT_EQ(Control<QSpinBox>(dialog, "4038")->value(), 2);
  EXPECT_EQ(Control<QSpinBox>(dialog, "15034")->value(), sim.relayPort());
  EXPECT_EQ(Control<QLineEdit>(dialog, "4030")->text(), "RES:RANG 10E-1");
  EXPECT_EQ(Control<QSpinBox>(dialog, "4008_0")->value(), 127);
  EXPECT_EQ(Control<QSpinBox>(dialog, "4008_3")->value(), 1);
  qrv::test::SaveScreenshot(dialog, "rmt_settings");

  Control<QCheckBox>(dialog, "4029")->setChecked(true);
  Control<QCheckBox>(dialog, "4011")->setChecked(false);
  Control<QSpinBox>(dialog, "4008_0")->setValue(10);
  Control<QSpinBox>(dialog, "4009")->setValue(250);
  Control<QLineEdit>(dialog, "4039")->setText(":SAMPLE:RATE SLOW");
  Click(dialog, "15000");

  const RmtSettings saved = LoadItemSettings(*record, item.IniPath());
  EXPECT_EQ(saved.testPoint[5], 1);
  EXPECT_EQ(saved.channel[0], 0);
  EXPECT_EQ(saved.channel[3], 1);
  EXPECT_EQ(saved.ipAddress, "10.0.0.1");
  EXPECT_EQ(saved.interval, 250);
  EXPECT_EQ(saved.speed, ":SAMPLE:RATE SLOW");
  EXPECT_EQ(saved.sampling, 4);
  EXPECT_EQ(saved.meterPort, sim.meterPort());

  Click(dialog, "2");
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SpecDlgTest, ButtonsReachTheBoardAndTheMeter) {
  ASSERT_TRUE(sim.ok());
  WriteTestIni({2}, {0}, 3);
  sim.QueueReadings({"1.0E+0", "3.0E+0", "2.0E+0"});
  RmtItem item(record.get());
  ASSERT_EQ(item.CreateItemAndConnect(), 1);
  CSpecDlg dialog(&item, record.get());
  dialog.show();

  Click(dialog, "4041");
  ASSERT_TRUE(WaitForJob(dialog));
  EXPECT_EQ(Control<QLineEdit>(dialog, "4035")->text(), "2.000");
  Click(dialog, "4044");
  ASSERT_TRUE(WaitForJob(dialog));
  EXPECT_EQ(Control<QLineEdit>(dialog, "15035")->text(), "12");

  const std::size_t before = sim.RelayFrames().size();
  Click(dialog, "4023");
  ASSERT_TRUE(WaitForJob(dialog));
  EXPECT_EQ(item.ScanPasses(), 1);
  EXPECT_GT(sim.RelayFrames().size(), before);
  qrv::test::SaveScreenshot(dialog, "rmt_settings_read");
}

// Instruments that hold their answers back or give them slowly: a reading and a scan run on the item's
// worker while the window takes its events, shows how far the scan has come and keeps the instrument buttons
// off until the job has ended.
TEST_F(SpecDlgTest, WindowAnswersWhileASlowMeterAndBoardWork) {
  ASSERT_TRUE(sim.ok());
  WriteTestIni({0, 3}, {1, 2}, 1);
  sim.QueueReadings({"5.0E+0"});
  RmtItem item(record.get());
  ASSERT_EQ(item.CreateItemAndConnect(), 1);
  CSpecDlg dialog(&item, record.get());
  dialog.show();
  // The window's event loop runs a queued call: nothing on the screen's thread waits for an instrument.
  auto answers = [] {
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    return PumpUntil([&ran] { return ran; });
  };

  // The meter holds its reading back: the click returns with the job still waiting on it.
  sim.HoldReplies(true);
  Click(dialog, "4041");
  EXPECT_TRUE(item.Busy()) << "Read Data returns before the meter answers";
  EXPECT_FALSE(Control<QPushButton>(dialog, "4041")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(dialog, "4023")->isEnabled());
  EXPECT_TRUE(answers());
  EXPECT_TRUE(item.Busy());
  sim.HoldReplies(false);
  ASSERT_TRUE(WaitForJob(dialog));
  EXPECT_EQ(Control<QLineEdit>(dialog, "4035")->text(), "5.000");

  // A slow board and meter: the scan shows its progress, and is held in the middle for a look.
  sim.SetReplyDelayMs(300);
  Click(dialog, "4023");
  EXPECT_TRUE(item.Busy()) << "Start returns before the board answers";
  QProgressBar* progress = dialog.Progress();
  ASSERT_TRUE(PumpUntil([&] { return progress->value() >= 2; }));
  sim.HoldReplies(true);
  EXPECT_TRUE(item.Busy());
  EXPECT_EQ(progress->maximum(), 4) << "two channels by two test points";
  const QString step = progress->text();
  EXPECT_TRUE(QRegularExpression("^CH [14] / TP [23] +[234] of 4$").match(step).hasMatch()) << step.toStdString();
  for (const char* id : {"4023", "4025", "4041", "4042", "4044"})
    EXPECT_FALSE(Control<QPushButton>(dialog, id)->isEnabled()) << id;
  EXPECT_TRUE(Control<QPushButton>(dialog, "4024")->isEnabled()) << "Aging Stop";
  Control<QSpinBox>(dialog, "4009")->setValue(20);
  EXPECT_EQ(Control<QSpinBox>(dialog, "4009")->value(), 20) << "the settings can be edited meanwhile";
  EXPECT_TRUE(answers());
  qrv::test::SaveScreenshot(dialog, "rmt_settings_scanning");
  sim.HoldReplies(false);

  ASSERT_TRUE(WaitForJob(dialog));
  EXPECT_EQ(item.ScanPasses(), 1);
  EXPECT_EQ(progress->text(), "Done");
  for (const char* id : {"4023", "4025", "4041", "4042", "4044"})
    EXPECT_TRUE(Control<QPushButton>(dialog, id)->isEnabled()) << id;
}

TEST_F(SpecDlgTest, ReadDataWithoutInstrumentsShowsTheNoReadingValue) {
  std::ofstream(dir.File("Test.ini")) << "[RMT_BOARD_SETTING]\nTCP_PORT=1\n";
  RmtItem item(record.get());
  ASSERT_EQ(item.CreateItemAndConnect(), 0);
  CSpecDlg dialog(&item, record.get());
  Click(dialog, "4041");
  EXPECT_EQ(Control<QLineEdit>(dialog, "4035")->text(), "999.999");
  EXPECT_EQ(port::ShownMessageBoxes().back().text, "RMT Initialized Failed");
}

// A job that sent nothing says why instead of blaming the instruments: an aging count of 0 or no channel
// checked leaves nothing to ask, and links that are down leave no one to ask.
TEST_F(SpecDlgTest, AJobThatAsksNothingSaysWhyInsteadOfNoReply) {
  ASSERT_TRUE(sim.ok());
  struct Case {
    std::vector<int> channels;
    bool connect;
    const char* button;
    int agingCount;
    const char* shown;
  };
  const Case cases[] = {
      {{0}, true, "4025", 0, "Nothing to do"},   {{}, true, "4023", 1, "Nothing to do"},
      {{0}, false, "4023", 1, "Not connected"}, {{0}, false, "4025", 3, "Not connected"},
      {{0}, false, "4042", 1, "Not connected"}, {{0}, true, "4023", 1, "Done"},
  };
  for (const Case& c : cases) {
    WriteTestIni(c.channels, {0});
    if (!c.connect) RefuseConnections();
    RmtItem item(record.get());
    ASSERT_EQ(item.CreateItemAndConnect(), c.connect ? 1 : 0);
    CSpecDlg dialog(&item, record.get());
    dialog.show();
    const std::size_t frames = sim.RelayFrames().size();
    Control<QSpinBox>(dialog, "4026")->setValue(c.agingCount);
    Click(dialog, c.button);
    ASSERT_TRUE(WaitForJob(dialog));
    EXPECT_EQ(dialog.Progress()->text().toStdString(), c.shown) << c.button << " " << c.agingCount;
    if (std::string(c.shown) != "Done") {
      EXPECT_EQ(sim.RelayFrames().size(), frames) << c.button;
    }
    if (c.agingCount == 0) qrv::test::SaveScreenshot(dialog, "rmt_settings_nothing_to_do");
    if (!c.connect && std::string(c.button) == "4023") qrv::test::SaveScreenshot(dialog, "rmt_settings_not_connected");
  }
}

}  // namespace
