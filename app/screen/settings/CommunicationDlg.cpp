#include "CommunicationDlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "GridCtrl.h"
#include "ModelSettings.h"
#include "Util.h"
#include "port/text.h"

namespace {

constexpr int kItemNameColumn = 1;

std::string KeyName(int key) { return port::Format("KEY_USE_%d", key); }

}  // namespace

CommunicationDlg::CommunicationDlg(std::function<bool()> anySiteRunning, QWidget* parent)
    : QDialog(parent),
      m_anySiteRunning(std::move(anySiteRunning)),
      m_keyUse(new QCheckBox("Key board use", this)),
      m_list(new CGridCtrl(this)) {
  setObjectName("132");
  setWindowTitle("Communication");
  m_keyUse->setObjectName("1121");
  m_list->setObjectName("1232");
  m_list->SetFullRowSelect(true);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("2");
  cancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_keyUse);
  layout->addWidget(m_list);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &CommunicationDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &CGridCtrl::cellDoubleClicked, this, &CommunicationDlg::OnDoubleClick);
  OnInitDialog();
  // The ten keys show without scrolling.
  m_list->setMinimumHeight(m_list->horizontalHeader()->sizeHint().height() +
                           kKeys * m_list->verticalHeader()->defaultSectionSize() + 2 * m_list->frameWidth());
  resize(360, minimumSizeHint().height());
}

int CommunicationDlg::ReadKeyUse() {
  return ReadIniInt("COMMUNICATION", "KEY_USE", 0, ModelSettings::GetConfigIniPath());
}

std::string CommunicationDlg::ReadKeyValue(const std::string& keyName) {
  return ReadIniString("COMMUNICATION", keyName.c_str(), "", ModelSettings::GetConfigIniPath());
}

void CommunicationDlg::OnInitDialog() {
  m_keyUse->setChecked(ReadKeyUse() != 0);
  if (m_list->GetColumnCount() == 0) {
    m_list->InsertColumn(0, "Key", Qt::AlignLeft, 33);
    m_list->InsertColumn(kItemNameColumn, "Item Name", Qt::AlignLeft, 270);
  }
  m_list->DeleteAllItems();
  for (int key = 0; key < kKeys; ++key) {
    const int row = m_list->InsertItem(key, QString::number(key));
    m_list->SetItemText(row, kItemNameColumn, QString::fromStdString(ReadKeyValue(KeyName(key))));
  }
}

void CommunicationDlg::OnDoubleClick(int row, int column) {
  if (column == kItemNameColumn) m_list->EditSubItem(row, column, 0);
}

bool CommunicationDlg::OnOK() {
  // The keys are read by the running sites: nothing is written under them, and nothing is said.
  if (m_anySiteRunning && m_anySiteRunning()) return false;
  m_list->CommitEdit();
  const std::string config = ModelSettings::GetConfigIniPath();
  WriteIniInt("COMMUNICATION", "KEY_USE", m_keyUse->isChecked() ? 1 : 0, config);
  for (int key = 0; key < kKeys; ++key)
    WriteIniString("COMMUNICATION", KeyName(key).c_str(),
                   m_list->GetItemText(key, kItemNameColumn).toStdString().c_str(), config);
  accept();
  return true;
}
