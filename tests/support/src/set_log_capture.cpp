#include "qrv_test/set_log_capture.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <utility>

namespace qrv::test {
namespace {

std::mutex g_lock;
std::vector<SetLogLine> g_lines;

std::string FormatV(const char* format, std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  const int size = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

}  // namespace

void CaptureSetLog(int site, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  const std::lock_guard lock(g_lock);
  g_lines.push_back({site, std::move(text)});
}

std::vector<SetLogLine> CapturedSetLog() {
  const std::lock_guard lock(g_lock);
  return g_lines;
}

std::vector<std::string> CapturedSetLog(int site) {
  const std::lock_guard lock(g_lock);
  std::vector<std::string> texts;
  for (const SetLogLine& line : g_lines)
    if (line.site == site) texts.push_back(line.text);
  return texts;
}

std::vector<SetLogLine> TakeCapturedSetLog() {
  const std::lock_guard lock(g_lock);
  return std::exchange(g_lines, {});
}

void ClearCapturedSetLog() {
  const std::lock_guard lock(g_lock);
  g_lines.clear();
}

}  // namespace qrv::test
