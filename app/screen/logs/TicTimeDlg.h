#pragma once
// "Test Log Info": the test log as one list without sites. Each item row goes to the grid and to the day's
// and lot's CSV under the list-log folder; an end block closes a test with its total item time. UI thread only.
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
  // The item row to the grid and the file; its Tact counts into the item time.
  bool SetLogBody(int row, int attempts, const ItemRow& item);
  // The end block with the item time; the item time starts again from 0.
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
