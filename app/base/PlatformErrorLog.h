#pragma once
// The main program's own error log: a daily file System/PlatformErrorLog/YYYY_MM_DD_PlatformErrorLog.csv
// that any thread appends to, and the one window that lists each new line on the UI thread.
#include <string>

#include "port/clock.h"

// What shows the lines: the screen's log window registers itself.
class PlatformErrorView {
 public:
  // UI thread: one new line.
  virtual void ShowErrorLine(const std::string& text) = 0;

 protected:
  ~PlatformErrorView() = default;
};

namespace platform_error_log {

std::string GetErrorLogPath(const port::clock::LocalTime& day);
// Appends one line to the day's file, with the three header lines when the file is new. Any thread.
bool AppendErrorLogFile(const std::string& text, const port::clock::LocalTime& day);
// UI thread. The last view set receives the lines; clearing a view that is no longer the current one
// leaves the current one alone.
void SetView(PlatformErrorView* view);
void ClearView(PlatformErrorView* view);

}  // namespace platform_error_log

// printf-style, from any thread: the line goes to the day's file on the calling thread and to the
// view on the UI thread. Exported by name: the system libraries report their set-up faults through it.
extern "C" __attribute__((visibility("default"), format(printf, 1, 2))) void LogPlatformError(const char* format,
                                                                                              ...);
