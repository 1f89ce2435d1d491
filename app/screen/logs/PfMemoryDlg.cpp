#include "PfMemoryDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "QRV_PlatformMemory.h"

namespace {

constexpr int kDataWidth = 170;
constexpr int kValueWidth = 800;

std::string Number(std::uint32_t value) { return std::to_string(static_cast<int>(value)); }

std::pair<const char*, std::string> Row(int index, const CQRVPlatformMemory& r) {
  switch (index) {
    case 0: return {"GetLoginLevel()", Number(r.GetLoginLevel())};
    case 1: return {"GetStopButtonFlag()", Number(r.GetStopButtonFlag())};
    case 2: return {"GetOverridemode()", Number(r.GetOverridemode())};
    case 3: return {"GetSimulationMode()", Number(r.GetSimulationMode())};
    case 4: return {"GetLotNumber()", r.GetLotNumber()};
    case 5: return {"GetRoot()", r.GetRoot()};
    case 6: return {"GetModelName()", r.GetModelName()};
    case 7: return {"GetModelPath()", r.GetModelPath()};
    case 8: return {"GetSensorPath()", r.GetSensorPath()};
    case 9: return {"GetRegisterPath()", r.GetRegisterPath()};
    case 10: return {"GetSimulationPath()", r.GetSimulationPath()};
    case 11: return {"GetProductionPath()", r.GetProductionPath()};
    case 12: return {"GetEnginnerPath()", r.GetEnginnerPath()};
    case 13: return {"GetMachineName()", r.GetMachineName()};
    default: return {"GetLineName()", r.GetLineName()};
  }
}

constexpr int kRowCount = 15;

}  // namespace

CPfMemoryDlg::CPfMemoryDlg(const CQRVPlatformMemory* record, QWidget* parent) : QDialog(parent), m_record(record) {
  setObjectName("Platform Memory");
  setWindowTitle("Platform Memory");
  m_list = new QTableWidget(this);
  m_list->setObjectName("List");
  auto* save = new QPushButton("Save", this);
  auto* close = new QPushButton("Close", this);
  save->setDefault(true);
  // Nothing here is saved: both buttons only close the window.
  connect(save, &QPushButton::clicked, this, &QDialog::accept);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  resize(kDataWidth + kValueWidth + 40, 480);
  InitColumns();
  FillList();
}

void CPfMemoryDlg::InitColumns() {
  m_list->setColumnCount(2);
  m_list->setHorizontalHeaderLabels({"Data", "Value"});
  m_list->setColumnWidth(0, kDataWidth);
  m_list->setColumnWidth(1, kValueWidth);
  m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_list->horizontalHeader()->setStretchLastSection(true);
  m_list->verticalHeader()->hide();
  m_list->setShowGrid(true);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CPfMemoryDlg::FillList() {
  m_list->setRowCount(0);
  if (m_record == nullptr) return;
  for (int index = 0; index < kRowCount; ++index) {
    const auto [name, value] = Row(index, *m_record);
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    m_list->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(name)));
    m_list->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(value)));
  }
  m_list->resizeRowsToContents();
}
