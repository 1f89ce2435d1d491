// The whole board stack on simulated boards: hardware library, facade, board library, driver interface and
// the simulator, loaded from a copy of the built station with the shipped model.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "EncapsulationTable.h"
#include "VelkaraSim.h"
#include "port/clock.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"
#include "qrv_test/test_station.h"

namespace {

using namespace hw_test;

class Sim {
 public:
  explicit Sim(const std::string& path) : module_(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {}
  ~Sim() {
    if (module_) dlclose(module_);
  }
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(module_, name));
  }
  bool Loaded() const { return module_ != nullptr; }

 private:
  void* module_;
};

#define SIM(name) sim_->Get<decltype(&name)>(#name)

class HardwareSim : public ::testing::Test {
 protected:
  void Start(int para, const std::string& extraSensor = "") {
    ::setenv("QRV_SIM_BOARDS", "2", 1);
    station_ = std::make_unique<TestStation>(::testing::UnitTest::GetInstance()->current_test_info()->name(), "");
    const std::string model = std::string(QRV_SOURCE_DIR) + "/app/station/Ref/Init_Model/";
    std::filesystem::copy_file(model + "Sensor.ini", station_->ModelFile("Sensor.ini"));
    std::filesystem::copy_file(model + "Register.ini", station_->ModelFile("Register.ini"));
    if (!extraSensor.empty()) {
      std::ofstream(station_->ModelFile("Sensor.ini"), std::ios::app) << extraSensor;
    }
    record_ = std::make_unique<TestRecord>(station_->Root(), para);
    TakeSiteLines();
    ResetLoadedSimBoards();
    hardware_ = std::make_unique<LoadedHardware>(*station_, record_->get());
    ASSERT_NE(hardware_->table(), nullptr);
    // By its soname: the boards stay loaded for the process, from whichever test's station loaded them first.
    sim_ = std::make_unique<Sim>("VelkaraSim.so");
    ASSERT_TRUE(sim_->Loaded());
  }
  void TearDown() override {
    if (sim_ && sim_->Loaded()) SIM(VelkaraSim_SetFaults)("");
    sim_.reset();
    hardware_.reset();
    station_.reset();
  }
  HardwareFunctionTable& T() { return *hardware_->table(); }
  EncapsulationTable& Board() { return *T().GetPCI(); }

  // Power-up, register script and stream start of one module.
  void BringUp(int board, int site) {
    ASSERT_EQ(T().PowerUpSequence(board, site, 1), 1);
    ASSERT_EQ(T().RegisterSet(board, site, "[REGISTER]"), 1);
    ASSERT_EQ(Board().LVDS_SetResolution(board, 640, 480), 1);
    ASSERT_EQ(Board().LVDS_Start(board), 1);
  }

  void ExpectPattern(const std::vector<unsigned char>& frame) {
    const auto sample = SIM(VelkaraSim_PatternSample);
    for (int y = 0; y < 480; y += 37) {
      for (int x = 0; x < 640; x += 13) {
        const std::size_t i = (static_cast<std::size_t>(y) * 640 + x) * 2;
        ASSERT_EQ(frame[i] | (frame[i + 1] << 8), static_cast<int>(sample(x, y, 10))) << x << "," << y;
      }
    }
  }

  port::clock::VirtualTimeScope virtualTime_;
  std::unique_ptr<TestStation> station_;
  std::unique_ptr<TestRecord> record_;
  std::unique_ptr<LoadedHardware> hardware_;
  std::unique_ptr<Sim> sim_;
};

