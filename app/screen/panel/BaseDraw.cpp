#include "BaseDraw.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ControllerIni.h"
#include "ProgramFolder.h"
#include "QRV_PlatformMemory.h"
#include "SiteOverlayLayout.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr int kDtCenter = 0x1, kDtRight = 0x2, kDtVCenter = 0x4, kDtBottom = 0x8, kDtWordBreak = 0x10,
              kDtSingleLine = 0x20, kDtCalcRect = 0x400;
const QColor kBackground(24, 24, 24);
// The margin kept below the information lines.
constexpr int kInfoMargin = 10;

// The height of what is drawn on a white picture: down to the last row that is not all white.
int InkBottom(port::Surface* surface) {
  if (surface == nullptr) return 0;
  const std::lock_guard lock(surface->Mutex());
  if (surface->IsEmpty()) return 0;
  const QImage& image = surface->Image();
  for (int y = image.height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return y + 1;
    }
  }
  return 0;
}

// The Qt alignment of a combination of text-drawing flags; the vertical flags act on a single line only.
int AlignmentOf(int flags) {
  int align = (flags & kDtCenter) ? Qt::AlignHCenter : (flags & kDtRight) ? Qt::AlignRight : Qt::AlignLeft;
  if (!(flags & kDtSingleLine)) return align | Qt::AlignTop | ((flags & kDtWordBreak) ? Qt::TextWordWrap : 0);
  return align | ((flags & kDtVCenter) ? Qt::AlignVCenter : (flags & kDtBottom) ? Qt::AlignBottom : Qt::AlignTop);
}

template <typename Fn>
Fn LibraryEntry(const CInterFace_SW* binder, const char* name) {
  return binder != nullptr ? port::FindFunction<Fn>(binder->m_hSoftware, name) : nullptr;
}

}  // namespace

CBaseDraw::CBaseDraw(int site, QWidget* parent) : CBaseDraw(site, nullptr, nullptr, parent) {}

CBaseDraw::CBaseDraw(int site, const CInterFace_SW* binder, CQRV_LoadMemory* record, QWidget* parent)
    : QWidget(parent), m_site(site), m_binder(binder), m_record(record),
      m_screenRgb(LibraryEntry<void (*)(int, int, int)>(binder, "OnScreenRGB")),
      m_dlgShowStatus(LibraryEntry<int (*)()>(binder, "GetDlgShowStatus")),
      m_surface(port::Surface::Format::Rgb32), m_self(std::make_shared<QPointer<CBaseDraw>>(this)) {
  setObjectName("222");
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The pixel report follows the cursor without a button held; a click gives the view the keyboard, whose
  // keypad commands the site panel takes.
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  std::weak_ptr<QPointer<CBaseDraw>> self = m_self;
  m_surface.SetRepaintCallback([self] {
    if (auto view = self.lock(); view && *view) (*view)->update();
  });
}

CBaseDraw::~CBaseDraw() { m_surface.SetRepaintCallback({}); }

void CBaseDraw::SetZoomText(QLabel* zoomText) { m_zoomText = zoomText; }

void CBaseDraw::QueueRepaint() {
  std::weak_ptr<QPointer<CBaseDraw>> self = m_self;
  port::ui::Post([self] {
    if (auto view = self.lock(); view && *view) (*view)->update();
  });
}

int CBaseDraw::ToDrawTextFlags(int index) { return index >= 2 && index <= 14 ? 1 << (index - 2) : 0; }

void CBaseDraw::DrawSiteLabel(const DrawOptions& options, int usb) {
  if (!m_labelSwitch.load() || !options.siteDraw) return;
  const char letter = static_cast<char>('A' + m_site);
  const FontSetting font = ControllerIni::ReadFont("USER_INIT", "SITE_DRAW");
  LabelStyle style{font.size, QColor(font.red & 0xFF, font.green & 0xFF, font.blue & 0xFF), 0};
  for (const int choice : options.siteAlignment) style.flags |= ToDrawTextFlags(choice);
  {
    const std::lock_guard lock(m_overlayLock);
    m_siteLabel = options.paraDraw ? port::Format("%c - %d", letter, usb) : std::string(1, letter);
    m_labelStyle = style;
  }
  QueueRepaint();
}

void CBaseDraw::DrawResultText(int code, const std::string& text) {
  const int resultSize = ControllerIni::ReadFont("USER_INIT", "RESULT_MSG").size;
  const int detailSize = ControllerIni::ReadFont("USER_INIT", "RESULT_DESC_MSG").size;
  {
    const std::lock_guard lock(m_overlayLock);
    m_resultFontSize = resultSize;
    m_detailFontSize = detailSize;
    if (text == "STOP") {
      m_headline = "STOP";
      m_detail.clear();
      m_headlineRed = true;
    } else if (code == 0) {
      m_headline = "PASS";
      m_detail.clear();
      m_headlineRed = false;
    } else {
      m_headline = "FAIL";
      m_detail = port::Format("%s (%d)", text.c_str(), code);
      m_headlineRed = true;
    }
  }
  QueueRepaint();
}

