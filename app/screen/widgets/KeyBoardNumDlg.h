#pragma once
// A digit pad for numbers typed on the touch screen; "OK" accepts, "Cancel" or Esc leaves no result.
#include <QDialog>
#include <QString>

class QLineEdit;

class KeyBoardNumDlg : public QDialog {
  Q_OBJECT

 public:
  explicit KeyBoardNumDlg(QWidget* parent = nullptr);

  QString GetInputText() const;
  void OnKey(const QString& caption);

 private:
  QLineEdit* m_edit = nullptr;
};
