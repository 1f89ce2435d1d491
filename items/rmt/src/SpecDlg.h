#pragma once
// The item's settings window: edits the relay board's and the meter's keys of Test.ini, and drives the
// relay scan, the aging loop and single readings by hand. Hidden at creation; "Close" only hides it. Its
// instrument buttons start jobs on the item's worker and stay off, with the job's progress shown, until the
// job has ended: the screen never waits on the relay board or the meter.
#include <QDialog>

#include "RmtItem.h"
#include "RmtSettings.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class CQRV_LoadMemory;

class CSpecDlg : public QDialog {
 public:
  CSpecDlg(RmtItem* item, CQRV_LoadMemory* record);
  ~CSpecDlg() override;

  // The item is made again by each Item_OnCreate; the window stays. The window listens to the item's jobs
  // until it is given another item (or none).
  void SetItem(RmtItem* item, CQRV_LoadMemory* record);
  // Test.ini into the members, and the members into the controls.
  void LoadItemSettings();
  // The members into Test.ini; false when a key could not be written.
  bool SaveItemSettings();

  void OnBnClickedApply();
  void OnBnClickedStart();
  void OnBnClickedAgingStart();
  void OnBnClickedAgingStop();
  void OnBnClickedReadData();
  void OnBnClickedRmtInit();
  void OnBnClickedRmtVersion();

  // UI thread: a job's progress or end.
  void ShowJobReport(const RmtItem::JobReport& report);
  QProgressBar* Progress() const { return progress_; }

 private:
  QWidget* BuildBoardGroup();
  QWidget* BuildMeterGroup();
  QWidget* BuildButtons();
  void ShowMembers();
  void ControlsIntoMembers();
  void StartScan(bool aging);
  void StartJob(RmtItem::Job job, int agingCount = 1);
  void EnableJobButtons(bool on);
  void ShowReading();

  RmtItem* item_;
  CQRV_LoadMemory* record_;
  RmtSettings settings_;
  float lastReading_ = 0.0f;

  QSpinBox* interval_ = nullptr;
  QSpinBox* sleep_ = nullptr;
  QSpinBox* boardPort_ = nullptr;
  QSpinBox* boardDummy_ = nullptr;
  QCheckBox* channel_[kRelayChannels]{};
  QCheckBox* testPoint_[kRelayTestPoints]{};
  QSpinBox* agingCount_ = nullptr;
  QLineEdit* version_ = nullptr;
  QSpinBox* ip_[4]{};
  QLineEdit* range_ = nullptr;
  QLineEdit* speed_ = nullptr;
  QSpinBox* sendSleep_ = nullptr;
  QSpinBox* recvSleep_ = nullptr;
  QSpinBox* meterPort_ = nullptr;
  QSpinBox* meterDummy_ = nullptr;
  QSpinBox* sampling_ = nullptr;
  QLineEdit* reading_ = nullptr;
  QPushButton* jobButtons_[5]{};  // Start, Aging Start, Read Data, RMT INIT, RMT Version
  QPushButton* agingStop_ = nullptr;
  QProgressBar* progress_ = nullptr;
};
