#include "trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "board_exports.h"

namespace board {
namespace {

std::atomic<int> traceSwitch{0};

// The folder and the append share one lock: a folder change never tears a path being formatted.
std::mutex& FolderLock() {
  static std::mutex lock;
  return lock;
}
std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  return std::string(text.data(), static_cast<size_t>(length));
}

}  // namespace

bool TraceOn() { return traceSwitch.load() != 0; }
void SetTrace(bool on) { traceSwitch.store(on ? 1 : 0); }

void WriteDebugLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string message = Format(format, args);
  va_end(args);
  const port::clock::LocalTime t = port::clock::NowLocal();
  std::lock_guard lock(FolderLock());
  const std::filesystem::path path = std::filesystem::path(Folder()) / "Debug.log";
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (!file) return;
  std::fprintf(file, "%04d%02d%02d,%02d:%02d:%02d.%03d,%s\n", t.year, t.month, t.day, t.hour, t.minute, t.second,
               t.millisecond, message.c_str());
  std::fclose(file);
}

std::string DataBytes(const uint8_t* data, int32_t length, bool blankBefore) {
  std::string text;
  char byte[8];
  for (int32_t i = 0; data && i < length; ++i) {
    std::snprintf(byte, sizeof byte, blankBefore ? " %02X" : "%02X", data[i]);
    text += byte;
  }
  return text;
}

}  // namespace board

int32_t VKL_DebugMode(int32_t on) {
  std::error_code error;
  const std::string folder = std::filesystem::current_path(error).string();
  {
    std::lock_guard lock(board::FolderLock());
    board::Folder() = folder;
  }
  board::SetTrace(on != 0);
  return 1;
}