TEST_F(HardwareSim, OpensBothBoardsPowersUpInOrderAndGrabsThePattern) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  EXPECT_EQ(hardware_->Find<GetDeviecInit_Fn>("GetDeviecInit")(), 1);
  for (const char* key : {"OPEN_DEVICE_INIT_FLAG_0", "OPEN_DEVICE_INIT_FLAG_1"}) {
    EXPECT_EQ(port::ini::ReadString(record_->SensorPath(), "HW_INIT", key, ""), "1") << key;
  }
  SIM(VelkaraSim_ClearEvents)();
  BringUp(1, 1);
  std::vector<std::pair<int, std::int64_t>> supplies;
  VelkaraSimEvent e{};
  for (int i = 0; i < SIM(VelkaraSim_EventCount)(); ++i) {
    SIM(VelkaraSim_GetEvent)(i, &e);
    if (e.kind == kSimEventSupply && e.board == 1 && e.value > 0) supplies.emplace_back(e.channel, e.timeNs);
  }
  ASSERT_EQ(supplies.size(), 3u);
  EXPECT_EQ(supplies[0].first, 2);
  EXPECT_EQ(supplies[1].first, 0);
  EXPECT_EQ(supplies[2].first, 1);
  EXPECT_GE(supplies[1].second - supplies[0].second, 5'000'000);
  EXPECT_GE(supplies[2].second - supplies[1].second, 2'000'000);
  EXPECT_EQ(SIM(VelkaraSim_SensorRegister)(1, 0x0340), 0x01);
  EXPECT_EQ(SIM(VelkaraSim_SensorStreaming)(1), 1);

  std::vector<unsigned char> frame(static_cast<std::size_t>(T().GetImageSize(10, 640, 480)));
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(T().GetImage(1, frame.data(), static_cast<int>(frame.size())), 1) << i;
    ExpectPattern(frame);
  }
  EXPECT_EQ(T().PowerDownSequence(1, 1), 1);
}

