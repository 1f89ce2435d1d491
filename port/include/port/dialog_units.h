#pragma once
#include <QFont>
#include <QRect>

#include "port/export.h"

class QWidget;

// Dialog templates give control rectangles in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down. One converter for every window, so all dialogs
// scale with their font the same way; a placed control is named by its control id so tests find it.
namespace port {

class PORT_API DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int X(int units) const { return (units * baseX_ + 2) / 4; }
  int Y(int units) const { return (units * baseY_ + 4) / 8; }
  QRect ToPixels(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }

  // Sets `control`'s geometry from the template rectangle and its objectName to `id` (e.g. "1163").
  void Place(QWidget* control, int id, int x, int y, int width, int height) const;
  // Sizes `dialog` to a client area given in dialog units.
  void Resize(QWidget* dialog, int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};

}  // namespace port
