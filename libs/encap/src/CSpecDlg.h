#pragma once
// The facade's log window: the level (NONE or INFO) of the per-board daily files and the lines written
// since it opened. Writers on any thread reach the list through queued calls.
#include <QDialog>

class QComboBox;
class QListWidget;

namespace encap {

class EncapsulationLog;

class CSpecDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSpecDlg(EncapsulationLog& log, QWidget* parent = nullptr);
  ~CSpecDlg() override;

  void OnBnClickedReset();

 private:
  void AddLine(const QString& line);

  EncapsulationLog& log_;
  QListWidget* list_ = nullptr;
  QComboBox* level_ = nullptr;
};

}  // namespace encap
