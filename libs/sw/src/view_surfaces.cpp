#include "view_surfaces.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStorageInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bmp.h"
#include "jpeg_codec.h"
#include "image_files.h"
#include "program_exports.h"
#include "stretch.h"

namespace qrv::sw {
namespace {

// Text needs a GUI application for its fonts; without one the picture is still drawn.
bool CanDrawText() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

int ClientWidth(const QrvRect& r) { return r.right - r.left; }
int ClientHeight(const QrvRect& r) { return r.bottom - r.top; }

std::string VersionLine(const char* name) {
  const auto fn = reinterpret_cast<GetHardwareVer_Fn>(port::FindProgramSymbol(name));
  return fn ? fn() : std::string();
}

constexpr long long kBytesPerGb = 1024LL * 1024 * 1024;

void DrawDrives(QPainter& painter) {
  int y = 180;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady() || !volume.device().startsWith("/dev/")) continue;
    const int total = static_cast<int>((volume.bytesTotal() >> 20) / 1024);
    const int avail = static_cast<int>((volume.bytesAvailable() >> 20) / 1024);
    char line[512];
    std::snprintf(line, sizeof line, "%s Drive - Total : %d GB, Avail : %d GB", volume.rootPath().toUtf8().constData(),
                  total, avail);
    painter.setPen(volume.bytesAvailable() < 10 * kBytesPerGb ? QColor(255, 0, 0) : QColor(0, 0, 0));
    painter.drawText(QRect(10, y, 2000, 20), Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(line));
    y += 20;
  }
}

// 16 pixels high and 7 wide on average: narrower than the face's own letters, so the long version and drive
// lines fit a site's view.
QFont InfoFont() {
  QFont font("Arial");
  font.setPixelSize(16);
  font.setItalic(true);
  font.setWeight(QFont::Thin);
  const int natural = QFontMetrics(font).averageCharWidth();
  if (natural > 0) font.setStretch(std::clamp(700 / natural, 1, 4000));
  return font;
}

}  // namespace

ViewSurfaces::ViewSurfaces(CQRV_LoadMemory* record) : record_(record) {
  if (!record_) return;
  for (int v = 0; v < kMaxSites; ++v) record_->m_hMemDC[v] = &views_[static_cast<std::size_t>(v)].memory;
}

ViewSurfaces::~ViewSurfaces() {
  if (!record_) return;
  for (int v = 0; v < kMaxSites; ++v) record_->m_hMemDC[v] = nullptr;
}

void ViewSurfaces::InDraw(int view, const std::uint8_t* frame, int width, int height) {
  if (!IsValidSite(view) || !frame || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide)
    return;
  View& v = views_[static_cast<std::size_t>(view)];
  const std::lock_guard lock(v.memory.Mutex());
  if (v.memory.Width() != width || v.memory.Height() != height) {
    v.memory.Resize(width, height);
    v.generation.fetch_add(1);
  }
  // The surface is top-down; the frame's first row is the picture's bottom.
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  for (int y = 0; y < height; ++y)
    std::memcpy(v.memory.Row(y), frame + static_cast<std::size_t>(height - 1 - y) * row, row);
}

void ViewSurfaces::StretchToWindow(int view, bool halftone, bool zoomed) {
  port::Surface* window = record_ ? record_->m_hViewDC[view] : nullptr;
  if (!window) return;
  View& v = views_[static_cast<std::size_t>(view)];
  const QrvRect rect = record_->m_rcView[view];
  const std::lock_guard memoryLock(v.memory.Mutex());
  const double scale = zoomed ? zoom_.load() / 100.0 : 1.0;
  const StretchRect from{v.x.load(), v.y.load(), static_cast<int>(v.memory.Width() / scale),
                         static_cast<int>(v.memory.Height() / scale)};
  const std::lock_guard windowLock(window->Mutex());
  Stretch(v.memory, from, *window, StretchRect{0, 0, ClientWidth(rect), ClientHeight(rect)}, halftone);
}

int ViewSurfaces::OutDraw(int view) {
  if (!IsValidSite(view)) return 0;
  const bool colorOnColor = std::atomic_ref<int>(outDraw_[static_cast<std::size_t>(view)]).load() != 0;
  stretchMode_.store(colorOnColor ? kStretchColorOnColor : kStretchHalftone);
  StretchToWindow(view, !colorOnColor, true);
  const auto fpsDraw = QRV_PROGRAM_EXPORT(GetFpsDraw);
  if (fpsDraw && fpsDraw()) DrawFpsOverlay(view);
  if (port::Surface* window = record_ ? record_->m_hViewDC[view] : nullptr) window->RequestRepaint();
  const auto siteDraw = QRV_PROGRAM_EXPORT(OnSiteDrawExe);
  return siteDraw ? siteDraw(view) : 0;
}

void ViewSurfaces::InfoDraw() {
  if (!record_) return;
  View& v = views_[0];
  const QrvRect rect = record_->m_rcView[0];
  {
    const std::lock_guard lock(v.memory.Mutex());
    v.memory.Resize(ClientWidth(rect), ClientHeight(rect));
    v.generation.fetch_add(1);
    if (v.memory.IsEmpty()) return;
    v.memory.Image().fill(Qt::white);
    if (CanDrawText()) {
      QPainter painter(&v.memory.Image());
      painter.setFont(InfoFont());
      painter.setPen(Qt::black);
      const char* lines[] = {"GetHardwareVer", "GetSoftwareVer", "GetProtocolVer", "GetPlatformVer"};
      int y = 10;
      for (const char* name : lines) {
        painter.drawText(QRect(10, y, 2000, 20), Qt::AlignLeft | Qt::AlignTop,
                         QString::fromStdString(VersionLine(name)));
        y += 20;
      }
      painter.drawText(QRect(10, 90, 2000, 20), Qt::AlignLeft | Qt::AlignTop, "QRV Test Station - waiting for the first frame");
      DrawDrives(painter);
    }
  }
  StretchToWindow(0, true, false);
  const auto fpsDraw = QRV_PROGRAM_EXPORT(GetFpsDraw);
  if (fpsDraw && fpsDraw()) DrawFpsOverlay(0);
  if (port::Surface* window = record_->m_hViewDC[0]) window->RequestRepaint();
}

