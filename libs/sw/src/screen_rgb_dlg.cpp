#include "screen_rgb_dlg.h"

#include <QLabel>
#include <QScrollBar>

#include "software_library.h"

namespace {

QString ColorCode(int red, int green, int blue) {
  return QString::asprintf("#%02X%02X%02X", red, green, blue);
}

void Fill(QLabel* swatch, const QColor& color) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, color);
  swatch->setPalette(palette);
  swatch->update();
}

}  // namespace

CScreenRgbDlg::CScreenRgbDlg(qrv::sw::SoftwareLibrary& library, QWidget* parent) : QFrame(parent), library_(library) {
  setObjectName("10008");
  setFrameShape(QFrame::Box);
  // Swatches at the client rectangles of the inspector's own layout: red, green and blue parts, whole colour.
  swatches_[0] = MakeSwatch(930, QRect(5, 5, 20, 20));
  swatches_[1] = MakeSwatch(931, QRect(5, 30, 20, 20));
  swatches_[2] = MakeSwatch(932, QRect(5, 55, 20, 20));
  swatches_[3] = MakeSwatch(933, QRect(5, 85, 100, 20));
  for (int i = 0; i < 3; ++i) {
    sliders_[i] = new QScrollBar(Qt::Horizontal, this);
    sliders_[i]->setObjectName(QString::number(10010 + i));
    sliders_[i]->setGeometry(30, 5 + 25 * i, 190, 20);
    sliders_[i]->setRange(0, 255);
    sliders_[i]->setSingleStep(1);
    sliders_[i]->setPageStep(10);
    sliders_[i]->setValue(255);
    values_[i] = new QLabel("255", this);
    values_[i]->setObjectName(QString::number(10013 + i));
    values_[i]->setGeometry(228, 5 + 25 * i, 40, 20);
    connect(sliders_[i], &QScrollBar::valueChanged, this, [this, i] { OnHScroll(i); });
  }
  code_ = new QLabel("#FFFFFF", this);
  code_->setObjectName("10017");
  code_->setGeometry(112, 85, 60, 20);
  position_ = new QLabel("X : Pos, Y : Pos", this);
  position_->setObjectName("10016");
  position_->setGeometry(175, 85, 97, 20);
  Fill(swatches_[0], QColor(255, 0, 0));
  Fill(swatches_[1], QColor(0, 255, 0));
  Fill(swatches_[2], QColor(0, 0, 255));
  Fill(swatches_[3], QColor(255, 255, 255));
}

QLabel* CScreenRgbDlg::MakeSwatch(int id, const QRect& rect) {
  auto* swatch = new QLabel(this);
  swatch->setObjectName(QString::number(id));
  swatch->setFrameShape(QFrame::Box);
  swatch->setAutoFillBackground(true);
  swatch->setGeometry(rect);
  return swatch;
}

void CScreenRgbDlg::ShowPixelColor(int view, int x, int y) {
  const std::optional<qrv::sw::InspectedPixel> pixel = library_.Views().PixelAt(view, x, y);
  if (!pixel) return;
  const int rgb[3] = {pixel->red, pixel->green, pixel->blue};
  for (int i = 0; i < 3; ++i) sliders_[i]->setValue(rgb[i]);
  for (int i = 0; i < 3; ++i) values_[i]->setText(QString::number(rgb[i]));
  position_->setText(QString::asprintf("X: %d, Y : %d", pixel->x, pixel->y));
  ShowColor(pixel->red, pixel->green, pixel->blue);
}

void CScreenRgbDlg::OnHScroll(int slider) {
  values_[slider]->setText(QString::number(sliders_[slider]->value()));
  ShowColor(values_[0]->text().toInt(), values_[1]->text().toInt(), values_[2]->text().toInt());
}

void CScreenRgbDlg::ShowColor(int red, int green, int blue) {
  code_->setText(ColorCode(red, green, blue));
  Fill(swatches_[0], QColor(red, 0, 0));
  Fill(swatches_[1], QColor(0, green, 0));
  Fill(swatches_[2], QColor(0, 0, blue));
  Fill(swatches_[3], QColor(red, green, blue));
}
