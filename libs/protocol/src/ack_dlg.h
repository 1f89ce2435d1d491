#pragma once
// The packet monitor: per server the packets received ("Recv") and sent ("Send"), each Command with the
// ID of its Ack; once a test has ended, the Commands left unanswered are painted red.
#include <QComboBox>
#include <QTableWidget>

#include "ack_monitor.h"
#include "dialog_tx.h"

namespace protocol {

class CAckDlg : public CDialogTx {
  Q_OBJECT
 public:
  CAckDlg(AckMonitor& monitor, QWidget* parent);
  ~CAckDlg() override;
  // Shows the two lists of the server chosen in 4033.
  void OnCbnCloseupServer();
  void Refresh();

 private:
  void Fill(QTableWidget& table, const MonitorList& list);

  AckMonitor& monitor_;
  QComboBox* server_;
  QTableWidget* recv_;
  QTableWidget* send_;
};

}  // namespace protocol
