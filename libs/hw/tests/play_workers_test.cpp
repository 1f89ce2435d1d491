// Play/aging runs and the live grab on two simulated boards: what they draw in the site views, what they
// log, and how they share the boards with the sites' tests.
#include <atomic>
#include <thread>

#include "bayer.h"
#include "port/thread_site.h"
#include "qrv_test/temp_dir.h"
#include "sim_fixture.h"

namespace {

using namespace hw_test;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The picture the views must show of the simulator's pattern in samples of `bits`: their top eight bits,
// demosaiced as BGGR.
std::vector<unsigned char> ExpectedPicture(uint32_t (*sample)(int, int, int), int bits = 16) {
  std::vector<unsigned char> eight(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      eight[y * kWidth + x] = static_cast<unsigned char>(sample(x, y, bits) >> (bits - 8));
  }
  std::vector<unsigned char> picture(eight.size() * 3);
  EXPECT_TRUE(qrv::bayer::Demosaic(eight.data(), picture.data(), kWidth, kHeight, qrv::bayer::kBGGR));
  return picture;
}

class PlayWorkersTest : public SimControllerTest {
 protected:
  // The simulated receiver reports the resolution it was given; a real one measures the stream.
  void StartWithWideSamples() {
    ASSERT_NO_FATAL_FAILURE(Start(2));
    SetSensor("SENSOR_SET", "QRV_SENSOR_DATA_BIT", "16");
    for (int board = 0; board < 2; ++board) ASSERT_EQ(controller_->Table()->LVDS_SetResolution(board, kWidth, kHeight), 1);
    TakeSiteLines();
  }
  hw::PlayWorkers& Workers() { return controller_->Workers(); }
  void WaitPlayEnd() { ASSERT_TRUE(WaitFor([&] { return !Workers().PlayRunning(); })); }
  // Whether the sensor of the module on the channel of `site` answers (only a powered module does).
  bool ModuleAnswers(int board, int site) {
    const port::ThreadSiteScope onSite(site);
    int value = 0;
    return controller_->IIC_Read(board, 0x0100, &value) == 1;
  }
};

TEST_F(PlayWorkersTest, CrcPlayDrawsThePatternInTheChosenSiteAndLogsLinkAndCrc) {
  ASSERT_NO_FATAL_FAILURE(StartWithWideSamples());
  Sim<decltype(&VelkaraSim_SetStream)>("VelkaraSim_SetStream")(1, 2, 1);
  ASSERT_TRUE(Workers().StartPlay(1, 1, true));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  EXPECT_EQ(Count(log, "USB ID : 1, Site : 1"), 1);
  EXPECT_EQ(Count(log, "Aging Count : 0"), 1);
  EXPECT_EQ(Count(log, "Aging Count : 1"), 1);
  EXPECT_EQ(Count(log, "HW Play START"), 2);
  EXPECT_EQ(Count(log, "Play End"), 2);
  EXPECT_EQ(Count(log, "GetDPXY:640,480"), 2);
  EXPECT_EQ(Count(TakeSiteLines(), "B:PCI_LVDS_DP_LinkDone"), 2);
  EXPECT_TRUE(Contains(log, "CRC_Result : ")) << testing::PrintToString(log);
  EXPECT_FALSE(Contains(log, "Capture fail"));

  EXPECT_EQ(ViewRecorder::Instance().Draws(1), 10);  // two cycles of five captures
  EXPECT_EQ(ViewRecorder::Instance().Draws(0), 0);
  const ViewRecorder::Picture shown = ViewRecorder::Instance().Last(1);
  ASSERT_EQ(shown.width, kWidth);
  ASSERT_EQ(shown.height, kHeight);
  EXPECT_TRUE(shown.bgr == ExpectedPicture(Sim<uint32_t (*)(int, int, int)>("VelkaraSim_PatternSample")));
}

// The shipped model as an engineer finds it: nothing sets the receiver's resolution, so it measures the
// module's stream, and the play run draws the pattern at the sensor's own size.
TEST_F(PlayWorkersTest, PlayOnTheShippedSettingsDrawsThePatternAtTheSensorsSize) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  SetSensor("AGING", "CAPTURE_COUNT", "1");
  ASSERT_TRUE(Workers().StartPlay(0, 2, false));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  EXPECT_TRUE(Contains(log, "GetDPXY:640,480")) << testing::PrintToString(log);
  EXPECT_FALSE(Contains(log, "Fail : 1st Resolution Mismatch"));
  EXPECT_FALSE(Contains(log, "Capture fail"));
  ASSERT_GE(ViewRecorder::Instance().Draws(2), 1);
  const ViewRecorder::Picture shown = ViewRecorder::Instance().Last(2);
  ASSERT_EQ(shown.width, kWidth);
  ASSERT_EQ(shown.height, kHeight);
  EXPECT_TRUE(shown.bgr == ExpectedPicture(Sim<uint32_t (*)(int, int, int)>("VelkaraSim_PatternSample"), 10));
}