void CBaseDraw::ClearResultText() {
  {
    const std::lock_guard lock(m_overlayLock);
    m_headline.clear();
    m_detail.clear();
  }
  QueueRepaint();
}

std::string CBaseDraw::ResultHeadline() const {
  const std::lock_guard lock(m_overlayLock);
  return m_headline;
}

std::string CBaseDraw::SiteLabelText() const {
  const std::lock_guard lock(m_overlayLock);
  return m_siteLabel;
}

QColor CBaseDraw::SiteLabelColour() const {
  const std::lock_guard lock(m_overlayLock);
  return m_labelStyle.colour;
}

std::string CBaseDraw::CaptureName() const {
  const std::lock_guard lock(m_overlayLock);
  return m_captureName;
}

void CBaseDraw::DrawCaptureImage(const std::string& name) {
  m_captured.store(true);
  {
    const std::lock_guard lock(m_overlayLock);
    m_captureName = name;
  }
  const std::string folder = port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Image capture"),
                                            std::to_string(m_site));
  const QImage picture(QString::fromStdString(port::JoinPath(folder, name + ".jpg")));
  {
    const std::lock_guard lock(m_surface.Mutex());
    if (m_surface.IsEmpty()) return;
    QPainter painter(&m_surface.Image());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (picture.isNull()) {
      // The operator asked for a picture: say which one is missing rather than show a stale image.
      painter.fillRect(m_surface.Image().rect(), kBackground);
      painter.setPen(QColor(255, 228, 0));
      painter.setFont(OverlayFont(std::max(14, m_surface.Height() / 20)));
      painter.drawText(m_surface.Image().rect(), Qt::AlignCenter | Qt::TextWordWrap,
                       QString::fromStdString("No capture picture\n" + name + ".jpg"));
    } else {
      painter.drawImage(m_surface.Image().rect(), picture);
    }
  }
  update();
}

// The library writes the view's surface, which is the window's picture: a paint only shows it.
void CBaseDraw::OutDraw() {
  if (m_binder == nullptr || m_binder->OutDrawImage == nullptr) return;
  const bool ready = m_labelSwitch.exchange(false);
  m_binder->OutDrawImage(m_site);
  m_labelSwitch.store(ready);
}

void CBaseDraw::Redraw() {
  if (m_captured.load())
    DrawCaptureImage(CaptureName());
  else
    OutDraw();
}

// Site A shows the platform information until its first frame, every other site its company picture.
void CBaseDraw::OnFirstPaint() {
  if (m_site == 0) {
    DrawPlatformInfo();
  } else {
    DrawCompanyPicture();
  }
  m_labelSwitch.store(true);
}

// The library writes its information lines in a fixed text size from the top left of a picture of the view's
// size; a view too narrow for a line cuts its end. The results drawn over the view keep below the lines.
void CBaseDraw::DrawPlatformInfo() {
  const auto info = LibraryEntry<void (*)()>(m_binder, "OnPlatformInfoDraw");
  if (info == nullptr) return;
  if (m_record == nullptr || width() < 1 || height() < 1) {
    info();
    return;
  }
  QrvRect& client = m_record->m_rcView[0];
  const QrvRect shown = client;
  client = QrvRect{0, 0, width(), height()};
  info();
  const int ink = InkBottom(m_record->m_hMemDC[0]);
  m_infoPicture = size();
  m_infoShare = std::min(1.0, static_cast<double>(ink + kInfoMargin) / height());
  client = shown;
  OutDraw();
}

// The lines are shown until the library holds another picture for the view (its first frame).
int CBaseDraw::PlatformInfoHeight() const {
  port::Surface* picture = m_record != nullptr ? m_record->m_hMemDC[0] : nullptr;
  if (m_infoPicture.isEmpty() || picture == nullptr) return 0;
  {
    const std::lock_guard lock(picture->Mutex());
    if (QSize(picture->Width(), picture->Height()) != m_infoPicture) return 0;
  }
  return static_cast<int>(std::ceil(m_infoShare * height()));
}

// The picture is read once to size the buffer; the library's reader fills it with its rows bottom-up.
void CBaseDraw::DrawCompanyPicture() {
  const std::string path = port::JoinPath(port::JoinPath(ProgramFolder::Root(), "Res"),
                                          port::Format("Company_%d.bmp", m_site));
  if (m_binder == nullptr || m_binder->OnLoadImage_BMP == nullptr || m_binder->InDrawImage == nullptr) return;
  const QSize size = QImageReader(QString::fromStdString(path)).size();
  if (!QFile::exists(QString::fromStdString(path)) || size.isEmpty()) return;
  const std::size_t w = static_cast<std::size_t>(size.width()), h = static_cast<std::size_t>(size.height());
  std::vector<unsigned char> buffer(w * h * 3 + h * (w % 4));
  if (m_binder->OnLoadImage_BMP(path.c_str(), buffer.data()) != 0) return;
  m_binder->InDrawImage(m_site, buffer.data(), size.width(), size.height());
  OutDraw();
}

