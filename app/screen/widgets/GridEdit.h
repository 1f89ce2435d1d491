#pragma once
// The small editor that CGridCtrl opens over one cell. Enter or a focus change keeps the typed text,
// Escape keeps the cell's old text; a digits-only editor refuses anything but decimal digits.
#include <QLineEdit>
#include <QString>

class CGridCtrl;

class CGridEdit : public QLineEdit {
  Q_OBJECT

 public:
  CGridEdit(CGridCtrl* grid, int row, int column, const QString& initialText, bool digitsOnly,
            Qt::Alignment alignment);

  int Row() const { return m_row; }
  int Column() const { return m_column; }
  int Escaped() const { return m_escape; }
  const QString& InitialText() const { return m_initialText; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Finish();

  CGridCtrl* m_grid;
  int m_escape = 0;
  int m_row;
  int m_column;
  QString m_initialText;
};