TEST_F(PlayWorkersTest, AgingRepeatsTheSetCountWithPowerUpAndDownEachTime) {
  ASSERT_NO_FATAL_FAILURE(StartWithWideSamples());
  SetSensor("AGING", "AGING_COUNT", "3");
  SetSensor("AGING", "CAPTURE_COUNT", "1");
  ASSERT_TRUE(Workers().StartPlay(0, 0, false));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  for (int r = 0; r <= 3; ++r) EXPECT_EQ(Count(log, "Aging Count : " + std::to_string(r)), 1) << r;
  EXPECT_EQ(Count(log, "HW Play START"), 4);
  EXPECT_EQ(Count(log, "[PowerDownSequence]."), 4);
  EXPECT_EQ(ViewRecorder::Instance().Draws(0), 4);
  const ViewRecorder::Picture shown = ViewRecorder::Instance().Last(0);
  EXPECT_TRUE(shown.bgr == ExpectedPicture(Sim<uint32_t (*)(int, int, int)>("VelkaraSim_PatternSample")));
}

TEST_F(PlayWorkersTest, InjectedCrcFaultShowsTheFailedLinesInTheLog) {
  const qrv::test::ScopedEnv faults("QRV_SIM_FAULTS", "bad_crc_lines=5");
  ASSERT_NO_FATAL_FAILURE(StartWithWideSamples());
  // A small frame: a faulty capture retries until its time limit.
  SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_X", "64");
  SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_Y", "48");
  SetSensor("AGING", "CAPTURE_COUNT", "1");
  ASSERT_EQ(controller_->Table()->LVDS_SetResolution(0, 64, 48), 1);
  Sim<decltype(&VelkaraSim_SetStream)>("VelkaraSim_SetStream")(0, 2, 1);
  ASSERT_TRUE(Workers().StartPlay(0, 0, true));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  EXPECT_TRUE(Contains(log, "0005_Line SW CRC Fail")) << testing::PrintToString(log);
  EXPECT_TRUE(Contains(log, "Capture Count : "));
  EXPECT_TRUE(Contains(log, "Capture fail"));
}

// The live grab reads the stream of the module on its site's channel, which the manual panel brought up.
TEST_F(PlayWorkersTest, LiveGrabRunsOnTheChannelOfItsSiteUntilStopped) {
  ASSERT_NO_FATAL_FAILURE(StartWithWideSamples());
  {
    const port::ThreadSiteScope onSite(1);
    ASSERT_EQ(controller_->PowerUpSequence(0, 1, 1, false), 1);
    ASSERT_EQ(controller_->RegisterSet(0, 1, "[REGISTER]"), 1);
    ASSERT_EQ(controller_->Table()->LVDS_Start(0), 1);
  }
  ASSERT_TRUE(Workers().StartLive(0, 1));
  ASSERT_TRUE(WaitFor([] { return ViewRecorder::Instance().Draws(1) >= 5; }));
  EXPECT_TRUE(Workers().LiveRunning());
  Workers().StopLive();
  ASSERT_TRUE(WaitFor([&] { return !Workers().LiveRunning(); }));
  // Every grab drew, and the run's end adds no line of its own.
  EXPECT_FALSE(Contains(Log(), "USB ID [0] [LVDS_GetFrame_Mul] :: FAIL"));
  EXPECT_FALSE(Contains(Log(), "USB ID [0] Live"));
}

