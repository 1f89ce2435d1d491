#pragma once
// The off-screen surface of each site view: the last frame drawn for that site, stretched into the view's
// window surface with the zoom and the view's offsets, with the frame-rate overlay. Views are 0 to 7; other
// indexes are refused.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "QRV_PlatformMemory.h"
#include "port/clock.h"
#include "port/surface.h"

namespace qrv::sw {

inline constexpr int kStretchHalftone = 4;
inline constexpr int kStretchColorOnColor = 3;

// A pixel of a view's frame: its position in image pixels (row 0 at the top) and its colour.
struct InspectedPixel {
  int x = 0;
  int y = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
};

class ViewSurfaces {
 public:
  // Puts the views' surfaces into the record's memory-surface slots; the destructor clears them again.
  explicit ViewSurfaces(CQRV_LoadMemory* record);
  ~ViewSurfaces();
  ViewSurfaces(const ViewSurfaces&) = delete;
  ViewSurfaces& operator=(const ViewSurfaces&) = delete;

  // A bottom-up BGR frame into the view's surface, re-made only when the size changes.
  void InDraw(int view, const std::uint8_t* frame, int width, int height);
  // The stretch into the window surface; the result of the program's OnSiteDrawExe (0 when it is missing or
  // the view is refused).
  int OutDraw(int view);
  // View 0's information panel: versions of the components and the space on the drives.
  void InfoDraw();

  // Percent; 0 and below are refused.
  void SetZoom(int percent);
  int Zoom() const { return zoom_.load(); }
  void MoveDrawPos(int view, int dx, int dy);
  void Fit(int view);
  int XOffset(int view) const;
  int YOffset(int view) const;
  float FrameRate(int view) const;
  // Times the view's surface has been re-made for a new size.
  int Generation(int view) const;

  // The 8 out-draw flags published as user memory "OutDrawImage".
  int* OutDrawFlags() { return outDraw_.data(); }
  void SetAllOutDraw(int value);
  // The stretch mode of the last OutDraw, or the one the options chose since.
  int StretchMode() const { return stretchMode_.load(); }
  void SetStretchMode(int mode) { stretchMode_.store(mode); }

  // The frame pixel under client point (x, y) of the view's window, mapped through the zoom and the view's
  // offsets as the stretch draws it; nothing outside the frame, for an empty view or an empty window.
  std::optional<InspectedPixel> PixelAt(int view, int x, int y);

  port::Surface* Memory(int view);
  // The view's surface as a JPEG file; 1 only when it was written.
  int SaveJpeg(const std::string& path, int view);

 private:
  struct FpsWindow {
    mutable std::mutex mutex;
    std::uint16_t counter = 0;
    bool restart = false;
    port::clock::TimePoint start{};
    float rate = 0;
  };
  struct View {
    port::Surface memory{port::Surface::Format::Bgr24};
    std::atomic<int> x{0};
    std::atomic<int> y{0};
    std::atomic<int> generation{0};
    FpsWindow fps;
  };

  void StretchToWindow(int view, bool halftone, bool zoomed);
  void DrawFpsOverlay(int view);
  float MeasureFps(int view);

  CQRV_LoadMemory* record_;
  std::array<View, kMaxSites> views_;
  std::array<int, kMaxSites> outDraw_{};
  std::atomic<int> zoom_{100};
  std::atomic<int> stretchMode_{kStretchHalftone};
};

}  // namespace qrv::sw
