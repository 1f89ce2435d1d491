#include "QRVBaseDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "port/message_box.h"

CQRVBaseDlg::CQRVBaseDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("102");
  setWindowTitle("Tarvesta SYSTEM");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
}

void CQRVBaseDlg::RequestExit() {
  m_bExitConfirmed = true;
  close();
}

bool CQRVBaseDlg::ConfirmExit() {
  if (m_bExitConfirmed) return true;
  return port::MessageBox("Do you want exit?", "Question", port::kMbYesNo | port::kMbIconQuestion) ==
         port::kIdYes;
}

void CQRVBaseDlg::closeEvent(QCloseEvent* event) {
  if (!ConfirmExit()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

// Enter and Esc never end the main window.
void CQRVBaseDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
