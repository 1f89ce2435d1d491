#pragma once
// The window "QRV Platform Log": every line of the program's error log since start-up; it pops up with
// each new one.
#include <QDialog>
#include <string>

#include "PlatformErrorLog.h"

class QComboBox;
class QListWidget;

class CQRVPlatformLog : public QDialog, public PlatformErrorView {
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
  void ShowErrorLine(const std::string& text) override;

 private:
  QListWidget* m_list;
  QComboBox* m_mode;
};
