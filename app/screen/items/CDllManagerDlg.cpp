#include "CDllManagerDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "DialogButtons.h"
#include "GridCtrl.h"
#include "port/message_box.h"
#include "port/path.h"

namespace {

DllRegistrationLists::Rules SingleListRules() {
  DllRegistrationLists::Rules rules;
  rules.offerUnnamed = true;
  rules.toggleOnClick = true;
  rules.dropTakesChecked = true;
  rules.pinnedIndex = &ItemRegistration::ReadSingleListPinnedIndexText;
  rules.pinnedVersion = &ItemRegistration::ReadSingleListPinnedVersion;
  return rules;
}

}  // namespace

CDllManagerDlg::CDllManagerDlg(std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent), m_anySiteRunning(std::move(anySiteRunning)) {
  setWindowTitle("DLL Manager");
  auto* layout = new QVBoxLayout(this);
  m_lists = new DllRegistrationLists(SingleListRules(), "1110", this);
  layout->addWidget(m_lists, 1);
  QPushButton* apply = AddAcceptCloseRow(this, layout, "Apply");
  connect(apply, &QPushButton::clicked, this, [this] { SaveRegisteredDlls(1); });
  auto* deleteFiles = new QPushButton("Delete", this);
  deleteFiles->setObjectName("1013");
  deleteFiles->setVisible(false);
  connect(deleteFiles, &QPushButton::clicked, this, [this] { DeleteDllFiles(); });
  m_lists->ListAvailableDlls();
  LoadRegisteredDlls();
  resize(960, 700);
}

std::string CDllManagerDlg::GetDllManagerIniPath() { return ItemRegistration::GetDllManagerIniPath(); }

void CDllManagerDlg::LoadRegisteredDlls() {
  m_lists->Registered()->DeleteAllItems();
  for (const DllEntry& entry : ItemRegistration::ReadSingleListEntries()) m_lists->AppendRegistered(entry);
}

bool CDllManagerDlg::SaveRegisteredDlls(int closeAfter) {
  if (m_anySiteRunning && m_anySiteRunning()) return false;
  std::string error;
  if (ItemRegistration::SaveSingleList(m_lists->Entries(), &error) == 0) {
    port::MessageBox(error + "\nThe list is not saved.");
    return false;
  }
  if (closeAfter) accept();
  return true;
}

void CDllManagerDlg::DeleteDllFiles() {
  if (port::MessageBox("Do you want exit?", "Question", port::kMbYesNo) != port::kIdYes) return;
  CGridCtrl* available = m_lists->Available();
  CGridCtrl* registered = m_lists->Registered();
  for (int row = 0; row < available->GetItemCount();) {
    if (!available->GetCheck(row)) {
      ++row;
      continue;
    }
    const QString dll = available->GetItemText(row, DllRegistrationLists::kAvailDll);
    for (int at = registered->GetItemCount() - 1; at >= 0; --at)
      if (registered->GetItemText(at, DllRegistrationLists::kRegDll) == dll) registered->DeleteItem(at);
    std::error_code ignored;
    std::filesystem::remove(port::JoinPath(DllRegistrationLists::DllFolder(), dll.toStdString()), ignored);
    available->DeleteItem(row);
    SaveRegisteredDlls(0);
  }
}
