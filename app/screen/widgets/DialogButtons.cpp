#include "DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

QPushButton* DialogButton(const char* caption, QWidget* parent, int id) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

QPushButton* AddAcceptCloseRow(QDialog* dialog, QBoxLayout* layout, const char* acceptCaption) {
  QPushButton* accept = DialogButton(acceptCaption, dialog, 1);
  accept->setDefault(true);
  QPushButton* close = DialogButton("Close", dialog, 2);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(accept);
  row->addWidget(close);
  layout->addLayout(row);
  QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
  return accept;
}
