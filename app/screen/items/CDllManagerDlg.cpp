#include "CDllManagerDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "GridCtrl.h"
#include "port/message_box.h"

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

CDllManagerDlg::CDllManagerDlg(DllRegistrationLists::Guards guards, QWidget* parent)
    : QDialog(parent), m_guards(guards) {
  setWindowTitle("DLL Manager");
  auto* layout = new QVBoxLayout(this);
  m_lists = new DllRegistrationLists(SingleListRules(), std::move(guards), "1110", this);
  layout->addWidget(m_lists, 1);
  QPushButton* apply = AddAcceptCloseRow(this, layout, "Apply");
  connect(apply, &QPushButton::clicked, this, [this] { SaveRegisteredDlls(1); });
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
  if (m_guards.anySiteRunning && m_guards.anySiteRunning()) {
    port::MessageBox("A site is testing: the DLL list is not saved. Apply again when the test has ended.");
    return false;
  }
  std::string error;
  if (ItemRegistration::SaveSingleList(m_lists->Entries(), &error) == 0) {
    port::MessageBox(error + "\nThe list is not saved.");
    return false;
  }
  if (closeAfter) accept();
  return true;
}
