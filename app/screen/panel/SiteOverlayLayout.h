#pragma once
// Where a site view's overlay texts go. A band along the view's top that already shows text of the picture
// (site A's start-up lines) is left alone. The site label keeps the place the layout's alignment gives it; the
// judgement and its description share the larger part of the view the label leaves free. Each text is made
// smaller (the description also wrapped) until it fits its place, so that none covers another and none runs
// past the view's edge, whatever size the view has.
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

struct OverlayText {
  QString text;
  QFont font;
  QRect room;  // where it is drawn with its flags
  QRect box;   // the extent of the text inside its room; empty when the text is not drawn
  int flags = 0;
};

struct SiteOverlayLayout {
  OverlayText label;
  OverlayText headline;
  OverlayText detail;
};

struct SiteOverlayRequest {
  QString label;
  int labelPixels = 0;
  int labelFlags = 0;  // Qt alignment and text flags from the layout's site-draw choices
  QString headline;
  int headlinePixels = 0;
  QString detail;
  int detailPixels = 0;
  int reservedTop = 0;  // height of the band along the top that the overlays leave free
};

// The heavy face every overlay text is drawn in.
QFont OverlayFont(int pixelHeight);

SiteOverlayLayout LayOutSiteOverlays(QSize view, const SiteOverlayRequest& request);
