// The library object: options, the settings window's flags, the user-memory registry and the capture buffer.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QWidget>
#include <QApplication>

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "library_fixture.h"
#include "qrv_test/set_log_capture.h"
#include "software_library.h"

namespace qrv::sw::test {
namespace {

QWidget* SpecWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == "Software Spec") return w;
  return nullptr;
}

using LibraryOptions = LibraryTest;

TEST_F(LibraryOptions, OutDrawTypeChoosesTheStretchOfEveryView) {
  struct Case {
    int type;
    int stretch;
    int flags;
    const char* label;
  };
  for (const Case& c : {Case{0, 4, 0, "Out Draw Type : HALFTONE"}, Case{1, 3, 1, "Out Draw Type : COLORONCOLOR"},
                        Case{2, 4, 0, "Out Draw Type"}}) {
    FakeRecord::SetSensor("IMAGE", "OUT_DRAW_TYPE", c.type);
    Load();
    SoftwareLibrary* library = SoftwareLibrary::Instance();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->StretchMode(), c.stretch);
    const int* flags = static_cast<const int*>(GetUserMemory("OutDrawImage"));
    ASSERT_NE(flags, nullptr);
    for (int v = 0; v < 8; ++v) EXPECT_EQ(flags[v], c.flags) << c.type;
    ASSERT_NE(SpecWindow(), nullptr);
    EXPECT_EQ(SpecWindow()->findChild<QLabel*>("10007")->text().toStdString(), c.label);
  }
}

TEST_F(LibraryOptions, SaveWritesTheBoxAndWorkersReadItWithoutTheFile) {
  Load();
  EXPECT_EQ(GetTestingImageSave(), 0);
  SpecWindow()->findChild<QCheckBox*>("10005")->setChecked(true);
  FakeRecord::SetSensor("OPTION", "TEST_IMAGE_SAVE", 0);
  EXPECT_EQ(GetTestingImageSave(), 1);
  SpecWindow()->findChild<QAbstractButton*>("1")->click();
  EXPECT_EQ(FakeRecord::Sensor("OPTION", "TEST_IMAGE_SAVE", -1), 1);
}

TEST_F(LibraryOptions, ShownFlagFollowsTheTitleBarCloseOnly) {
  Load();
  EXPECT_EQ(GetDlgShowStatus(), 0);
  OnSpecDlg();
  EXPECT_EQ(GetDlgShowStatus(), 1);
  EXPECT_TRUE(SpecWindow()->isVisible());
  SpecWindow()->findChild<QAbstractButton*>("2")->click();
  EXPECT_FALSE(SpecWindow()->isVisible());
  EXPECT_EQ(GetDlgShowStatus(), 1);
  OnSpecDlg();
  SpecWindow()->close();
  EXPECT_EQ(GetDlgShowStatus(), 0);
}

TEST_F(LibraryOptions, SecondCreateStartsFresh) {
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 4);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", 2);
  Load();
  int block = 0;
  SetUserMemory(&block, "X");
  OnCreateCaptureBuffer();
  SetZoom(250);
  ASSERT_NE(GetCaptureBuffer(), nullptr);
  Load();
  EXPECT_EQ(GetUserMemory("X"), nullptr);
  EXPECT_EQ(GetCaptureBuffer(), nullptr);
  EXPECT_EQ(SoftwareLibrary::Instance()->Views().Zoom(), 100);
  Load_OnDelete(record_.get());
  EXPECT_EQ(SoftwareLibrary::Instance(), nullptr);
  EXPECT_EQ(record_->m_hMemDC[0], nullptr);
}

TEST_F(LibraryOptions, VersionTextCarriesTheBuildDate) {
  EXPECT_EQ(GetDllVersion(), std::string("Release - ") + __DATE__);
}

using UserMemory = LibraryTest;

