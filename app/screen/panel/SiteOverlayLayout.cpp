#include "SiteOverlayLayout.h"

#include <QFontMetrics>
#include <algorithm>
#include <optional>

namespace {

constexpr int kEdge = 3;  // clear of the view's frame line
constexpr int kGap = 4;   // between two texts
constexpr int kHeadlineFlags = Qt::AlignCenter | Qt::TextSingleLine;
constexpr int kDetailFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

QRect Extent(const QFont& font, const QRect& room, int flags, const QString& text) {
  return QFontMetrics(font).boundingRect(room, flags, text);
}

bool Fits(int pixels, const QRect& room, int flags, const QString& text) {
  const QRect extent = Extent(OverlayFont(pixels), room, flags, text);
  return extent.width() <= room.width() && extent.height() <= room.height();
}

// The largest size up to the wanted one at which the text fits the room; none when not even one pixel does.
std::optional<QFont> FittedFont(int wanted, const QRect& room, int flags, const QString& text) {
  if (wanted < 1 || !Fits(1, room, flags, text)) return std::nullopt;
  int low = 1, high = wanted;
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (Fits(middle, room, flags, text))
      low = middle;
    else
      high = middle - 1;
  }
  return OverlayFont(low);
}

// fitRoom bounds the text's size; room is where the flags place it.
OverlayText Place(const QString& text, int wanted, const QRect& fitRoom, const QRect& room, int flags) {
  OverlayText placed{text, {}, room, {}, flags};
  if (text.isEmpty() || fitRoom.isEmpty()) return placed;
  const std::optional<QFont> font = FittedFont(wanted, fitRoom, flags, text);
  if (!font) return placed;
  placed.font = *font;
  placed.box = Extent(*font, room, flags, text);
  return placed;
}

OverlayText Place(const QString& text, int wanted, const QRect& room, int flags) {
  return Place(text, wanted, room, room, flags);
}

void MoveDown(OverlayText& text, int dy) {
  text.room.translate(0, dy);
  text.box.translate(0, dy);
}

// The larger of the bands above and below the label.
QRect FreeBand(const QRect& area, const QRect& label) {
  if (label.isEmpty()) return area;
  const QRect above(area.left(), area.top(), area.width(), label.top() - kGap - area.top());
  const QRect below(area.left(), label.bottom() + 1 + kGap, area.width(), area.bottom() - label.bottom() - kGap);
  return above.height() >= below.height() ? above : below;
}

// The judgement over its description, as one block in the middle of the band.
void PlaceJudgement(const QRect& band, const SiteOverlayRequest& request, SiteOverlayLayout& layout) {
  const bool described = !request.detail.isEmpty();
  const int wanted = std::max(1, request.headlinePixels + (described ? request.detailPixels : 0));
  const int headHeight = described ? band.height() * request.headlinePixels / wanted : band.height();
  const QRect headRoom(band.left(), band.top(), band.width(), headHeight);
  const QRect detailRoom(band.left(), band.top() + headHeight + kGap, band.width(), band.height() - headHeight - kGap);
  layout.headline = Place(request.headline, request.headlinePixels, headRoom, kHeadlineFlags);
  layout.detail = Place(described ? request.detail : QString(), request.detailPixels, detailRoom, kDetailFlags);
  const int detailHeight = layout.detail.box.isEmpty() ? 0 : kGap + layout.detail.box.height();
  const int top = band.top() + (band.height() - layout.headline.box.height() - detailHeight) / 2;
  if (!layout.headline.box.isEmpty()) MoveDown(layout.headline, top - layout.headline.box.top());
  const int detailTop = layout.headline.box.isEmpty() ? top : layout.headline.box.bottom() + 1 + kGap;
  if (!layout.detail.box.isEmpty()) MoveDown(layout.detail, detailTop - layout.detail.box.top());
}

}  // namespace

QFont OverlayFont(int pixelHeight) {
  QFont font("Arial");
  font.setWeight(QFont::Black);
  font.setPixelSize(std::max(1, pixelHeight));
  return font;
}

SiteOverlayLayout LayOutSiteOverlays(QSize view, const SiteOverlayRequest& request) {
  SiteOverlayLayout layout;
  QRect area = QRect(QPoint(0, 0), view).adjusted(kEdge, kEdge, -kEdge, -kEdge);
  if (request.reservedTop > 0) area.setTop(std::max(area.top(), request.reservedTop + kGap));
  if (area.isEmpty()) return layout;
  const bool judged = !request.headline.isEmpty();
  // Beside a judgement the label takes at most a third of the height, so that the judgement keeps room.
  const QRect labelFit(area.topLeft(), QSize(area.width(), judged ? area.height() / 3 : area.height()));
  layout.label = Place(request.label, request.labelPixels, labelFit, area, request.labelFlags);
  if (!judged) return layout;
  const QRect band = FreeBand(area, layout.label.box);
  if (band.height() > 0) PlaceJudgement(band, request, layout);
  return layout;
}
