#include "PlatformErrorLog.h"

#include <atomic>
#include <cstdarg>
#include <filesystem>
#include <system_error>

#include "LogFile.h"
#include "ModelSettings.h"
#include "ProgramFolder.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

// Changed only on the UI thread; read there by the queued list updates.
std::atomic<PlatformErrorView*> currentView{nullptr};

std::string ErrorLogFolder() {
  return port::JoinPath(port::JoinPath(ProgramFolder::Root(), "System"), "PlatformErrorLog");
}

std::string Header() {
  return port::Format("Model Name - %s \r\nLineName - %s\r\nMachineName - %s\r\n\r\n",
                      ModelSettings::ReadModelName().c_str(), ModelSettings::ReadLineName().c_str(),
                      ModelSettings::ReadMachineName().c_str());
}

}  // namespace

namespace platform_error_log {

std::string GetErrorLogPath(const port::clock::LocalTime& day) {
  return port::JoinPath(ErrorLogFolder(), port::Format("%04d_%02d_%02d_PlatformErrorLog.csv", day.year,
                                                       day.month, day.day));
}

bool AppendErrorLogFile(const std::string& text, const port::clock::LocalTime& day) {
  std::error_code ignored;
  std::filesystem::create_directories(ErrorLogFolder(), ignored);
  return logfile::AppendLine(GetErrorLogPath(day), text + "\r\n", Header);
}

void SetView(PlatformErrorView* view) { currentView = view; }

void ClearView(PlatformErrorView* view) { currentView.compare_exchange_strong(view, nullptr); }

}  // namespace platform_error_log

void LogPlatformError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = port::FormatV(format, args);
  va_end(args);
  platform_error_log::AppendErrorLogFile(text, port::clock::NowLocal());
  port::ui::Post([text = std::move(text)] {
    if (PlatformErrorView* view = currentView.load()) view->ShowErrorLine(text);
  });
}
