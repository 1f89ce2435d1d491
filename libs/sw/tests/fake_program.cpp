#include "fake_program.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "QRV_Exports.h"

namespace qrv::sw::test {

std::atomic<int> FakeProgram::fpsDraw{0};
std::atomic<int> FakeProgram::siteDrawCalls{0};
std::atomic<int> FakeProgram::lastSiteDrawn{-1};

namespace {

// Text drawing and the settings window need a GUI application, as in the station.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "qrv_sw_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace qrv::sw::test

using qrv::sw::test::FakeProgram;

QRV_EXPORT int OnSiteDrawExe(int site) {
  FakeProgram::siteDrawCalls.fetch_add(1);
  FakeProgram::lastSiteDrawn.store(site);
  return 100 + site;
}

QRV_EXPORT int GetFpsDraw() { return FakeProgram::fpsDraw.load(); }

QRV_EXPORT std::string GetHardwareVer() { return "Hardware_x64 test"; }
QRV_EXPORT std::string GetSoftwareVer() { return "Software_x64 test"; }
QRV_EXPORT std::string GetProtocolVer() { return "Protocol_x64 test"; }
QRV_EXPORT std::string GetPlatformVer() { return "Platform_x64 test"; }

static_assert(std::is_same_v<decltype(&OnSiteDrawExe), OnSiteDrawExe_Fn>);
static_assert(std::is_same_v<decltype(&GetFpsDraw), GetFpsDraw_Fn>);
