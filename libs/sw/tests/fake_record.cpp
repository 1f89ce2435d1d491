#include "fake_record.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "port/message_box.h"
#include "qrv_test/set_log_capture.h"

namespace qrv::sw::test {
namespace {

std::mutex g_mutex;
std::map<std::string, int> g_sensor;
std::string g_sensorFile;
int g_sensorVersion = 0;
int g_sensorReads = 0;

std::string Key(const std::string& section, const std::string& key) { return section + "/" + key; }

// The table lives in memory, but the file is replaced at each change (as the ini writer does), so that readers
// that watch the file see it change. Called under g_mutex.
void TouchSensorFile() {
  if (g_sensorFile.empty()) return;
  const std::string temporary = g_sensorFile + ".tmp";
  std::ofstream(temporary) << "; version " << ++g_sensorVersion << "\n";
  std::filesystem::rename(temporary, g_sensorFile);
}

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
  const std::lock_guard lock(g_mutex);
  g_sensorFile = dir_.File("Sensor.ini");
  std::strcpy(record_->m_szSensorPath, g_sensorFile.c_str());
  TouchSensorFile();
}

FakeRecord::~FakeRecord() {
  const std::lock_guard lock(g_mutex);
  g_sensorFile.clear();
}

void FakeRecord::SetSensor(const std::string& section, const std::string& key, int value) {
  const std::lock_guard lock(g_mutex);
  g_sensor[Key(section, key)] = value;
  TouchSensorFile();
}

int FakeRecord::Sensor(const std::string& section, const std::string& key, int defaultValue) {
  const std::lock_guard lock(g_mutex);
  ++g_sensorReads;
  const auto it = g_sensor.find(Key(section, key));
  return it == g_sensor.end() ? defaultValue : it->second;
}

void FakeRecord::ClearSensor() {
  const std::lock_guard lock(g_mutex);
  g_sensor.clear();
  TouchSensorFile();
  qrv::test::ClearCapturedSetLog();
}

int FakeRecord::SensorReads() {
  const std::lock_guard lock(g_mutex);
  return g_sensorReads;
}

std::vector<std::string> FakeRecord::LogLines() {
  std::vector<std::string> texts;
  for (const qrv::test::SetLogLine& line : qrv::test::CapturedSetLog()) texts.push_back(line.text);
  return texts;
}

}  // namespace qrv::sw::test
