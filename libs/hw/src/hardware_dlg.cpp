#include "hardware_dlg.h"

#include <cstdarg>

#include "port/text.h"

namespace hw {

CHardwareDlg::CHardwareDlg(CQRV_LoadMemory* record) : record_(record) { ReadHardwareSettings(); }

void CHardwareDlg::ReadHardwareSettings() {
  auto settings = std::make_shared<const HwSettings>(
      ReadHwSettings(RecordIni(record_, record_ ? record_->GetSensorPath() : std::string())));
  for (int board = 0; board < kBoardCount; ++board) {
    slaveAddr_[board].store(settings->slaveAddr);
    i2cMode_[board].store(settings->i2cMode);
  }
  const std::lock_guard lock(mutex_);
  settings_ = std::move(settings);
}

std::shared_ptr<const HwSettings> CHardwareDlg::Settings() const {
  const std::lock_guard lock(mutex_);
  return settings_;
}

void CHardwareDlg::Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string line = port::FormatV(format, args);
  va_end(args);
  const std::lock_guard lock(mutex_);
  if (log_.size() >= 10000) log_.clear();
  log_.push_back(std::move(line));
}

std::vector<std::string> CHardwareDlg::LogLines() const {
  const std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace hw
