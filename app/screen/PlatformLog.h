#pragma once
// The main program's own error log: the window "QRV Platform Log", which lists every line since start-up
// and pops up with each new one, and a daily file System/PlatformErrorLog/YYYY_MM_DD_PlatformErrorLog.csv.
#include <QDialog>
#include <string>

#include "port/clock.h"

class QComboBox;
class QListWidget;

class CQRVPlatformLog : public QDialog {
  Q_OBJECT

 public:
  // The window that LogPlatformError feeds is the last one constructed and not yet destroyed.
  explicit CQRVPlatformLog(QWidget* parent = nullptr);
  ~CQRVPlatformLog() override;

  // UI thread: adds the line to the list and to the day's file.
  void AppendErrorLog(std::string text);
  // 0 "Debug Mode", 1 "Release Mode", -1 none.
  int GetLogMode() const;
  QListWidget* List() const { return m_list; }

  // Adds a line to the list only (the file is written by the caller).
  void AddListEntry(const std::string& text);

  static std::string GetErrorLogPath(const port::clock::LocalTime& day);
  // Appends one line to the day's file, with the three header lines when the file is new. Any thread.
  static bool AppendErrorLogFile(const std::string& text, const port::clock::LocalTime& day);

 private:
  QListWidget* m_list;
  QComboBox* m_mode;
};

// printf-style, from any thread: the line goes to the day's file on the calling thread and to the
// window on the UI thread, which then shows the window.
void LogPlatformError(const char* format, ...) __attribute__((format(printf, 1, 2)));
