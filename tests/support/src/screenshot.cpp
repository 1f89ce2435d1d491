#include "qrv_test/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

namespace qrv::test {

std::string SaveScreenshot(QWidget& window, const std::string& name) {
  const char* folder = std::getenv("QRV_SCREENS_DIR");
  if (folder == nullptr || *folder == '\0') return {};
  if (!QDir().mkpath(QString::fromUtf8(folder))) return {};
  if (!window.isVisible()) window.show();
  QApplication::processEvents();
  const QString file = QDir(QString::fromUtf8(folder)).filePath(QString::fromStdString(name) + ".png");
  return window.grab().save(file, "PNG") ? file.toStdString() : std::string{};
}

}  // namespace qrv::test