// A play run and the handler's offset request for one site never power down the module of another site
// on the same board.
TEST_F(PlayWorkersTest, PlayAndOffsetRequestLeaveTheOtherChannelsOfTheBoardAlone) {
  const qrv::test::TempDir drives;
  const qrv::test::ScopedEnv root("QRV_DRIVE_ROOT", drives.path());
  ASSERT_NO_FATAL_FAILURE(Start(2));
  SetSensor("AGING", "CAPTURE_COUNT", "1");
  ASSERT_EQ(controller_->PowerUpSequence(0, 0, 1, false), 1);
  ASSERT_TRUE(ModuleAnswers(0, 0));
  ASSERT_FALSE(ModuleAnswers(0, 1));

  ASSERT_TRUE(Workers().StartPlay(0, 1, false));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  EXPECT_EQ(Count(log, "Play End"), 2) << testing::PrintToString(log);
  EXPECT_FALSE(Contains(log, "Capture fail"));
  EXPECT_TRUE(ModuleAnswers(0, 0));

  EXPECT_EQ(controller_->OnStandbyDynamicOffset(0, 2, 2), 1);
  EXPECT_TRUE(ModuleAnswers(0, 0));
}

TEST_F(PlayWorkersTest, ZeroSizePairRunsNoCycle) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_FULL_X", "0");
  controller_->State().SetDrawTypes(0, 3);
  ASSERT_TRUE(Workers().StartPlay(0, 0, false));
  WaitPlayEnd();
  const std::vector<std::string> log = Log();
  // The sizes are taken before and after the buffers are made: each take shows the two lines.
  EXPECT_EQ(Count(log, "Image Size Check : m_nInWidth 640, m_nInHeight 480"), 2);
  EXPECT_EQ(Count(log, "Image Size Check : m_nOutWidth 0, m_nOUtHeight 480"), 2);
  EXPECT_EQ(Count(log, "HW Play START"), 0);
}

// Negative sizes in the file end the play run and the live grab like any other run, never the station.
TEST_F(PlayWorkersTest, NegativeSizesInTheFileNeverEndTheStation) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  SetSensor("SENSOR_SET", "QRV_SENSOR_SIZE_X", "-4");
  SetSensor("AGING", "CAPTURE_COUNT", "1");
  controller_->State().SetDrawTypes(1, 1);
  ASSERT_TRUE(Workers().StartPlay(0, 0, false));
  WaitPlayEnd();
  EXPECT_EQ(Count(Log(), "Play End"), 2) << testing::PrintToString(Log());
  ASSERT_TRUE(Workers().StartLive(0, 0));
  Workers().StopLive();
  ASSERT_TRUE(WaitFor([&] { return !Workers().LiveRunning(); }));
}

// An RPT script reads the settings again, which ends a script's I2CM mode on its board also while the
// site's run holds the board.
TEST_F(PlayWorkersTest, RptScriptPutsTheBoardsI2cModeBackDuringASiteRun) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  hw::HwState& state = controller_->State();
  WriteFile(record_->RegisterPath(), "[MODE]\nI2CM 1\n[END]\n");
  WriteFile(station_->Root() + "/Ref/RPT_Setting.ini", "[NONE]\n[END]\n");
  ASSERT_TRUE(state.AcquireForSite(0, 0));
  ASSERT_EQ(controller_->RegisterSet(0, 0, "[MODE]"), 1);
  ASSERT_EQ(state.I2cMode(0), 1);
  EXPECT_EQ(controller_->RegisterSet_RPT(0, 0, "[NONE]"), 1);
  EXPECT_EQ(state.I2cMode(0), 2);  // the model's QRV_SENSOR_I2CMODE
  state.ReleaseForSite(0);
}

