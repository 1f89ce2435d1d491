#include "FontStatic.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kFirstSiteMessageId = 2016;
constexpr int kLastSiteMessageId = 2023;
constexpr int kSmallestPixels = 6;

}  // namespace

CFontStatic::CFontStatic(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

QColor CFontStatic::ToQColor(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void CFontStatic::SetTextStyle(const QString& face, int size, std::uint32_t colour, int flags) {
  m_face = face;
  m_size = size;
  m_textColour = colour;
  SetStyleFlags(flags);
}

void CFontStatic::SetBackColor(std::uint32_t colour) {
  m_backColour = colour;
  m_hasBack = true;
}

void CFontStatic::SetStyleFlags(int flags) {
  m_bold = m_bold || (flags & kBold) != 0;
  m_italic = m_italic || (flags & kItalic) != 0;
  m_underline = m_underline || (flags & kUnderline) != 0;
  m_strikeOut = m_strikeOut || (flags & kStrike) != 0;
  m_antialiased = m_antialiased || (flags & kAntialias) != 0;
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (flags & kCentre)
    horizontal = Qt::AlignHCenter;
  else if (flags & kRight)
    horizontal = Qt::AlignRight;
  setAlignment(horizontal | Qt::AlignTop);
}

std::uint32_t CFontStatic::DrawnTextColour() const {
  const int id = objectName().toInt();
  if (id >= kFirstSiteMessageId && id <= kLastSiteMessageId) {
    if (text() == QLatin1String("PASS")) return kPassColour;
    if (text() == QLatin1String("Testing...")) return kTestingColour;
  }
  return m_textColour;
}

QFont CFontStatic::LabelFont() const {
  QFont face(m_face);
  face.setStyleHint(QFont::SansSerif);
  face.setPixelSize(std::max(1, m_size));
  face.setWeight(m_bold ? QFont::Black : QFont::Normal);
  face.setItalic(m_italic);
  face.setUnderline(m_underline);
  face.setStrikeOut(m_strikeOut);
  face.setStyleStrategy(m_antialiased ? QFont::PreferAntialias : QFont::PreferDefault);
  return face;
}

int CFontStatic::DrawFlags() const { return static_cast<int>(alignment()) | Qt::TextWordWrap; }

int CFontStatic::FittedPixelSize() const {
  const QRect area = contentsRect();
  QFont face = LabelFont();
  int size = face.pixelSize();
  for (; size > kSmallestPixels; --size) {
    face.setPixelSize(size);
    const QRect needed = QFontMetrics(face).boundingRect(area, DrawFlags(), text());
    if (needed.width() <= area.width() && needed.height() <= area.height()) break;
  }
  return size;
}

void CFontStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), m_hasBack ? ToQColor(m_backColour) : palette().color(QPalette::Button));
  drawFrame(&painter);
  QFont face = LabelFont();
  face.setPixelSize(FittedPixelSize());
  painter.setFont(face);
  painter.setPen(ToQColor(DrawnTextColour()));
  painter.drawText(contentsRect(), DrawFlags(), text());
}
