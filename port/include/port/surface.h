#pragma once
#include <cstdint>
#include <functional>
#include <mutex>

#include <QImage>

#include "port/export.h"

// A "device context": a pixel buffer with its own lock, rows top-down and padded to 4 bytes, that workers draw
// into and a view widget paints from. Drawing with QPainter goes through Image() while the lock is held.
namespace port {

class PORT_API Surface {
 public:
  enum class Format { Bgr24, Rgb32 };

  explicit Surface(Format format = Format::Bgr24);
  Surface(int width, int height, Format format = Format::Bgr24);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Held while reading or writing pixels, resizing, or painting the surface on the screen.
  std::mutex& Mutex() const { return mutex_; }

  // The calls below expect the lock to be held by the caller.
  // Re-makes the buffer for a new size (contents cleared to black); a size below 1 x 1 empties it.
  void Resize(int width, int height);
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  int BytesPerPixel() const { return format_ == Format::Bgr24 ? 3 : 4; }
  std::size_t Stride() const { return static_cast<std::size_t>(image_.bytesPerLine()); }
  bool IsEmpty() const { return image_.isNull(); }
  Format PixelFormat() const { return format_; }
  std::uint8_t* Row(int y) { return image_.scanLine(y); }
  const std::uint8_t* Row(int y) const { return image_.constScanLine(y); }
  // The buffer as a QImage sharing its memory (QPainter target); valid until the next Resize.
  QImage& Image() { return image_; }
  const QImage& Image() const { return image_; }

  // The view that shows this surface asks to be told when it changed. The callback runs on the UI thread
  // (queued through port::ui::Post), never under the surface lock.
  void SetRepaintCallback(std::function<void()> callback);
  // Queues the repaint callback; callable from any thread, with or without the lock.
  void RequestRepaint();

 private:
  Format format_;
  QImage image_;
  mutable std::mutex mutex_;
  std::mutex callbackMutex_;
  std::function<void()> repaint_;
};

}  // namespace port
