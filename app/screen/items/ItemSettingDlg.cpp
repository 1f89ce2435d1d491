#include "ItemSettingDlg.h"

#include <QVBoxLayout>

#include "GridCtrl.h"
#include "ItemRegistration.h"
#include "PlatformLoadlibrary.h"
#include "ProgramFolder.h"
#include "Util.h"
#include "port/path.h"

ItemSettingDlg::ItemSettingDlg(int siteLetter, ItemSettingLinks links, QWidget* parent)
    : QWidget(parent), m_links(std::move(links)), m_siteLetter(siteLetter) {
  m_list = new CGridCtrl(this);
  m_list->setObjectName("1108");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list);
  InitColumns();
  LoadItems();
  connect(m_list, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { OpenItemSettings(m_list->GetItemText(row, kColDll).toStdString()); });
}

void ItemSettingDlg::InitColumns() {
  m_list->SetFullRowSelect(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->SetColorMode(3);
  int column = 0;
  for (const auto& [title, width] :
       {std::pair{"Item", 160}, {"Code", 40}, {"Result", 50}, {"Version", 50}, {"Dll Name", 93}})
    m_list->InsertColumn(column++, QString::fromUtf8(title), Qt::AlignLeft, width);
}

void ItemSettingDlg::LoadItems() {
  m_list->DeleteAllItems();
  const std::string folder = port::JoinPath(ProgramFolder::Root(), "Dll");
  for (const DllEntry& entry : ItemRegistration::ReadSiteEntries(Site())) {
    if (entry.checked == 0) continue;
    const std::string file = port::JoinPath(folder, entry.dll);
    const int row = m_list->InsertItem(m_list->GetItemCount(),
                                       QString::fromStdString(GetVersionInfoString(file, "ItemName")));
    m_list->SetItemText(row, kColVersion, QString::fromStdString(GetVersionInfoString(file, "ProductVersion")));
    m_list->SetItemText(row, kColDll, QString::fromStdString(entry.dll));
  }
}

bool ItemSettingDlg::OpenItemSettings(const std::string& dll) {
  if (m_links.items == nullptr || !m_links.itemsLoaded || !m_links.itemsLoaded()) return false;
  return m_links.items->ShowSpec(dll, Site());
}
