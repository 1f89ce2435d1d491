#pragma once
// The item's settings window: edits the relay board's and the meter's keys of Test.ini, and drives the
// relay scan, the aging loop and single readings by hand. Hidden at creation; "Close" only hides it.
#include <QDialog>

#include "RmtSettings.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;
class RmtItem;
class CQRV_LoadMemory;

class CSpecDlg : public QDialog {
 public:
  CSpecDlg(RmtItem* item, CQRV_LoadMemory* record);

  // The item is made again by each Item_OnCreate; the window stays.
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

 private:
  QWidget* BuildBoardGroup();
  QWidget* BuildMeterGroup();
  QWidget* BuildButtons();
  void ShowMembers();
  void ControlsIntoMembers();
  void StartScan(bool aging);

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
};
