#pragma once
// The main window: the image area of the station. Closing it asks first; its end ends the program.
#include <QDialog>

class CQRVBaseDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CQRVBaseDlg(QWidget* parent = nullptr);

  // Closes without the question, as if it had been answered Yes.
  void RequestExit();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool ConfirmExit();

  bool m_bExitConfirmed = false;
};