TEST_F(HardwareSim, CrcGrabCountsExactlyTheCorruptedLines) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  SIM(VelkaraSim_SetStream)(0, 2, 1);
  BringUp(0, 0);
  // A small frame: the faulty grab retries until its time limit.
  ASSERT_EQ(Board().LVDS_SetResolution(0, 64, 48), 1);
  const int grabSize = T().GetCRCImageSize(2, 64, 48);
  std::vector<unsigned char> grab(static_cast<std::size_t>(grabSize));
  std::vector<unsigned char> image(static_cast<std::size_t>(64 * 5 / 4 * 48));
  int crcFail = -1;
  int second = -1;
  const int bad[] = {3, 7, 30};
  SIM(VelkaraSim_SetBadCrcLines)(0, bad, 3);
  TakeSiteLines();
  EXPECT_EQ(T().GetCRCImage(0, 0, image.data(), grab.data(), grabSize, 64, 48, 2, 0, 0, &crcFail, &second, 1), 0);
  std::set<std::string> failedLines;
  for (const std::string& line : TakeSiteLines()) {
    if (line.find("_Line ") != std::string::npos) failedLines.insert(line.substr(2, 4));
    if (line.rfind("A:1 FRAME(", 0) == 0) {
      EXPECT_NE(line.find("COUNT: 3"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(failedLines, (std::set<std::string>{"0003", "0007", "0030"}));

  SIM(VelkaraSim_SetBadCrcLines)(0, nullptr, 0);
  EXPECT_EQ(T().GetCRCImage(0, 0, image.data(), grab.data(), grabSize, 64, 48, 2, 1, 0, &crcFail, &second, 0), 1);
  EXPECT_EQ(crcFail, 0);
  EXPECT_EQ(second, 0);
  // Packed RAW10: four samples' high bits, then their low bits.
  const auto sample = SIM(VelkaraSim_PatternSample);
  EXPECT_EQ(image[0], sample(0, 0, 10) >> 2);
  EXPECT_EQ(image[80 * 5 + 4] & 0x03, sample(0, 5, 10) & 0x03);
}

TEST_F(HardwareSim, FailuresGiveTheirResultsInVirtualTime) {
  ASSERT_NO_FATAL_FAILURE(Start(2));
  TakeSiteLines();
  SIM(VelkaraSim_SetFault)(0, "sensor_nak", 1);
  ASSERT_EQ(T().PowerUpSequence(0, 0, 1), 1);
  EXPECT_EQ(T().RegisterSet(0, 0, "[REGISTER]"), 0);
  EXPECT_EQ(TakeSiteLines().back(), "A:I2C Fail:103,1");
  SIM(VelkaraSim_SetFaults)("");

  SIM(VelkaraSim_SetFault)(1, "dead_board", 1);
  const auto start = port::clock::Now();
  EXPECT_EQ(T().PowerUpSequence(1, 1, 1), 0);
  EXPECT_EQ(TakeSiteLines().back(), "B:DP_Init Fail");
  std::vector<unsigned char> frame(640 * 480 * 2);
  EXPECT_EQ(T().GetImage(1, frame.data(), static_cast<int>(frame.size())), 0);
  SIM(VelkaraSim_SetFaults)("");

  SIM(VelkaraSim_SetFault)(1, "mailbox_timeout", 1);
  EXPECT_EQ(T().PowerUpSequence(1, 1, 1), 0);
  EXPECT_EQ(TakeSiteLines().back(), "B:DP_Init Fail");
  SIM(VelkaraSim_SetFaults)("");
  EXPECT_LT(port::clock::ElapsedMs(start), 60 * 60 * 1000);
}

// Two sites grab at once: each from its own board, or both from board 0 when one board serves all.
TEST_F(HardwareSim, TwoSitesGrabAtOnce) {
  for (const int para : {2, 1}) {
    ASSERT_NO_FATAL_FAILURE(Start(para));
    BringUp(0, 0);
    if (para == 2) BringUp(1, 1);
    std::atomic<int> good{0};
    auto site = [&](int board) {
      std::vector<unsigned char> frame(640 * 480 * 2);
      for (int i = 0; i < 5; ++i) good += T().GetImage(board, frame.data(), static_cast<int>(frame.size()));
    };
    std::thread a(site, 0);
    std::thread b(site, para == 2 ? 1 : 0);
    a.join();
    b.join();
    EXPECT_EQ(good.load(), 10) << "para " << para;
    TearDown();
  }
}

// The handler's standby-offset request: both measurements of each channel land in the machine-wide file.
TEST_F(HardwareSim, StandbyAndDynamicOffsetsAreStoredUnderTheRequestsPara) {
  const qrv::test::TempDir drives;
  const qrv::test::ScopedEnv root("QRV_DRIVE_ROOT", drives.path());
  ASSERT_NO_FATAL_FAILURE(Start(2));
  using Offset = int (*)(int, int, int);
  const auto measure = hardware_->Find<Offset>("OnStandbyDynamicOffset");
  ASSERT_NE(measure, nullptr);
  TakeSiteLines();
  EXPECT_EQ(measure(1, 1, 2), 1);
  const std::string file = drives.path() + "/d/TEST/Machine/Tester_MachineSpec.ini";
  for (int c = 0; c < 8; ++c) {
    for (const char* word : {"Standby", "Dynamic"}) {
      const std::string key = "2_Current_" + std::string(word) + "_Measure_offset_" + std::to_string(c);
      EXPECT_NE(port::ini::ReadString(file, "CURRENT_TEST", key.c_str(), "none"), "none") << key;
    }
  }
  const std::vector<std::string> lines = TakeSiteLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "B:Standby Offset measure...");
  EXPECT_EQ(lines.back().rfind("B:OffSet Ch : 7, Stanby Offset Result : ", 0), 0u) << lines.back();

  // A drive that cannot take the file fails the request instead of answering success.
  std::filesystem::remove_all(drives.path() + "/d");
  std::ofstream(drives.path() + "/d") << "a file where the drive folder should be";
  EXPECT_EQ(measure(0, 0, 2), 0);
  EXPECT_EQ(TakeSiteLines().back().rfind("A:Fail : Offset Write [", 0), 0u);

  SIM(VelkaraSim_SetFault)(0, "dead_board", 1);
  EXPECT_EQ(measure(0, 0, 2), 0);
  EXPECT_EQ(TakeSiteLines().back().rfind("A:Something wrong, Check Hardware!! Error code:", 0), 0u);
}

}  // namespace
