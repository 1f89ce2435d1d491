#pragma once
// The facade's per-device daily log: every forwarded call may leave a line before and after it in
// Log/Encapsulation_Log/<year>/<month>/Encapsulation_Log_<y>_<m>_<d>_ID_<id>.txt under the program folder.
// Nothing is written until the level is raised from NONE to INFO.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace encap {

enum class LogLevel { None = 0, Info = 1 };

class EncapsulationLog {
 public:
  explicit EncapsulationLog(std::string logFolder);

  void SetLevel(LogLevel level) { level_.store(static_cast<int>(level)); }
  LogLevel Level() const { return static_cast<LogLevel>(level_.load()); }
  void SetFolder(std::string logFolder);

  // Formats and writes one line when the level is INFO.
  void Log(int id, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Appends one stamped line to the day file of `id`; a file that cannot be opened loses the line.
  void WriteLog(int id, const std::string& text);

  std::string DayFile(int id, int year, int month, int day) const;

  // Hears each written line (stamped, without its line end) on the writer's thread, under the log's lock:
  // it must only post, never block or log.
  void SetLineListener(std::function<void(const std::string&)> listener);

 private:
  std::atomic<int> level_{static_cast<int>(LogLevel::None)};
  mutable std::mutex mutex_;
  std::string folder_;
  std::function<void(const std::string&)> listener_;
};

// The facade's one log, rooted in the running program's Log folder.
EncapsulationLog& TheLog();

}  // namespace encap
