#pragma once
// Our stretch of a 24-bit surface region onto a 24- or 32-bit surface: nearest sample (COLORONCOLOR) or the
// average of the covered source area (HALFTONE). Source pixels outside the source surface come out black.
#include "port/surface.h"

namespace qrv::sw {

struct StretchRect {
  int x, y, width, height;
};

// Both surfaces locked by the caller. The destination rectangle is clipped to the destination surface.
void Stretch(const port::Surface& src, StretchRect from, port::Surface& dst, StretchRect to, bool halftone);

}  // namespace qrv::sw