TEST_F(UserMemory, ANameRefersToItsLatestBlock) {
  Load();
  int a = 0, b = 0;
  SetUserMemory(&a, "X");
  SetUserMemory(&b, "X");
  EXPECT_EQ(GetUserMemory("X"), &b);
  // The same block under a second name keeps its first name.
  SetUserMemory(&b, "Y");
  EXPECT_EQ(GetUserMemory("X"), &b);
  EXPECT_EQ(GetUserMemory("Y"), nullptr);
  SetUserMemory(&b, "X");
  EXPECT_EQ(GetUserMemory("X"), &b);
  // Registering a block under a taken name removes the other block even when it is not added itself.
  SetUserMemory(&a, "Z");
  SetUserMemory(&a, "X");
  EXPECT_EQ(GetUserMemory("X"), nullptr);
  EXPECT_EQ(GetUserMemory("Z"), &a);
  EXPECT_EQ(GetUserMemory("never"), nullptr);
  EXPECT_EQ(GetUserMemory(nullptr), nullptr);
}

using Capture = LibraryTest;

TEST_F(Capture, BufferIsZeroedAtTheSensorSize) {
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 1920);
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", 1080);
  Load();
  EXPECT_EQ(GetCaptureBuffer(), nullptr);
  EXPECT_EQ(GetCaptureBufferSize(), 0u);
  OnCreateCaptureBuffer();
  ASSERT_NE(GetCaptureBuffer(), nullptr);
  EXPECT_EQ(SoftwareLibrary::Instance()->Capture().Size(), 6220800u);
  EXPECT_EQ(GetCaptureBufferSize(), 6220800u);
  const unsigned char* buffer = GetCaptureBuffer();
  EXPECT_TRUE(std::all_of(buffer, buffer + 6220800, [](unsigned char b) { return b == 0; }));
  // The buffer keeps the size it was made with when the settings grow.
  FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", 3840);
  EXPECT_EQ(GetCaptureBufferSize(), 6220800u);
  OnDeleteCaptureBuffer();
  EXPECT_EQ(GetCaptureBuffer(), nullptr);
  EXPECT_EQ(GetCaptureBufferSize(), 0u);
}

// A size beyond the picture limit gets the empty buffer of missing keys, with a line, and takes no memory: the
// largest asks for 13.8 EB, 2147483647 x 480 for 3 TB, 16385 x 8192 for one pixel row more than the limit.
TEST_F(Capture, SizeBeyondThePictureLimitGivesTheEmptyBufferWithALine) {
  Load();
  for (const auto& [x, y] : {std::pair{2147483647, 2147483647}, std::pair{2147483647, 480}, std::pair{16385, 8192}}) {
    FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_X", x);
    FakeRecord::SetSensor("SENSOR_SET", "QRV_SENSOR_BUFFER_SIZE_Y", y);
    OnCreateCaptureBuffer();
    EXPECT_NE(GetCaptureBuffer(), nullptr) << x << "x" << y;
    EXPECT_EQ(SoftwareLibrary::Instance()->Capture().Size(), 0u) << x << "x" << y;
    const std::string line = "OnCreateCaptureBuffer: buffer " + std::to_string(x) + "x" + std::to_string(y) +
                             " of Sensor.ini exceeds the picture limit";
    const std::vector<std::string> lines = FakeRecord::LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
}

int UnreadableSensorIni(const char*, const char*, int, const char*) {
  throw std::runtime_error("Sensor.ini unreadable");
}

// An exception inside an export (here from the record's Sensor.ini reader) does not reach the caller: the
// export returns as after a failure and names itself in the site log.
TEST_F(LibraryOptions, NoExceptionLeavesAnExport) {
  Load();
  record_->IniRead_Int = UnreadableSensorIni;
  unsigned char src[4 * 4 * 3] = {};
  unsigned char dst[4 * 4 * 3] = {};
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"OnSpecDlg", [] { OnSpecDlg(); }},
      {"OnCreateCaptureBuffer", [] { OnCreateCaptureBuffer(); }},
      {"Convert_Image", [&] { Convert_Image(8, 0, 8, src, dst, 4, 4); }},
      {"Load_OnCreate", [&] { Load_OnCreate(record_.get()); }},
  };
  for (const auto& [name, call] : calls) {
    qrv::test::ClearCapturedSetLog();
    EXPECT_NO_THROW(call()) << name;
    EXPECT_THAT(FakeRecord::LogLines(), testing::Contains(std::string(name) + " failed: Sensor.ini unreadable"));
  }
  EXPECT_EQ(SoftwareLibrary::Instance(), nullptr);
}

}  // namespace
}  // namespace qrv::sw::test
