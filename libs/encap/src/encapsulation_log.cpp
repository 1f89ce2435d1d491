#include "encapsulation_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <filesystem>

#include "port/clock.h"
#include "port/module.h"
#include "port/text.h"

namespace encap {

EncapsulationLog::EncapsulationLog(std::string logFolder) : folder_(std::move(logFolder)) {}

void EncapsulationLog::SetFolder(std::string logFolder) {
  const std::lock_guard lock(mutex_);
  folder_ = std::move(logFolder);
}

void EncapsulationLog::Log(int id, const char* format, ...) {
  if (Level() == LogLevel::None) return;
  va_list args;
  va_start(args, format);
  const std::string text = port::FormatV(format, args);
  va_end(args);
  WriteLog(id, text);
}

std::string EncapsulationLog::DayFile(int id, int year, int month, int day) const {
  const std::lock_guard lock(mutex_);
  return port::Format("%s/%04d/%02d/Encapsulation_Log_%04d_%02d_%02d_ID_%d.txt", folder_.c_str(), year, month,
                      year, month, day, id);
}

void EncapsulationLog::WriteLog(int id, const std::string& text) {
  const port::clock::LocalTime t = port::clock::NowLocal();
  const std::string stamped = port::Format("[%04d/%02d/%02d %02d:%02d:%02d:%03d] %s", t.year, t.month, t.day,
                                           t.hour, t.minute, t.second, t.millisecond, text.c_str());
  {
    // Under the lock: once SetLineListener(nullptr) has returned, the old listener never runs again.
    const std::lock_guard lock(mutex_);
    if (listener_) listener_(stamped);
  }
  const std::string line = stamped + "\r\n";
  const std::string file = DayFile(id, t.year, t.month, t.day);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
  // One append per line keeps lines of different threads whole.
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, line.data(), line.size());
  static_cast<void>(written);
  ::close(fd);
}

void EncapsulationLog::SetLineListener(std::function<void(const std::string&)> listener) {
  const std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

EncapsulationLog& TheLog() {
  static EncapsulationLog log(port::ProgramFolder() + "/Log/Encapsulation_Log");
  return log;
}

}  // namespace encap
