#include "GridEdit.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "GridCtrl.h"

CGridEdit::CGridEdit(CGridCtrl* grid, int row, int column, const QString& initialText, bool digitsOnly,
                     Qt::Alignment alignment)
    : QLineEdit(grid->viewport()), m_grid(grid), m_row(row), m_column(column), m_initialText(initialText) {
  setFont(grid->font());
  setAlignment(alignment | Qt::AlignVCenter);
  setFrame(false);
  if (digitsOnly) {
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
  }
  setText(initialText);
  setCursorPosition(static_cast<int>(text().size()));
}

bool CGridEdit::event(QEvent* event) {
  // Enter, Escape, Delete and Ctrl combinations belong to the editor, not to the dialog's shortcuts.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool mine = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape ||
                      key->key() == Qt::Key_Delete || (key->modifiers() & Qt::ControlModifier);
    if (mine) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CGridEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      m_escape = 1;
      Finish();
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Finish();
      event->accept();
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

void CGridEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  Finish();
}

void CGridEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QPen(QColor(0, 165, 0), 2));
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void CGridEdit::Finish() {
  m_grid->setFocus();
  m_grid->OnEditEnded(this);
}
