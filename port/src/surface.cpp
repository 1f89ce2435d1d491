#include "port/surface.h"

#include <utility>

#include "port/ui_thread.h"

namespace port {
namespace {

QImage::Format ToQt(Surface::Format format) {
  return format == Surface::Format::Bgr24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
}

}  // namespace

Surface::Surface(Format format) : format_(format) {}

Surface::Surface(int width, int height, Format format) : format_(format) { Resize(width, height); }

Surface::~Surface() = default;

void Surface::Resize(int width, int height) {
  if (width < 1 || height < 1) {
    image_ = QImage();
    return;
  }
  image_ = QImage(width, height, ToQt(format_));
  image_.fill(Qt::black);
}

void Surface::SetRepaintCallback(std::function<void()> callback) {
  const std::lock_guard lock(callbackMutex_);
  repaint_ = std::move(callback);
}

void Surface::RequestRepaint() {
  std::function<void()> callback;
  {
    const std::lock_guard lock(callbackMutex_);
    callback = repaint_;
  }
  if (callback) ui::Post(std::move(callback));
}

}  // namespace port