// The setup dialog and the sites' tests never drive one board at once.
TEST_F(PlayWorkersTest, PlayRefusesABoardWhoseSitesRunAndSitesWaitForTheDialog) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  hw::BoardLeases& leases = controller_->State().Leases();
  ASSERT_TRUE(leases.AcquireForSite(1, 0));
  EXPECT_FALSE(Workers().StartPlay(1, 1, false));
  EXPECT_EQ(Log().back(), "USB ID [1] is in use by a site's test");
  EXPECT_EQ(Workers().GrabOneFrame(1, 1), 0);
  leases.ReleaseForSite(1);

  SetSensor("AGING", "AGING_COUNT", "0");  // until stopped
  ASSERT_TRUE(Workers().StartPlay(1, 1, false));
  EXPECT_FALSE(leases.AcquireForSite(1, 0));
  EXPECT_TRUE(leases.AcquireForSite(0, 0));  // the other board is free
  leases.ReleaseForSite(0);
  std::atomic<bool> siteStarted{false};
  std::thread site([&] { siteStarted = leases.AcquireForSite(1, 60000); });
  Workers().StopPlay();
  site.join();
  EXPECT_TRUE(siteStarted.load());
  EXPECT_FALSE(Workers().PlayRunning());
  leases.ReleaseForSite(1);
}

// Closing ends the workers before the boards close: a running live grab and play run end, then the
// controller closes the boards.
TEST_F(PlayWorkersTest, ReleaseEndsRunningWorkersBeforeTheBoardsClose) {
  ASSERT_NO_FATAL_FAILURE(StartWithWideSamples());
  SetSensor("AGING", "AGING_COUNT", "0");
  ASSERT_TRUE(Workers().StartPlay(1, 1, false));
  ASSERT_EQ(controller_->PowerUpSequence(0, 0, 1, false), 1);
  ASSERT_EQ(controller_->RegisterSet(0, 0, "[REGISTER]"), 1);
  ASSERT_EQ(controller_->Table()->LVDS_Start(0), 1);
  ASSERT_TRUE(Workers().StartLive(0, 0));
  ASSERT_TRUE(WaitFor([] { return ViewRecorder::Instance().Draws(0) >= 2; }));
  controller_->Release();
  EXPECT_FALSE(Workers().PlayRunning());
  EXPECT_FALSE(Workers().LiveRunning());
  EXPECT_FALSE(Workers().StartPlay(0, 0, false));
}

// Settings read while a site runs take effect on its board when its run ends; its thread keeps reading
// the values its run started with, another thread reads the file's.
TEST_F(PlayWorkersTest, SettingsSavedDuringASiteRunApplyAfterIt) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  hw::HwState& state = controller_->State();
  ASSERT_TRUE(state.AcquireForSite(0, 0));
  SetSensor("SENSOR_SET", "QRV_SENSOR_DATA_BIT", "12");
  EXPECT_EQ(state.Settings()->dataBit, 10);
  EXPECT_EQ(state.Settings(0)->dataBit, 10);
  EXPECT_EQ(state.Settings(1)->dataBit, 12);
  int otherThread = 0;
  std::thread([&] { otherThread = state.Settings()->dataBit; }).join();
  EXPECT_EQ(otherThread, 12);
  state.ReleaseForSite(0);
  EXPECT_EQ(state.Settings(0)->dataBit, 12);
  EXPECT_EQ(state.Settings()->dataBit, 12);
}

// A read never lands on a board between a site's start and its end: a site sees one value for its
// whole run, however the reads and the runs interleave.
TEST_F(PlayWorkersTest, ARunNeverSeesItsBoardsSettingsChange) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  hw::HwState& state = controller_->State();
  std::atomic<bool> done{false};
  std::atomic<int> changed{0};
  std::thread site([&] {
    while (!done.load()) {
      if (!state.Leases().AcquireForSite(0, 1000)) continue;
      const int first = state.SlaveAddr(0);
      std::this_thread::yield();
      if (state.SlaveAddr(0) != first) ++changed;
      state.Leases().ReleaseForSite(0);
    }
  });
  for (int i = 0; i < 300; ++i) {
    port::ini::WriteString(record_->SensorPath(), "SENSOR_SET", "QRV_SENSOR_SLAVEADDR", i % 2 ? "0x10" : "0x11");
    state.ReadHardwareSettings();
  }
  done = true;
  site.join();
  EXPECT_EQ(changed.load(), 0);
}

}  // namespace
