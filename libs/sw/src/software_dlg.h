#pragma once
// The hidden "Software Spec" window: the "Testing Image Save" option and the out-draw type of the views.
#include <QDialog>

class CScreenRgbDlg;
class QCheckBox;
class QLabel;

namespace qrv::sw {
class SoftwareLibrary;
}

class CSoftwareDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSoftwareDlg(qrv::sw::SoftwareLibrary& library);

  // Shows the options the library holds now; UI thread.
  void ShowOptions();
  // Hides and shows the window again, which brings it forward.
  void BringForward();
  CScreenRgbDlg* Inspector() const { return inspector_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnBnClickedSave();

  qrv::sw::SoftwareLibrary& library_;
  QCheckBox* testingImageSave_;
  QLabel* outDrawType_;
  CScreenRgbDlg* inspector_;
};
