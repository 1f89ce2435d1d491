#include "SiteSpecTabDlg.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "ModelSettings.h"
#include "QRV_Types.h"
#include "SiteNames.h"

SiteSpecTabDlg::SiteSpecTabDlg(ItemSettingLinks links, QWidget* parent) : QDialog(parent), m_links(std::move(links)) {
  setWindowTitle("Spec Setting");
  m_tab = new QTabWidget(this);
  m_tab->setObjectName("1219");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_tab);
  BuildPages();
  resize(420, 470);
}

SiteSpecTabDlg::~SiteSpecTabDlg() { ClearPages(); }

void SiteSpecTabDlg::BuildPages() {
  ClearPages();
  const int sites = ModelSettings::UsableSiteCount(ModelSettings::ReadSiteCount(-1), nullptr);
  for (int site = 0; site < sites; ++site) {
    auto* page = new ItemSettingDlg(SiteLetter(site), m_links, m_tab);
    m_tab->addTab(page, QString::fromStdString(SiteNames::ReadSiteName(site)));
    m_pages.push_back(page);
  }
  m_tab->setCurrentIndex(0);
}

void SiteSpecTabDlg::ClearPages() {
  m_tab->clear();
  for (ItemSettingDlg* page : m_pages) delete page;
  m_pages.clear();
}

ItemSettingDlg* SiteSpecTabDlg::Page(int site) const {
  return site >= 0 && site < PageCount() ? m_pages[static_cast<std::size_t>(site)] : nullptr;
}
