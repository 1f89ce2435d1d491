#pragma once
// "Test Log Info": the test log as one list without sites, an earlier form of the per-site "Test Log" that no
// menu opens. Its grid shows each item's timing; its CSV per day and lot under the list-log folder gets the
// header and one end block per test. UI thread only.
#include <QDialog>
#include <string>

#include "SiteModel.h"

class CGridCtrl;

class TicTimeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TicTimeDlg(QWidget* parent = nullptr);

  // Computes the file of today and the current lot; creates it with its header when it does not exist.
  bool SetLogHeader();
  // The item's timing row to the grid. The file is only checked: no row goes into it, and the item time that
  // the Tact added to starts again from 0 once the file opened.
  bool SetLogBody(int row, int attempts, const ItemRow& item);
  // The end block with the item time, to the grid and to the file when it exists.
  bool SetLogEnd(const std::string& first, int resultCode, const std::string& message, bool passed);
  void ClearLog();

  CGridCtrl* Grid() const { return m_grid; }
  const std::string& Path() const { return m_strPath; }
  int ItemTimeMs() const { return m_nItemTime; }

 private:
  bool Append(const std::string& text, const char* operation, int line, const char* failure);
  void AddRow(const QStringList& cells);

  std::string m_strPath;
  CGridCtrl* m_grid = nullptr;
  int m_nItemTime = 0;
};
