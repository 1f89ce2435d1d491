#include "qrv_test/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

namespace qrv::test {

std::string ScreensFile(const std::string& name) {
  const char* folder = std::getenv("QRV_SCREENS_DIR");
  if (folder == nullptr || *folder == '\0') return {};
  if (!QDir().mkpath(QString::fromUtf8(folder))) return {};
  return QDir(QString::fromUtf8(folder)).filePath(QString::fromStdString(name) + ".png").toStdString();
}

std::string SaveScreenshot(QWidget& window, const std::string& name) {
  const std::string file = ScreensFile(name);
  if (file.empty()) return {};
  if (!window.isVisible()) window.show();
  QApplication::processEvents();
  return window.grab().save(QString::fromStdString(file), "PNG") ? file : std::string{};
}

bool SaveScreenPicture(const std::string& file, const QSize& screen, const std::vector<QWidget*>& windows) {
  QImage picture(screen, QImage::Format_RGB32);
  picture.fill(QColor(58, 110, 165));
  {
    QPainter painter(&picture);
    for (QWidget* window : windows) painter.drawPixmap(window->frameGeometry().topLeft(), window->grab());
  }
  return picture.save(QString::fromStdString(file), "PNG");
}

}  // namespace qrv::test
