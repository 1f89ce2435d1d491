#pragma once
// The dark look of the library's windows: dark grey backgrounds, lighter fields and buttons, white text,
// and group boxes with white frames and captions.
#include <QDialog>
#include <QGroupBox>
#include <QTableWidget>

namespace protocol {

class CDialogTx : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogTx(QWidget* parent = nullptr);
};

// The library's report lists draw their own rows, not the dialog's: odd rows light grey, even rows white,
// black text.
void SetGridRowLook(QTableWidget& grid);

class CTGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  explicit CTGroupBox(const QString& title, QWidget* parent = nullptr);
  // The flat style draws the frame red.
  void SetFlat(bool flat);
};

}  // namespace protocol