float ViewSurfaces::MeasureFps(int view) {
  FpsWindow& f = views_[static_cast<std::size_t>(view)].fps;
  const std::lock_guard lock(f.mutex);
  const port::clock::TimePoint now = port::clock::Now();
  if (f.restart) {
    f.counter = 1;
    f.start = now;
    f.restart = false;
  } else {
    const double elapsed = std::chrono::duration<double>(now - f.start).count();
    if (elapsed >= 2.0) {
      f.restart = true;
      f.rate = static_cast<float>(f.counter / elapsed);
    }
  }
  ++f.counter;
  return f.rate;
}

void ViewSurfaces::DrawFpsOverlay(int view) {
  const float rate = MeasureFps(view);
  port::Surface* window = record_ ? record_->m_hViewDC[view] : nullptr;
  const QrvRect rect = record_ ? record_->m_rcView[view] : QrvRect{};
  const int fontHeight = ClientWidth(rect) / 20;
  if (!window || fontHeight < 1 || !CanDrawText()) return;
  const std::lock_guard lock(window->Mutex());
  if (window->IsEmpty()) return;
  QPainter painter(&window->Image());
  QFont font("Arial");
  font.setPixelSize(fontHeight);
  font.setWeight(QFont::Black);
  painter.setFont(font);
  painter.setPen(QColor(255, 228, 0));
  const QRect box(QPoint(rect.right - 100, rect.bottom - 50), QPoint(rect.right - 20 - 1, rect.bottom - 20 - 1));
  painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::asprintf("%.2f", rate));
}

std::optional<InspectedPixel> ViewSurfaces::PixelAt(int view, int x, int y) {
  if (!IsValidSite(view) || !record_ || x < 0 || y < 0) return std::nullopt;
  const QrvRect rect = record_->m_rcView[view];
  const long long clientWidth = ClientWidth(rect), clientHeight = ClientHeight(rect);
  if (clientWidth <= 0 || clientHeight <= 0) return std::nullopt;
  View& v = views_[static_cast<std::size_t>(view)];
  const std::lock_guard lock(v.memory.Mutex());
  if (v.memory.IsEmpty() || v.memory.PixelFormat() != port::Surface::Format::Bgr24) return std::nullopt;
  // The same source rectangle as StretchToWindow with the zoom.
  const double scale = zoom_.load() / 100.0;
  const long long sourceWidth = static_cast<int>(v.memory.Width() / scale);
  const long long sourceHeight = static_cast<int>(v.memory.Height() / scale);
  const long long px = v.x.load() + x * sourceWidth / clientWidth;
  const long long py = v.y.load() + y * sourceHeight / clientHeight;
  if (px < 0 || py < 0 || px >= v.memory.Width() || py >= v.memory.Height()) return std::nullopt;
  const std::uint8_t* p = v.memory.Row(static_cast<int>(py)) + 3 * px;
  return InspectedPixel{static_cast<int>(px), static_cast<int>(py), p[2], p[1], p[0]};
}

void ViewSurfaces::SetZoom(int percent) {
  if (percent > 0) zoom_.store(percent);
}

void ViewSurfaces::MoveDrawPos(int view, int dx, int dy) {
  if (!IsValidSite(view)) return;
  views_[static_cast<std::size_t>(view)].x.fetch_sub(dx);
  views_[static_cast<std::size_t>(view)].y.fetch_sub(dy);
}

void ViewSurfaces::Fit(int view) {
  if (!IsValidSite(view)) return;
  views_[static_cast<std::size_t>(view)].x.store(0);
  views_[static_cast<std::size_t>(view)].y.store(0);
}

int ViewSurfaces::XOffset(int view) const { return IsValidSite(view) ? views_[static_cast<std::size_t>(view)].x.load() : 0; }
int ViewSurfaces::YOffset(int view) const { return IsValidSite(view) ? views_[static_cast<std::size_t>(view)].y.load() : 0; }
int ViewSurfaces::Generation(int view) const {
  return IsValidSite(view) ? views_[static_cast<std::size_t>(view)].generation.load() : 0;
}

float ViewSurfaces::FrameRate(int view) const {
  if (!IsValidSite(view)) return 0;
  const FpsWindow& f = views_[static_cast<std::size_t>(view)].fps;
  const std::lock_guard lock(f.mutex);
  return f.rate;
}

void ViewSurfaces::SetAllOutDraw(int value) {
  for (int& flag : outDraw_) std::atomic_ref<int>(flag).store(value);
}

port::Surface* ViewSurfaces::Memory(int view) {
  return IsValidSite(view) ? &views_[static_cast<std::size_t>(view)].memory : nullptr;
}

int ViewSurfaces::SaveJpeg(const std::string& path, int view) {
  if (!IsValidSite(view)) return 0;
  View& v = views_[static_cast<std::size_t>(view)];
  const std::lock_guard lock(v.memory.Mutex());
  if (v.memory.IsEmpty()) return 0;
  return SaveJpegFile(path, v.memory.Row(0), v.memory.Width(), v.memory.Height(), v.memory.Stride(), false);
}

}  // namespace qrv::sw
