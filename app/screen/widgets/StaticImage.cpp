#include "StaticImage.h"

#include <QPainter>
#include <array>
#include <utility>

#include "PlatformErrorLog.h"
#include "ProgramFolder.h"

namespace {

constexpr std::array<const char*, 5> kStatePictures = {"ret_Ready.bmp", "ret_Testing.bmp", "ret_Pass.bmp",
                                                       "ret_Fail.bmp", "ret_Finish.jpg"};

QString ResPath(const char* file) {
  return QString::fromStdString(ProgramFolder::Root()) + QStringLiteral("/Res/") + QString::fromLatin1(file);
}

}  // namespace

CStaticImage::CStaticImage(QWidget* parent) : QWidget(parent) {}

// An index of no picture reads the current picture again.
void CStaticImage::SetStateImage(int index) {
  if (index >= 0 && index < static_cast<int>(kStatePictures.size())) {
    m_state = index;
    m_path = ResPath(kStatePictures[static_cast<std::size_t>(index)]);
  }
  InitStaticImage(m_path);
}

void CStaticImage::SetLogoImage() { InitStaticImage(ResPath("QRVLogo.bmp")); }

void CStaticImage::InitStaticImage(const QString& path) {
  m_path = path;
  // A file that cannot be decoded keeps the picture drawn last rather than blanking the control.
  QImage picture(path);
  if (picture.isNull()) {
    LogPlatformError("%s [%d] ERROR : Image Read Fail", "CStaticImage::InitStaticImage", __LINE__);
    return;
  }
  m_picture = std::move(picture);
  update();
}

// Drawn at the control's size of the moment, so a control that grew shows the whole picture.
void CStaticImage::paintEvent(QPaintEvent*) {
  if (m_picture.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), m_picture);
}
