#pragma once
// "MES": the handler's MES data of each board, one grid per board under the tabs "A", "B", ...
#include <QTabWidget>
#include <QTableWidget>
#include <vector>

#include "dialog_tx.h"
#include "mes_grids.h"

namespace protocol {

class CMesDlg : public CDialogTx {
  Q_OBJECT
 public:
  CMesDlg(MesGrids& grids, QWidget* parent);
  ~CMesDlg() override;
  void Refresh();

 private:
  MesGrids& grids_;
  QTabWidget* tabs_;
  std::vector<QTableWidget*> tables_;
};

}  // namespace protocol
