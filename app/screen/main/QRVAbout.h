#pragma once
// The about box: the main program's version strings and update date, and "Reset Registry".
#include <QDialog>

#include "QRV_PlatformMemory.h"

class QLabel;

class CQRVAbout : public QDialog {
  Q_OBJECT

 public:
  // The log callback (the record's SetLog) receives "Registry is reset"; it may be null.
  explicit CQRVAbout(QWidget* parent = nullptr, SetLog_Fn log = nullptr);

  // Asks, then writes 0 to the five engineering switches.
  void OnBnClickedResetRegistry();

 private:
  void FillVersionInfo();
  void AddRow(int row, const char* caption, const char* id);

  SetLog_Fn m_log;
  QLabel* m_logo = nullptr;
};
