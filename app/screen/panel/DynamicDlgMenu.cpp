// The site panel's menu bar, the menu rights of both menu bars, the login and the test modes.
#include <QVBoxLayout>

#include "CommandMenuBar.h"
#include "ControllerIni.h"
#include "DynamicDlg.h"
#include "IntegratedLog.h"
#include "LoginDlg.h"
#include "MenuRights.h"
#include "PfMemoryDlg.h"
#include "TestModeDlg.h"
#include "port/text.h"

namespace {

void Raise(QWidget* window) {
  window->hide();
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

void DynamicDlg::CreateMenuBar() {
  using namespace menu_table;
  m_menuBar = new CommandMenuBar(PanelMenu(), this);
  auto* layout = new QVBoxLayout(this);
  // The menu bar lies over the whole width at the very top, above the client area.
  setAttribute(Qt::WA_LayoutOnEntireRect);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(m_menuBar);
  // The layout's rectangles are the client area's, below the menu bar.
  setContentsMargins(0, m_menuBar->sizeHint().height(), 0, 0);
  m_menuBar->SetHandler(kControllerSetting, [this] { OpenControllerSetting(); });
  m_menuBar->SetHandler(kLotNumber, [this] { OnMenuLotNumber(); });
  m_menuBar->SetHandler(kFreeLibrary, [this] { FreeLibrary(); });
  m_menuBar->SetHandler(kLoadLibrary, [this] { LoadLibrary(); });
  m_menuBar->SetHandler(kCurrentLibrary, [this] { OpenCurrentLibrary(); });
}

int DynamicDlg::LoginLevel() const {
  const std::uint32_t level = m_nLoginLevel.load();
  return static_cast<int>(level >= 10 ? level - 10 : level);
}

void DynamicDlg::ApplyMenuRights() {
  const char* prefix = menu_rights::Prefix(m_bLoggedIn.load(), m_nLoginLevel.load());
  if (prefix == nullptr) return;
  CommandMenuBar* mainMenu =
      parentWidget() != nullptr ? parentWidget()->findChild<CommandMenuBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  for (const MenuPopup& group : menu_table::MainMenu()) {
    const std::vector<bool> flags = menu_rights::Read(prefix, group);
    if (mainMenu != nullptr) mainMenu->SetRights(group, flags);
  }
  for (const MenuPopup& group : menu_table::PanelMenu()) m_menuBar->SetRights(group, menu_rights::Read(prefix, group));
}

void DynamicDlg::LoginAndApplyRights() {
  LoginDlg dialog(m_bLoggedIn.load(), static_cast<int>(m_nLoginLevel.load()), [this] { return IsAnySiteRunning() != 0; },
                  parentWidget() != nullptr ? parentWidget() : this);
  dialog.exec();
  m_bLoggedIn.store(dialog.GetLoginFlag());
  m_nLoginLevel.store(static_cast<std::uint32_t>(dialog.GetUserLevel()));
  ApplyMenuRights();
}

void DynamicDlg::RunTestModeDialog() {
  TestModeDlg::Station station{this, "Ref/" + GetModelName() + "/TestMode.ini", [this] { return IsAnySiteRunning() != 0; }};
  TestModeDlg dialog(m_nRepeatMode.load(), static_cast<int>(m_nRepeatCount.load()), GetSimulationPath(), std::move(station),
                     parentWidget() != nullptr ? parentWidget() : this);
  if (dialog.exec() != QDialog::Accepted) return;
  SetRepeatRun(dialog.m_nMode, static_cast<unsigned>(dialog.m_nCount));
  m_nOverrideMode.store(static_cast<std::uint32_t>(dialog.m_nOverrideMode));
  m_nSimulationMode.store(static_cast<std::uint32_t>(dialog.m_nSimulationMode));
  port::CopyText(m_szSimulationPath, dialog.m_strSimulationPath);
}

void DynamicDlg::ShowListLogWindow() {
  if (m_pIntegratedLog == nullptr) return;
  if (m_pIntegratedLog->GetLogMove() == 0) {
    const QrvRect r = ControllerIni::ReadRect("USER_INTERFACE", "LISTLOG_SIZE");
    if (r.left >= 0 && r.top >= 0 && r.right > r.left && r.bottom > r.top)
      m_pIntegratedLog->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  Raise(m_pIntegratedLog);
}

void DynamicDlg::ShowPfMemory() {
  if (m_pPfMemoryDlg == nullptr) m_pPfMemoryDlg = new CPfMemoryDlg(this, this);
  m_pPfMemoryDlg->FillList();
  Raise(m_pPfMemoryDlg);
}

CPfMemoryDlg* DynamicDlg::PfMemoryWindow() const { return m_pPfMemoryDlg.data(); }
