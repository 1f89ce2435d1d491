#include "KeyButton.h"

#include <algorithm>

KeyButton::KeyButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setObjectName(caption);
  setMinimumSize(kKeySize, kKeySize);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  // A finger cannot aim at a button that takes the focus from the edit.
  setFocusPolicy(Qt::NoFocus);
  setAutoDefault(false);
  QFont keyFont = font();
  keyFont.setPointSize(16);
  keyFont.setBold(true);
  setFont(keyFont);
  // A word key ("Backspace") keeps its caption whole however small the keyboard is made.
  setMinimumWidth(std::max(kKeySize, fontMetrics().horizontalAdvance(caption) + 16));
}
