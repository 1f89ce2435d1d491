#pragma once
// "Platform Memory": a read-only view of the platform record as the libraries and test items read it, each
// value under the name of the record's getter that returns it. The values are a snapshot of the last FillList.
#include <QDialog>

class CQRVPlatformMemory;
class QTableWidget;

class CPfMemoryDlg : public QDialog {
  Q_OBJECT

 public:
  // The record is not owned and outlives the window.
  explicit CPfMemoryDlg(const CQRVPlatformMemory* record, QWidget* parent = nullptr);

  void InitColumns();
  void FillList();
  QTableWidget* List() const { return m_list; }

 private:
  const CQRVPlatformMemory* m_record;
  QTableWidget* m_list = nullptr;
};
