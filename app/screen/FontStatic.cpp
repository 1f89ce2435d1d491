#include "FontStatic.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

CFontStatic::CFontStatic(QWidget* parent) : QLabel(parent), m_backColour(0) {
  QFont face("MS Sans Serif");
  face.setStyleHint(QFont::SansSerif);
  setFont(face);
  setWordWrap(true);
  setAutoFillBackground(true);
}

QColor CFontStatic::ToQColor(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void CFontStatic::SetTextStyle(const QString& face, int pixelSize, std::uint32_t colour, int flags) {
  QFont next = font();
  if (!face.isEmpty()) next.setFamily(face);
  if (pixelSize > 0) next.setPixelSize(pixelSize);
  setFont(next);
  m_textColour = colour;
  SetStyleFlags(flags);
  ApplyPalette();
}

void CFontStatic::SetTextColour(std::uint32_t colour) {
  if (colour == m_textColour) return;
  m_textColour = colour;
  ApplyPalette();
}

void CFontStatic::SetBackColor(std::uint32_t colour) {
  m_backColour = colour;
  m_hasBack = true;
  ApplyPalette();
}

void CFontStatic::SetStyleFlags(int flags) {
  QFont next = font();
  if (flags & kBold) next.setWeight(QFont::Black);
  if (flags & kItalic) next.setItalic(true);
  if (flags & kUnderline) next.setUnderline(true);
  if (flags & kStrike) next.setStrikeOut(true);
  if (flags & kAntialias) next.setStyleStrategy(QFont::PreferAntialias);
  setFont(next);
  if (flags & kCentre)
    setAlignment(Qt::AlignCenter);
  else if (flags & kRight)
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  else if (flags & kLeft)
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CFontStatic::ApplyPalette() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, ToQColor(m_textColour));
  if (m_hasBack) colours.setColor(QPalette::Window, ToQColor(m_backColour));
  setPalette(colours);
}

void CFontStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (autoFillBackground()) painter.fillRect(rect(), palette().color(QPalette::Window));
  const QRect area = contentsRect();
  const int flags = static_cast<int>(alignment()) | Qt::TextWordWrap;
  QFont face = font();
  int size = face.pixelSize() > 0 ? face.pixelSize() : QFontMetrics(face).height();
  constexpr int kSmallest = 6;
  while (size > kSmallest) {
    face.setPixelSize(size);
    const QRect needed = QFontMetrics(face).boundingRect(area, flags, text());
    if (needed.width() <= area.width() && needed.height() <= area.height()) break;
    --size;
  }
  painter.setFont(face);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(area, flags, text());
}
