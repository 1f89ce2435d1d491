#include "UISubTabDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "GridCtrl.h"
#include "SiteNames.h"

UISubTabDlg::UISubTabDlg(QWidget* parent)
    : QDialog(parent),
      m_list(new CGridCtrl(this)),
      m_save(new QPushButton(QStringLiteral("Save"), this)),
      m_close(new QPushButton(QStringLiteral("Close"), this)) {
  setWindowTitle(QStringLiteral("Tab Setting"));
  m_list->setObjectName(QStringLiteral("1111"));
  m_list->SetFullRowSelect(true);
  m_save->setObjectName(QStringLiteral("1016"));
  m_close->setObjectName(QStringLiteral("2"));
  m_save->setAutoDefault(false);
  m_close->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_save);
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  layout->addLayout(buttons);

  connect(m_save, &QPushButton::clicked, this, &UISubTabDlg::OnSave);
  connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &CGridCtrl::cellDoubleClicked, this, &UISubTabDlg::OnDoubleClick);
  OnInitDialog();
}

void UISubTabDlg::OnInitDialog() {
  if (m_list->GetColumnCount() == 0) {
    m_list->InsertColumn(0, QStringLiteral("Site Index"), Qt::AlignLeft, 80);
    m_list->InsertColumn(1, QStringLiteral("Value"), Qt::AlignLeft, 85);
  }
  m_list->DeleteAllItems();
  const std::vector<std::string> names = SiteNames::ReadAll();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int row = m_list->InsertItem(static_cast<int>(i), QString::number(i));
    m_list->SetItemText(row, 1, QString::fromStdString(names[i]));
  }
}

void UISubTabDlg::OnDoubleClick(int row, int column) {
  if (column == 1) m_list->EditSubItem(row, column, 0);
}

void UISubTabDlg::OnSave() {
  m_list->CommitEdit();
  std::vector<std::string> names;
  for (int row = 0; row < m_list->GetItemCount(); ++row) names.push_back(m_list->GetItemText(row, 1).toStdString());
  SiteNames::SaveAll(names);
}
