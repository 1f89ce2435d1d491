#include "CurrentLibrary.h"

#include <QVBoxLayout>

#include "CycleRunner.h"
#include "GridCtrl.h"
#include "SiteModel.h"

namespace {

constexpr int kStatusColorMode = 4;

std::vector<CurrentLibrary::SourceRow> CycleSources(const std::vector<CycleRow>& rows) {
  std::vector<CurrentLibrary::SourceRow> sources;
  for (const CycleRow& row : rows) sources.push_back({row.item, row.dllName});
  return sources;
}

std::vector<CurrentLibrary::SourceRow> SiteSources(const SiteModel& list) {
  std::vector<CurrentLibrary::SourceRow> sources;
  for (const ItemRow& row : list.Rows()) sources.push_back({row.item, row.dllName});
  return sources;
}

}  // namespace

CurrentLibrary::CurrentLibrary(ItemLibraryMap& items, CycleRunner& cycles, std::vector<const SiteModel*> siteLists,
                               std::string root, ItemPlatform platform, QWidget* parent)
    : QDialog(parent),
      m_items(items),
      m_cycles(cycles),
      m_siteLists(std::move(siteLists)),
      m_root(std::move(root)),
      m_platform(platform) {
  setObjectName("223");
  setWindowTitle("Current Dll Loadlibrary");
  m_list = new CGridCtrl(this);
  m_list->setObjectName("1232");
  m_list->SetFullRowSelect(true);
  m_list->SetColorMode(kStatusColorMode);
  int column = 0;
  for (const auto& [title, width] :
       {std::pair{"Item", 150}, {"DLL Name", 150}, {"Path", 50}, {"Function", 70}, {"Result", 50}})
    m_list->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list);
  resize(500, 300);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { OpenRowSettings(row); });
}

bool CurrentLibrary::LoadAllItems() {
  m_bAllLoaded = 1;
  LoadItemGroup(CycleSources(m_cycles.Rows(CycleRunner::kInit)), "Cycle", "Init");
  // The Init list runs before any site item is loaded.
  m_cycles.RunCycle(CycleRunner::kInit, 0, 0, 0, 0);
  for (const SiteModel* list : m_siteLists) LoadItemGroup(SiteSources(*list), "DLL", "Function");
  for (int site = 0; site < static_cast<int>(m_siteLists.size()); ++site)
    LoadItemGroup(CycleSources(m_cycles.Rows(CycleRunner::kEnd + site)), "Cycle", "End");
  LoadItemGroup(CycleSources(m_cycles.Rows(CycleRunner::kClose)), "Cycle", "Close");
  return m_bAllLoaded != 0;
}

void CurrentLibrary::LoadItemGroup(const std::vector<SourceRow>& rows, const char* folder, const char* role) {
  for (const SourceRow& row : rows) {
    const int status = m_items.Load(row.dll, folder, m_root, m_platform, {row.item, role});
    // The red row is the whole report of a library that failed.
    if (status != kItemLoaded) m_bAllLoaded = 0;
  }
  ShowStatusRows();
}

void CurrentLibrary::UnloadAllItems(bool destroying) {
  m_items.UnloadAll();
  if (!destroying) m_list->DeleteAllItems();
}

bool CurrentLibrary::OpenRowSettings(int row) {
  if (row < 0 || row >= m_list->GetItemCount()) return false;
  return m_items.ShowSpec(m_list->GetItemText(row, 1).toStdString(), 0);
}

void CurrentLibrary::ShowStatusRows() {
  m_list->DeleteAllItems();
  for (const ItemLibraryMap::Listed& listed : m_items.List()) {
    const int row = m_list->InsertItem(m_list->GetItemCount(), QString::fromStdString(listed.itemName));
    m_list->SetItemText(row, 1, QString::fromStdString(listed.dllName));
    m_list->SetItemText(row, 2, QString::fromStdString(listed.folder));
    m_list->SetItemText(row, 3, QString::fromStdString(listed.role));
    m_list->SetItemText(row, kColResult, QString::number(listed.status));
  }
}
