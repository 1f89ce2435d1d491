#include "SiteLogTab.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "SiteLogCtrl.h"

SiteLogTab::SiteLogTab(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Test Log");
  m_tab = new QTabWidget(this);
  m_tab->setObjectName("1221");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tab);
  resize(900, 420);
}

void SiteLogTab::CreatePages(const std::vector<QString>& siteNames) {
  for (const QString& name : siteNames) {
    auto* page = new SiteLogCtrl(name, m_tab);
    m_tab->addTab(page, name);
    m_pages.push_back(page);
  }
}

SiteLogCtrl* SiteLogTab::Page(int site) const {
  if (site < 0 || site >= SiteCount()) return nullptr;
  return m_pages[static_cast<std::size_t>(site)];
}

void SiteLogTab::SelectSite(int site) {
  if (Page(site) == nullptr) return;
  m_tab->setCurrentIndex(site);
  if (m_header) m_header(site);
}

void SiteLogTab::ClearLog(int site) {
  if (SiteLogCtrl* page = Page(site)) page->DeleteAllItems();
}

void SiteLogTab::AddLogRow(int site, const QStringList& cells) {
  if (SiteLogCtrl* page = Page(site)) page->AddLogRow(cells);
}

void SiteLogTab::AddItemRow(int site, const QStringList& cells) {
  if (SiteLogCtrl* page = Page(site)) page->AddItemRow(cells);
}
