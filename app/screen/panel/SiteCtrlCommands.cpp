// The site item list's mouse commands: the single-item test of a double-clicked row, the cycle grid's
// settings shortcut and the right-click menu.
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include "ErrorCodeTable.h"
#include "MenuRights.h"
#include "PlatformLoadlibrary.h"
#include "QRV_PlatformMemory.h"
#include "SiteCtrl.h"
#include "TestThread.h"
#include "Util.h"
#include "port/text.h"

void CSiteCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  CGridCtrl::mouseDoubleClickEvent(event);
  OnDoubleClick(rowAt(event->position().toPoint().y()));
}

void CSiteCtrl::OnDoubleClick(int row) {
  if (!m_links.record || LoginLevel() == 0 || row < 0 || row >= rowCount()) return;
  m_clickedRow = row;
  if (m_siteColorMode == 1) {
    if (m_links.items && m_links.itemsLoaded && m_links.itemsLoaded()) {
      const std::string dll = GetItemText(row, 2).toStdString();
      if (m_links.items->Status(dll) == kItemLoaded) m_links.items->ShowSpec(dll, 0);
    }
    return;
  }
  if (!m_links.thread || !m_model || m_singleItemRunning.exchange(true)) return;
  if (m_singleItemWorker.joinable()) m_singleItemWorker.join();
  m_singleItemWorker = std::thread(&CSiteCtrl::SingleItemTestThread, this, row);
}

void CSiteCtrl::JoinSingleItem() {
  if (m_singleItemWorker.joinable()) m_singleItemWorker.join();
}

void CSiteCtrl::SingleItemTestThread(int row) {
  CTestThread& thread = *m_links.thread;
  if (thread.TryBeginSingleItem()) {
    const std::string dll = m_model->Row(row).dllName;
    // A library that loaded without all its entry points still runs, and fails with its status.
    if (m_links.items && m_links.items->Status(dll) != kItemNotLoaded) {
      m_model->SetCurrentRow(row);
      m_model->SetRowResult(row, kRowTesting, "", "");
      const int result = thread.RunItem(dll);
      const ErrorCodeTable errorCodes(m_links.errorCodePath ? m_links.errorCodePath : [] { return std::string(); });
      const std::string message = errorCodes.GetErrorCodeText(dll, result);
      m_model->SetRowResult(row, result != 0 ? kRowFail : kRowPass, port::Format("%d", result), message);
      m_model->SetLabel(message);
    }
    thread.EndSingleItem();
  }
  m_singleItemRunning.store(false);
}

std::array<bool, 4> CSiteCtrl::ReadMenuRights(unsigned loginLevel) {
  std::array<bool, 4> rights{true, true, true, true};
  const char* prefix = menu_rights::PrefixOfLevel(loginLevel);
  if (prefix == nullptr) return rights;
  const std::vector<bool> flags = menu_rights::Read(prefix, menu_table::ItemListMenu());
  std::copy(flags.begin(), flags.end(), rights.begin());
  return rights;
}

std::unique_ptr<QMenu> CSiteCtrl::CreateItemMenu() {
  // Owned by the caller alone: a Qt parent would delete it a second time with the list.
  auto menu = std::make_unique<QMenu>(QStringLiteral("DLL_List_RclickMenu"));
  const std::array<bool, 4> rights = ReadMenuRights(LoginLevel());
  const std::pair<const char*, void (CSiteCtrl::*)()> commands[] = {
      {"Spec", &CSiteCtrl::OnSpec},
      {"Before Image", &CSiteCtrl::OnBeforeImage},
      {"Site Test", &CSiteCtrl::OnSiteTest},
      {"Site Play", &CSiteCtrl::OnSitePlay}};
  for (int i = 0; i < 4; ++i) {
    QAction* action = menu->addAction(QString::fromLatin1(commands[i].first), this, commands[i].second);
    action->setEnabled(rights[i]);
  }
  return menu;
}

unsigned CSiteCtrl::LoginLevel() const {
  if (m_links.loginLevel) return m_links.loginLevel();
  return m_links.record ? m_links.record->GetLoginLevel() : 0;
}

void CSiteCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (m_siteColorMode != 0) return;
  CreateItemMenu()->exec(event->globalPos());
}

std::string CSiteCtrl::SelectedDll() const { return GetItemText(GetSelectionMark(), kColDll).toStdString(); }

void CSiteCtrl::OnSpec() {
  const std::string dll = SelectedDll();
  if (!dll.empty() && m_links.items && m_links.items->Status(dll) == kItemLoaded) m_links.items->ShowSpec(dll, m_site);
}

void CSiteCtrl::OnBeforeImage() {
  if (m_links.showCapturedImage) m_links.showCapturedImage(GetItemText(GetSelectionMark(), kColItem).toStdString());
}

void CSiteCtrl::OnSiteTest() {
  if (m_links.thread) m_links.thread->Start();
}

void CSiteCtrl::OnSitePlay() {
  const CQRV_LoadMemory* record = m_links.record;
  if (!record || !m_links.thread || !record->OnPlay) return;
  if (record->HardwareType == 1 || record->HardwareType == 4) record->OnPlay(m_links.thread->Usb(), m_site);
}
