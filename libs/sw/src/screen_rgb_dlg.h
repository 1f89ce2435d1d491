#pragma once
// The pixel inspector inside the "Software Spec" window: the colour and image position of the frame pixel
// under the cursor of a site view, and three sliders that mix a colour by hand. UI thread only.
#include <QFrame>

class QLabel;
class QScrollBar;

namespace qrv::sw {
class SoftwareLibrary;
}

class CScreenRgbDlg : public QFrame {
  Q_OBJECT

 public:
  CScreenRgbDlg(qrv::sw::SoftwareLibrary& library, QWidget* parent);

  // (x, y) are client coordinates of the view's window. A point outside the view's frame changes nothing.
  void ShowPixelColor(int view, int x, int y);

 private:
  // A slider moved (by the user or by ShowPixelColor): its value static, the colour code and the swatches.
  void OnHScroll(int slider);
  void ShowColor(int red, int green, int blue);
  QLabel* MakeSwatch(int id, const QRect& rect);

  qrv::sw::SoftwareLibrary& library_;
  QScrollBar* sliders_[3];
  QLabel* values_[3];
  QLabel* position_;
  QLabel* code_;
  QLabel* swatches_[4];
};
