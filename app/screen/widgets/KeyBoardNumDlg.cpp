#include "KeyBoardNumDlg.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "KeyButton.h"

KeyBoardNumDlg::KeyBoardNumDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Key Number");
  m_edit = new QLineEdit(this);
  m_edit->setObjectName("1042");
  m_edit->setMinimumHeight(KeyButton::kKeySize);
  QFont editFont = m_edit->font();
  editFont.setPointSize(18);
  m_edit->setFont(editFont);

  const QStringList captions = {"7", "8", "9", "4", "5", "6", "1", "2", "3", "0", ".", "OK", "Cancel"};
  auto* grid = new QGridLayout;
  grid->setSpacing(6);
  for (int index = 0; index < captions.size(); ++index) {
    const QString caption = captions[index];
    auto* key = new KeyButton(caption, this);
    if (caption == "OK") key->setDefault(true);
    connect(key, &QPushButton::clicked, this, [this, caption] { OnKey(caption); });
    if (caption == "Cancel") {
      grid->addWidget(key, index / 3, 0, 1, 3);
    } else {
      grid->addWidget(key, index / 3, index % 3);
    }
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addLayout(grid);
  m_edit->setFocus();
}

QString KeyBoardNumDlg::GetInputText() const { return m_edit->text(); }

void KeyBoardNumDlg::OnKey(const QString& caption) {
  if (caption == "OK") {
    accept();
    return;
  }
  if (caption == "Cancel") {
    reject();
    return;
  }
  m_edit->setText(m_edit->text() + caption);
  m_edit->setCursorPosition(static_cast<int>(m_edit->text().size()));
  m_edit->setFocus();
}
