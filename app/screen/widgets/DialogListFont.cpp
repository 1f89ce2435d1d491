#include "DialogListFont.h"

#include <QFont>
#include <QWidget>

void UseDialogListFont(QWidget& list) {
  QFont small = list.font();
  small.setPixelSize(10);
  list.setFont(small);
}
