#pragma once
// The hardware controller built into the test, on a copy of the built station's boards (two simulated
// boards) with the shipped model, and an image-library binder whose view entries keep what is drawn.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "QRV_InterFace_SW.h"
#include "VelkaraSim.h"
#include "hardware_controller.h"
#include "port/clock.h"
#include "port/ini.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/test_station.h"

namespace hw_test {

// What the site views were given: the last picture of each view and the count of finished draws.
class ViewRecorder {
 public:
  struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr;
  };
  static ViewRecorder& Instance() {
    static ViewRecorder recorder;
    return recorder;
  }
  static void InDraw(int view, const unsigned char* frame, int width, int height) {
    ViewRecorder& r = Instance();
    const std::lock_guard lock(r.mutex_);
    r.pictures_[view] = Picture{width, height,
                                std::vector<unsigned char>(frame, frame + static_cast<std::size_t>(width) * height * 3)};
  }
  static int OutDraw(int view) {
    ViewRecorder& r = Instance();
    const std::lock_guard lock(r.mutex_);
    return ++r.draws_[view];
  }
  void Clear() {
    const std::lock_guard lock(mutex_);
    pictures_.clear();
    draws_.clear();
  }
  Picture Last(int view) const {
    const std::lock_guard lock(mutex_);
    const auto it = pictures_.find(view);
    return it == pictures_.end() ? Picture{} : it->second;
  }
  int Draws(int view) const {
    const std::lock_guard lock(mutex_);
    const auto it = draws_.find(view);
    return it == draws_.end() ? 0 : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<int, Picture> pictures_;
  std::map<int, int> draws_;
};

// The binder's layout is the interface (pinned by its static_asserts); the test fills only the two view
// entries and leaves every other slot empty, as a library without them would.
class FakeBinder {
 public:
  FakeBinder() {
    binder()->InDrawImage = &ViewRecorder::InDraw;
    binder()->OutDrawImage = &ViewRecorder::OutDraw;
  }
  CInterFace_SW* binder() { return reinterpret_cast<CInterFace_SW*>(storage_.data()); }

 private:
  alignas(CInterFace_SW) std::array<unsigned char, sizeof(CInterFace_SW)> storage_{};
};

class SimControllerTest : public ::testing::Test {
 protected:
  void Start(int para) {
    boards_ = std::make_unique<qrv::test::ScopedEnv>("QRV_SIM_BOARDS", "2");
    station_ = std::make_unique<TestStation>(::testing::UnitTest::GetInstance()->current_test_info()->name(), "");
    const std::string model = std::string(QRV_SOURCE_DIR) + "/app/station/Ref/Init_Model/";
    std::filesystem::copy_file(model + "Sensor.ini", station_->ModelFile("Sensor.ini"));
    std::filesystem::copy_file(model + "Register.ini", station_->ModelFile("Register.ini"));
    record_ = std::make_unique<TestRecord>(station_->Root(), para);
    ViewRecorder::Instance().Clear();
    ResetLoadedSimBoards();
    controller_ = std::make_unique<hw::HardwareController>(binder_.binder(), record_->get());
    // By its soname: the boards stay loaded for the process, from whichever test's station loaded them first.
    sim_ = dlopen("VelkaraSim.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(sim_, nullptr);
  }
  void TearDown() override {
    if (sim_) {
      Sim<decltype(&VelkaraSim_SetFaults)>("VelkaraSim_SetFaults")("");
      dlclose(sim_);
    }
    controller_.reset();
    record_.reset();
    station_.reset();
  }
  template <typename Fn>
  Fn Sim(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(sim_, name));
  }
  // Sets a Sensor.ini value and reads the settings again.
  void SetSensor(const char* section, const char* key, const char* value) {
    port::ini::WriteString(record_->SensorPath(), section, key, value);
    controller_->State().ReadHardwareSettings();
    controller_->State().LoadCounters();
  }
  std::vector<std::string> Log() const { return controller_->State().LogLines(); }
  // Waits (in real time) until the condition holds; false after a minute.
  template <typename Condition>
  static bool WaitFor(Condition condition) {
    for (int i = 0; i < 60000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
  }

  port::clock::VirtualTimeScope virtualTime_;
  FakeBinder binder_;
  std::unique_ptr<qrv::test::ScopedEnv> boards_;
  std::unique_ptr<TestStation> station_;
  std::unique_ptr<TestRecord> record_;
  std::unique_ptr<hw::HardwareController> controller_;
  void* sim_ = nullptr;
};

inline int Count(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

}  // namespace hw_test
