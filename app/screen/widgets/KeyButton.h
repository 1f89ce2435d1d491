#pragma once
// A key of the on-screen keyboards: large enough for a finger, named by its caption.
#include <QPushButton>

class KeyButton : public QPushButton {
  Q_OBJECT

 public:
  explicit KeyButton(const QString& caption, QWidget* parent = nullptr);

  static constexpr int kKeySize = 64;
};
