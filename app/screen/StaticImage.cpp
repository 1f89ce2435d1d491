#include "StaticImage.h"

#include <QPainter>
#include <array>

#include "ProgramFolder.h"

namespace {

struct StatePicture {
  const char* file;
  const char* text;
  QColor colour;
};

const std::array<StatePicture, 5> kStatePictures = {{
    {"ret_Ready.bmp", "READY", QColor(90, 90, 90)},
    {"ret_Testing.bmp", "TESTING", QColor(255, 228, 0)},
    {"ret_Pass.bmp", "PASS", QColor(29, 219, 22)},
    {"ret_Fail.bmp", "FAIL", QColor(255, 0, 0)},
    {"ret_Finish.jpg", "FINISH", QColor(0, 120, 215)},
}};

QString ResPath(const char* file) {
  return QString::fromStdString(ProgramFolder::Root()) + QStringLiteral("/Res/") + QString::fromLatin1(file);
}

}  // namespace

CStaticImage::CStaticImage(QWidget* parent) : QWidget(parent) {}

void CStaticImage::SetStateImage(int index) {
  if (index < 0 || index >= static_cast<int>(kStatePictures.size()) || index == m_state) return;
  m_state = index;
  const StatePicture& state = kStatePictures[static_cast<std::size_t>(index)];
  LoadPicture(ResPath(state.file), QString::fromLatin1(state.text), state.colour);
}

void CStaticImage::SetLogoImage() { LoadPicture(ResPath("QRVLogo.bmp"), QStringLiteral("QRV"), QColor(30, 60, 110)); }

void CStaticImage::LoadPicture(const QString& path, const QString& fallbackText, const QColor& fallbackColour) {
  m_path = path;
  m_picture = QImage(path);
  m_fallbackText = fallbackText;
  m_fallbackColour = fallbackColour;
  update();
}

void CStaticImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!m_picture.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_picture);
    return;
  }
  if (m_fallbackText.isEmpty()) return;
  painter.fillRect(rect(), m_fallbackColour);
  QFont font = painter.font();
  font.setWeight(QFont::Black);
  font.setPixelSize(std::max(8, height() / 3));
  painter.setFont(font);
  painter.setPen(m_fallbackColour.lightness() > 150 ? Qt::black : Qt::white);
  painter.drawText(rect(), Qt::AlignCenter, m_fallbackText);
}
