#include "CCycleGridCtrl.h"

CCycleGridCtrl::CCycleGridCtrl(QWidget* parent) : CGridCtrl(parent) {
  connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column == kRetryColumn) EditSubItem(row, column, 1);
  });
}
