#include "SiteManagerDlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "ModelSettings.h"
#include "QRV_Types.h"
#include "SiteDynamicDlg.h"
#include "SiteNames.h"
#include "port/message_box.h"

SiteManagerDlg::SiteManagerDlg(std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent), m_anySiteRunning(std::move(anySiteRunning)) {
  setWindowTitle("Dll Manager");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addStretch(1);
  m_versionUse = new QCheckBox("Item version use", this);
  m_versionUse->setObjectName("1121");
  m_versionUse->setChecked(ItemRegistration::ReadItemVersionUse());
  top->addWidget(m_versionUse);
  layout->addLayout(top);

  m_tab = new QTabWidget(this);
  m_tab->setObjectName("1210");
  // The sites the station runs, as the site panel counts them.
  const int sites = ModelSettings::UsableSiteCount(ModelSettings::ReadSiteCount(-1), nullptr);
  for (int site = 0; site < sites; ++site) {
    auto* page = new SiteDynamicDlg(SiteLetter(site), m_tab);
    m_tab->addTab(page, QString::fromStdString(SiteNames::ReadSiteName(site)));
    m_pages.push_back(page);
  }
  layout->addWidget(m_tab, 1);

  QPushButton* apply = AddAcceptCloseRow(this, layout, "Apply");
  connect(apply, &QPushButton::clicked, this, &SiteManagerDlg::OnApply);
  resize(960, 720);
}

SiteDynamicDlg* SiteManagerDlg::Page(int site) const {
  return site >= 0 && site < PageCount() ? m_pages[static_cast<std::size_t>(site)] : nullptr;
}

void SiteManagerDlg::OnApply() {
  ItemRegistration::WriteItemVersionUse(m_versionUse->isChecked());
  if (m_anySiteRunning && m_anySiteRunning()) {
    port::MessageBox("A site is testing: the DLL lists are not saved. Apply again when the test has ended.");
    return;
  }
  if (SaveAllLists()) accept();
}

bool SiteManagerDlg::SaveAllLists() {
  auto refuse = [this](SiteDynamicDlg* page, const std::string& reason) {
    m_tab->setCurrentWidget(page);
    port::MessageBox(m_tab->tabText(m_tab->currentIndex()).toStdString() + ": " + reason);
    return false;
  };
  for (SiteDynamicDlg* page : m_pages) {
    const std::string reason = page->CheckDllList();
    if (!reason.empty()) return refuse(page, reason + "\nNo list is saved.");
  }
  for (SiteDynamicDlg* page : m_pages) {
    std::string error;
    if (page->SaveDllList(&error) == 0) return refuse(page, error);
  }
  return true;
}
