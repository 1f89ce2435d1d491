#include "CycleSettingManager.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CycleRunner.h"
#include "GridCtrl.h"

CycleSettingManager::CycleSettingManager(const CycleRunner& runner, const std::vector<QString>& siteNames,
                                         GridFactory makeGrid, QWidget* parent)
    : QDialog(parent), m_runner(runner), m_makeGrid(std::move(makeGrid)) {
  setWindowTitle("Cycle Spec");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Cycle Init", this));
  m_init = CreateGrid(this, "1108");
  layout->addWidget(m_init);
  layout->addWidget(new QLabel("Cycle End", this));
  m_siteTab = new QTabWidget(this);
  m_siteTab->setObjectName("1221");
  for (const QString& name : siteNames) {
    CGridCtrl* grid = CreateGrid(m_siteTab, "1109");
    m_siteTab->addTab(grid, name);
    m_end.push_back(grid);
  }
  layout->addWidget(m_siteTab, 1);
  layout->addWidget(new QLabel("Cycle Close", this));
  m_close = CreateGrid(this, "1110");
  layout->addWidget(m_close);
  resize(760, 620);
  Refresh(CycleRunner::kInit);
  Refresh(CycleRunner::kClose);
  for (int site = 0; site < static_cast<int>(m_end.size()); ++site) Refresh(CycleRunner::kEnd + site);
}

CGridCtrl* CycleSettingManager::CreateGrid(QWidget* parent, const QString& id) const {
  CGridCtrl* grid = m_makeGrid ? m_makeGrid(parent) : new CGridCtrl(parent);
  grid->setObjectName(id);
  grid->SetFullRowSelect(true);
  struct Column {
    const char* title;
    int width;
  };
  static constexpr Column kColumns[] = {{"Item", 100},          {"Tact", 47},        {"Dll Name", 120},
                                        {"Version", 53},        {"Define Counct", 90}, {"Retry Count", 79},
                                        {"Result", 57},         {"Code", 41},        {"Error MSG", 100}};
  int column = 0;
  for (const Column& c : kColumns) grid->InsertColumn(column++, QString::fromUtf8(c.title), Qt::AlignLeft, c.width);
  return grid;
}

CGridCtrl* CycleSettingManager::Grid(int list) const {
  if (list == CycleRunner::kInit) return m_init;
  if (list == CycleRunner::kClose) return m_close;
  if (list >= CycleRunner::kEnd && list < static_cast<int>(m_end.size())) return m_end[static_cast<std::size_t>(list)];
  return nullptr;
}

void CycleSettingManager::Refresh(int list) {
  CGridCtrl* grid = Grid(list);
  if (grid == nullptr) return;
  const std::vector<CycleRow> rows = m_runner.Rows(list);
  grid->DeleteAllItems();
  for (const CycleRow& row : rows) {
    const int at = grid->InsertItem(grid->GetItemCount(), QString::fromStdString(row.item));
    int column = 1;
    for (const std::string* text : {&row.tact, &row.dllName, &row.version, &row.defineCount, &row.retryCount,
                                    &row.result, &row.code, &row.errorMsg})
      grid->SetItemText(at, column++, QString::fromStdString(*text));
  }
}
