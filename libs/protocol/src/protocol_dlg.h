#pragma once
// "QTS Tester": the library's window. An engineer sets each server's port and site code and connects or
// closes it, sets the options the link reads live, keeps the FTP settings, injects packets as if the handler
// had sent them, reads the four status lists and, in debug mode, edits the simulation sequences.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <array>

#include "ack_dlg.h"
#include "dialog_tx.h"
#include "grid_ctrl_seq.h"
#include "mes_dlg.h"
#include "protocol_core.h"

namespace protocol {

class CProtocolDlg : public CDialogTx {
  Q_OBJECT
 public:
  explicit CProtocolDlg(ProtocolCore& core);
  ~CProtocolDlg() override;

  // Enables the engineer's controls by the login level, then brings the window to the front.
  void OnSpecDlg();
  CAckDlg& AckDlg() { return *ack_; }
  // Menu "Map": "Ack" and "Mes" both bring the MES dialog up.
  void OnMenuMap();

  void OnBnClickedSend();
  void OnBnClickedSave();
  void OnBnClickedClear();
  void OnBnClickedPacketFolder();
  void OnBnClickedInsert();
  void OnBnClickedDelete();
  void OnBnClickedUp();
  void OnBnClickedDown();
  void OnConnect(int row);
  void OnClose(int row);

 private:
  QWidget* BuildOptions();
  QWidget* BuildChart();
  QWidget* BuildFtp();
  QWidget* BuildDebugging();
  QWidget* BuildServerList();
  QWidget* BuildSequences();
  void LoadServerRows();
  void UpdateRowButtons();
  void RefreshStatus();
  bool IsEngineer() const;
  void ApplyLoadLoginLevel();
  void ApplyLoginLevel();
  CGridCtrlSeq& CurrentSequence();
  void StoreSequences();
  ProtocolCore::ServerRow RowTexts(int row) const;

  ProtocolCore& core_;
  CAckDlg* ack_;
  CMesDlg* mes_;
  QCheckBox* packetSave_ = nullptr;
  QCheckBox* simulation_ = nullptr;
  QLineEdit* packet_ = nullptr;
  QComboBox* sendServer_ = nullptr;
  QPushButton* send_ = nullptr;
  std::array<QLineEdit*, 4> ftp_{};
  QTableWidget* servers_ = nullptr;
  std::array<std::array<CGridButton*, 2>, kServerCount> rowButtons_{};
  QTabWidget* statusTabs_ = nullptr;
  std::array<QListWidget*, kServerCount> status_{};
  QWidget* sequencePanel_ = nullptr;
  QTabWidget* sequenceTabs_ = nullptr;
  std::array<CGridCtrlSeq*, kSequenceLists> sequences_{};
  QComboBox* function_ = nullptr;
};

}  // namespace protocol
