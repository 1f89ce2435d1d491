#include "mes_dlg.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPointer>
#include <QVBoxLayout>

namespace protocol {

CMesDlg::CMesDlg(MesGrids& grids, QWidget* parent) : CDialogTx(parent), grids_(grids), tabs_(new QTabWidget(this)) {
  setObjectName("CMesDlg");
  setWindowTitle("MES");
  tabs_->setObjectName("4080");
  for (int board = 0; board < grids_.GridCount(); ++board) {
    auto* table = new QTableWidget(0, MesGrids::kColumns, tabs_);
    table->setObjectName(QString::number(7000 + board));
    QStringList headers;
    for (int c = 0; c < MesGrids::kColumns; ++c) {
      headers << (c % 2 == 0 ? "Key" : "Value");
      table->setColumnWidth(c, c % 2 == 0 ? 120 : 100);
    }
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->setVisible(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tables_.push_back(table);
    tabs_->addTab(table, QString(QChar('A' + board)));
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  resize(1000, 560);
  QPointer<CMesDlg> self(this);
  grids_.SetChanged([self] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] {
          if (self) self->Refresh();
        },
        Qt::QueuedConnection);
  });
  Refresh();
}

CMesDlg::~CMesDlg() { grids_.SetChanged(nullptr); }

void CMesDlg::Refresh() {
  for (std::size_t board = 0; board < tables_.size(); ++board) {
    const MesGrids::Grid grid = grids_.GridOf(static_cast<int>(board));
    QTableWidget& table = *tables_[board];
    table.setRowCount(static_cast<int>(grid.size()));
    for (int r = 0; r < table.rowCount(); ++r) {
      for (int c = 0; c < MesGrids::kColumns; ++c) {
        table.setItem(r, c, new QTableWidgetItem(QString::fromStdString(grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])));
      }
    }
  }
}

}  // namespace protocol
