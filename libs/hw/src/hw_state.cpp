#include "hw_state.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

#include "port/text.h"

namespace hw {

namespace {

// Register.ini names its register sets for the engineer's choice in a list; no sensor needs this many.
constexpr int kMaxRegisterKeys = 100;

// The board the calling thread's site run holds, or -1.
thread_local int siteBoard = -1;

}  // namespace

HwState::HwState(CQRV_LoadMemory* record) : record_(record) {
  const auto settings = std::make_shared<const HwSettings>(ReadHwSettings(SensorIni()));
  SetDrawTypes(settings->inDrawType, settings->outDrawType);
  lastRead_ = settings;
  for (int board = 0; board < kBoardCount; ++board) Publish(board, settings);
  LoadRegisterKeys();
  LoadCounters();
}

RecordIni HwState::SensorIni() const { return RecordIni(record_, record_ ? record_->GetSensorPath() : std::string()); }

RecordIni HwState::RegisterIni() const {
  return RecordIni(record_, record_ ? record_->GetRegisterPath() : std::string());
}

std::shared_ptr<const HwSettings> HwState::ReadHardwareSettings() {
  auto settings = std::make_shared<const HwSettings>(ReadHwSettings(SensorIni()));
  SetDrawTypes(settings->inDrawType, settings->outDrawType);
  {
    const std::lock_guard lock(mutex_);
    lastRead_ = settings;
    if (changeListener_) changeListener_();
  }
  // A run in progress keeps the values it started with; the engineer learns that his differ meanwhile.
  for (int board = 0; board < kBoardCount; ++board) {
    const auto inForce = Settings(board);
    if (!leases_.WhenSitesFree(board, [this, board, settings] { Publish(board, settings); }) &&
        *inForce != *settings) {
      Log(kSettingsWaitForSite, board);
    }
  }
  return settings;
}

void HwState::SetDrawTypes(int in, int out) {
  // The lists offer these four; the file may hold anything.
  inDrawType_.store(std::clamp(in, 0, 3));
  outDrawType_.store(std::clamp(out, 0, 3));
}

void HwState::Publish(int board, std::shared_ptr<const HwSettings> settings) {
  slaveAddr_[board].store(settings->slaveAddr);
  i2cMode_[board].store(settings->i2cMode);
  const std::lock_guard lock(mutex_);
  settings_[board] = std::move(settings);
}

std::shared_ptr<const HwSettings> HwState::Settings(int board) const {
  const std::lock_guard lock(mutex_);
  return IsValidBoard(board) ? settings_[board] : lastRead_;
}

std::shared_ptr<const HwSettings> HwState::Settings() const { return Settings(siteBoard); }

bool HwState::AcquireForSite(int board, int waitMs) {
  if (!leases_.AcquireForSite(board, waitMs)) return false;
  siteBoard = board;
  return true;
}

void HwState::ReleaseForSite(int board) {
  if (siteBoard == board) siteBoard = -1;
  leases_.ReleaseForSite(board);
}

void HwState::LoadRegisterKeys() {
  const RecordIni ini = RegisterIni();
  RegisterKeys keys;
  const int count = std::max(ini.Count("REGISTER_KEY", "COUNT", 1, kMaxRegisterKeys), 1);
  for (int i = 0; i < count; ++i) keys.keys.push_back(ini.String("REGISTER_KEY", std::to_string(i).c_str(), "[REGISTER]"));
  keys.select = ini.Int("REGISTER_KEY", "SELECT", 0);
  const std::lock_guard lock(mutex_);
  keys_ = std::move(keys);
}

RegisterKeys HwState::Keys() const {
  const std::lock_guard lock(mutex_);
  return keys_;
}

void HwState::SelectKey(int index) {
  const std::lock_guard lock(mutex_);
  keys_.select = index;
}

bool HwState::SaveRegisterKeys(const RegisterKeys& keys) {
  const RecordIni ini = RegisterIni();
  bool ok = ini.WriteInt("REGISTER_KEY", "COUNT", static_cast<int>(keys.keys.size()));
  ok &= ini.WriteInt("REGISTER_KEY", "SELECT", keys.select);
  for (std::size_t i = 0; i < keys.keys.size(); ++i) {
    ok &= ini.WriteString("REGISTER_KEY", std::to_string(i).c_str(), keys.keys[i].c_str());
  }
  LoadRegisterKeys();
  return ok;
}

void HwState::LoadCounters() {
  const RecordIni ini = SensorIni();
  counters_.agingCount.store(std::atoi(ini.String("AGING", "AGING_COUNT", "1").c_str()));
  counters_.captureCount.store(std::atoi(ini.String("AGING", "CAPTURE_COUNT", "5").c_str()));
  counters_.dummyCount.store(std::atoi(ini.String("AGING", "DUMMY_COUNT", "0").c_str()));
}

void HwState::Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string line = port::FormatV(format, args);
  va_end(args);
  const std::lock_guard lock(mutex_);
  if (log_.size() > 10000) log_.clear();
  log_.push_back(std::move(line));
  // Under the lock: once SetChangeListener(nullptr) has returned, the old listener never runs again.
  if (changeListener_) changeListener_();
}

std::vector<std::string> HwState::LogLines() const {
  const std::lock_guard lock(mutex_);
  return log_;
}

void HwState::ClearLog() {
  const std::lock_guard lock(mutex_);
  log_.clear();
}

void HwState::SetChangeListener(std::function<void()> listener) {
  const std::lock_guard lock(mutex_);
  changeListener_ = std::move(listener);
}

}  // namespace hw
