#include "ack_dlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QVBoxLayout>

namespace protocol {
namespace {

QTableWidget* MonitorTable(const char* name, QWidget* parent) {
  auto* table = new QTableWidget(0, 7, parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels({"Recv", "Send", "Type", "Code", "Ext", "ID", "Ack"});
  for (int c = 0; c < 7; ++c) table->setColumnWidth(c, 50);
  table->verticalHeader()->setVisible(false);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SetGridRowLook(*table);
  // Rows stand in arrival order until a header is clicked; the chosen order then holds through every refresh.
  table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table->setSortingEnabled(true);
  return table;
}

}  // namespace

CAckDlg::CAckDlg(AckMonitor& monitor, QWidget* parent)
    : CDialogTx(parent), monitor_(monitor), server_(new QComboBox(this)) {
  setObjectName("CAckDlg");
  setWindowTitle("Ack");
  server_->setObjectName("4033");
  for (int i = 0; i < AckMonitor::kServers; ++i) server_->addItem(QString(QChar('A' + i)));
  recv_ = MonitorTable("7000", this);
  send_ = MonitorTable("8000", this);
  auto* lists = new QHBoxLayout;
  lists->addWidget(recv_);
  lists->addWidget(send_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(server_, 0, Qt::AlignLeft);
  layout->addLayout(lists);
  resize(760, 420);
  connect(server_, &QComboBox::currentIndexChanged, this, [this] { OnCbnCloseupServer(); });
  QPointer<CAckDlg> self(this);
  monitor_.SetChanged([self] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] {
          if (self) self->Refresh();
        },
        Qt::QueuedConnection);
  });
  Refresh();
}

CAckDlg::~CAckDlg() { monitor_.SetChanged(nullptr); }

void CAckDlg::OnCbnCloseupServer() { Refresh(); }

void CAckDlg::Refresh() {
  const int server = server_->currentIndex();
  Fill(*recv_, monitor_.Rows(server, AckMonitor::List::Recv));
  Fill(*send_, monitor_.Rows(server, AckMonitor::List::Send));
}

void CAckDlg::Fill(QTableWidget& table, const MonitorList& list) {
  // Sorting while the cells are set would move rows under the loop; the rows are sorted once, when whole.
  table.setSortingEnabled(false);
  table.setRowCount(static_cast<int>(list.rows.size()));
  for (int r = 0; r < table.rowCount(); ++r) {
    const MonitorRow& row = list.rows[static_cast<std::size_t>(r)];
    const std::string cells[] = {row.recv, row.send, row.type, row.code, row.ext, row.id, row.ack};
    const bool red = list.marking && row.Unanswered();
    for (int c = 0; c < 7; ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
      if (red) item->setBackground(QColor(255, 0, 0));
      table.setItem(r, c, item);
    }
  }
  table.setSortingEnabled(true);
}

}  // namespace protocol
