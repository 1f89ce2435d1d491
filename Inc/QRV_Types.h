#pragma once
// Handle and value types that cross deliverable boundaries.
#include <cstdint>

class QWidget;
namespace port {
class Surface;
}

using ModuleHandle = void*;
// A window: the QWidget of that window, opaque to the libraries.
using WindowHandle = QWidget*;
// A "device context": a port surface with its own lock.
using DeviceContext = port::Surface*;

struct QrvRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};
static_assert(sizeof(QrvRect) == 16);

inline constexpr int kMaxSites = 8;
inline constexpr int kTextSize = 260;

inline constexpr bool IsValidSite(int site) { return site >= 0 && site < kMaxSites; }
inline constexpr char SiteLetter(int site) { return static_cast<char>('A' + site); }

// Exported plain C functions of every deliverable.
#define QRV_EXPORT extern "C" __attribute__((visibility("default")))
