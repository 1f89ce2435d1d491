#pragma once
// The touch screen's text keyboard: a caller runs it modally and reads GetInputText() after an OK.
// Letters are upper case only; a password keyboard echoes '*' but returns the plain text.
#include <QDialog>
#include <QString>

class QLineEdit;

class KeyBoardDlg : public QDialog {
  Q_OBJECT

 public:
  KeyBoardDlg(const QString& initialText, int password, QWidget* parent = nullptr);

  QString GetInputText() const;
  // One key of the keyboard, named by its caption: "SPACE", "Backspace", "Enter" or a character.
  void OnKey(const QString& caption);

 private:
  void AddKeyRow(class QGridLayout* grid, int row, const QStringList& captions);

  int m_password;
  QLineEdit* m_edit = nullptr;
};