void CBaseDraw::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  {
    const std::lock_guard lock(m_surface.Mutex());
    m_surface.Resize(event->size().width(), event->size().height());
    if (!m_surface.IsEmpty()) m_surface.Image().fill(kBackground);
  }
  update();
}

void CBaseDraw::paintEvent(QPaintEvent*) {
  if (!m_firstPaintDone.exchange(true)) {
    // The library draws into the surface and asks for a repaint of its own; not from inside this one.
    QPointer<CBaseDraw> self(this);
    port::ui::Post([self] {
      if (self) self->OnFirstPaint();
    });
  }
  QPainter painter(this);
  {
    const std::lock_guard lock(m_surface.Mutex());
    if (m_surface.IsEmpty())
      painter.fillRect(rect(), kBackground);
    else
      painter.drawImage(0, 0, m_surface.Image());
  }
  painter.setPen(QColor(200, 200, 200));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  PaintOverlays(painter);
}

SiteOverlayLayout CBaseDraw::OverlayLayout() const {
  SiteOverlayRequest request;
  {
    const std::lock_guard lock(m_overlayLock);
    // A label asked to measure itself only is not drawn.
    if (!(m_labelStyle.flags & kDtCalcRect)) request.label = QString::fromStdString(m_siteLabel);
    request.labelPixels = m_labelStyle.fontSize;
    request.labelFlags = AlignmentOf(m_labelStyle.flags);
    request.headline = QString::fromStdString(m_headline);
    request.headlinePixels = width() * m_resultFontSize / 4 / 100;
    request.detail = QString::fromStdString(m_detail);
    request.detailPixels = width() * m_detailFontSize / 12 / 100;
  }
  request.reservedTop = PlatformInfoHeight();
  return LayOutSiteOverlays(size(), request);
}

void CBaseDraw::PaintOverlays(QPainter& painter) {
  const SiteOverlayLayout layout = OverlayLayout();
  QColor labelColour, judgementColour;
  {
    const std::lock_guard lock(m_overlayLock);
    labelColour = m_labelStyle.colour;
    judgementColour = m_headlineRed ? QColor(255, 0, 0) : QColor(0x1D, 0xDB, 0x16);
  }
  // A thin halo of the opposite lightness keeps a text readable on any frame or picture behind it (a blue letter on
  // the blue logo, green on a grey test chart).
  const auto draw = [&painter](const OverlayText& text, const QColor& colour) {
    if (text.box.isEmpty()) return;
    painter.setFont(text.font);
    const int halo = text.font.pixelSize() >= 24 ? 2 : 1;  // an outline, never a shadow beside the text
    painter.setPen(colour.lightness() < 96 ? QColor(255, 255, 255, 200) : QColor(0, 0, 0, 200));
    for (int dx = -halo; dx <= halo; dx += halo)
      for (int dy = -halo; dy <= halo; dy += halo)
        if (dx != 0 || dy != 0) painter.drawText(text.room.translated(dx, dy), text.flags, text.text);
    painter.setPen(colour);
    painter.drawText(text.room, text.flags, text.text);
  };
  draw(layout.label, labelColour);
  draw(layout.headline, judgementColour);
  draw(layout.detail, judgementColour);
}

bool CBaseDraw::PanAllowed() const {
  return ControllerIni::ReadUserInterfaceValue("ZOOM_SLIDER") != 0 && m_zoomText != nullptr &&
         m_zoomText->text() != QStringLiteral("100%");
}

void CBaseDraw::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    m_dragging = true;
    m_lastPoint = event->position().toPoint();
  }
  QWidget::mousePressEvent(event);
}

void CBaseDraw::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_dragging = false;
  QWidget::mouseReleaseEvent(event);
}

void CBaseDraw::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (m_screenRgb != nullptr && m_dlgShowStatus != nullptr && m_dlgShowStatus() != 0)
    m_screenRgb(m_site, at.x(), at.y());
  if (m_dragging && m_record != nullptr && m_record->SetDrawPos != nullptr && PanAllowed()) {
    m_record->SetDrawPos(m_site, at.x() - m_lastPoint.x(), at.y() - m_lastPoint.y());
    OutDraw();
    m_lastPoint = at;
  }
  QWidget::mouseMoveEvent(event);
}

void CBaseDraw::mouseDoubleClickEvent(QMouseEvent* event) {
  QWidget::mouseDoubleClickEvent(event);
  if (m_onDoubleClick) m_onDoubleClick(m_site);
}
