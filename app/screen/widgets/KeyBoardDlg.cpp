#include "KeyBoardDlg.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "KeyButton.h"

namespace {

constexpr int kColumns = 11;

}  // namespace

KeyBoardDlg::KeyBoardDlg(const QString& initialText, int password, QWidget* parent)
    : QDialog(parent), m_password(password) {
  setWindowTitle("KeyBoard");
  m_edit = new QLineEdit(initialText, this);
  m_edit->setObjectName("1030");
  m_edit->setMinimumHeight(KeyButton::kKeySize);
  QFont editFont = m_edit->font();
  editFont.setPointSize(18);
  m_edit->setFont(editFont);
  if (m_password != 0) m_edit->setEchoMode(QLineEdit::Password);

  auto* grid = new QGridLayout;
  grid->setSpacing(6);
  AddKeyRow(grid, 0, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "_"});
  AddKeyRow(grid, 1, {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "Backspace"});
  AddKeyRow(grid, 2, {"A", "S", "D", "F", "G", "H", "J", "K", "L"});
  AddKeyRow(grid, 3, {"Z", "X", "C", "V", "B", "N", "M", ",", "."});
  // Enter is the default key: the physical Enter presses it, and it is larger, right of the letters.
  auto* enter = new KeyButton("Enter", this);
  enter->setDefault(true);
  connect(enter, &QPushButton::clicked, this, [this] { OnKey("Enter"); });
  grid->addWidget(enter, 2, kColumns - 2, 2, 2);
  auto* space = new KeyButton("SPACE", this);
  connect(space, &QPushButton::clicked, this, [this] { OnKey("SPACE"); });
  grid->addWidget(space, 4, 2, 1, kColumns - 4);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addLayout(grid);
  m_edit->setFocus();
}

void KeyBoardDlg::AddKeyRow(QGridLayout* grid, int row, const QStringList& captions) {
  for (int column = 0; column < captions.size(); ++column) {
    const QString caption = captions[column];
    auto* key = new KeyButton(caption, this);
    connect(key, &QPushButton::clicked, this, [this, caption] { OnKey(caption); });
    grid->addWidget(key, row, column);
  }
}

QString KeyBoardDlg::GetInputText() const { return m_edit->text(); }

// The edit is the text itself, so characters typed on a physical keyboard count as well.
void KeyBoardDlg::OnKey(const QString& caption) {
  QString text = m_edit->text();
  if (caption == "Enter") {
    accept();
    return;
  }
  if (caption == "SPACE") {
    text += ' ';
  } else if (caption == "Backspace") {
    text.chop(1);
  } else {
    text += caption;
  }
  m_edit->setText(text);
  m_edit->setCursorPosition(static_cast<int>(text.size()));
  m_edit->setFocus();
}
