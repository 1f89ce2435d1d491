#include "fake_record.h"

#include <cstring>
#include <filesystem>
#include <mutex>

#include "port/message_box.h"
#include "qrv_test/set_log_capture.h"

namespace qrv::sw::test {
namespace {

std::mutex g_mutex;
std::map<std::string, int> g_sensor;

std::string Key(const std::string& section, const std::string& key) { return section + "/" + key; }

int ReadInt(const char* section, const char* key, int defaultValue, const char*) {
  return FakeRecord::Sensor(section, key, defaultValue);
}

int WriteInt(const char* section, const char* key, int value, const char*) {
  FakeRecord::SetSensor(section, key, value);
  return 1;
}

int CreateFolder(const char* folder) {
  std::error_code ec;
  return std::filesystem::create_directories(folder, ec) ? 1 : 0;
}

}  // namespace

// The record is built without the utility library; the box its load failure shows is not one of the
// library under test.
FakeRecord::FakeRecord() : record_(std::make_unique<CQRV_LoadMemory>(dir_.File("System/RigUtil_x64.dll"))) {
  port::ClearShownMessageBoxes();
  record_->IniRead_Int = ReadInt;
  record_->IniWrite_Int = WriteInt;
  record_->DirectoryCreate = CreateFolder;
  record_->SetLog = qrv::test::CaptureSetLog;
  std::strcpy(record_->m_szSensorPath, "Sensor.ini");
}

FakeRecord::~FakeRecord() = default;

void FakeRecord::SetSensor(const std::string& section, const std::string& key, int value) {
  const std::lock_guard lock(g_mutex);
  g_sensor[Key(section, key)] = value;
}

int FakeRecord::Sensor(const std::string& section, const std::string& key, int defaultValue) {
  const std::lock_guard lock(g_mutex);
  const auto it = g_sensor.find(Key(section, key));
  return it == g_sensor.end() ? defaultValue : it->second;
}

void FakeRecord::ClearSensor() {
  const std::lock_guard lock(g_mutex);
  g_sensor.clear();
  qrv::test::ClearCapturedSetLog();
}

std::vector<std::string> FakeRecord::LogLines() {
  std::vector<std::string> texts;
  for (const qrv::test::SetLogLine& line : qrv::test::CapturedSetLog()) texts.push_back(line.text);
  return texts;
}

}  // namespace qrv::sw::test
