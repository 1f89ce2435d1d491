#include "port/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace port {

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 Latin letters, rounded, as the dialog manager measures it.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = std::max(1, (letters / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

void DialogUnits::Place(QWidget* control, int id, int x, int y, int width, int height) const {
  control->setObjectName(QString::number(id));
  control->setGeometry(ToPixels(x, y, width, height));
}

void DialogUnits::Resize(QWidget* dialog, int width, int height) const {
  dialog->resize(X(width), Y(height));
}

}  // namespace port
