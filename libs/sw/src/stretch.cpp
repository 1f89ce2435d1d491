#include "stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qrv::sw {
namespace {

// Source span [first, end) of each destination index, -1 when it lies outside the source.
struct Span {
  int first, end;
};

std::vector<Span> Spans(int srcStart, int srcCount, int srcLimit, int dstCount, bool area) {
  std::vector<Span> spans(static_cast<std::size_t>(dstCount));
  for (int d = 0; d < dstCount; ++d) {
    const long long a = srcStart + static_cast<long long>(d) * srcCount / dstCount;
    long long b = srcStart + static_cast<long long>(d + 1) * srcCount / dstCount;
    if (!area || b <= a) b = a + 1;
    const long long first = std::max<long long>(a, 0), end = std::min<long long>(b, srcLimit);
    spans[static_cast<std::size_t>(d)] = first < end ? Span{static_cast<int>(first), static_cast<int>(end)} : Span{-1, -1};
  }
  return spans;
}

template <int kDstBytes>
void StretchRows(const port::Surface& src, port::Surface& dst, const std::vector<Span>& cols,
                 const std::vector<Span>& rows, int dstX, int dstY) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::uint8_t* out = dst.Row(dstY + static_cast<int>(r)) + kDstBytes * dstX;
    const Span ry = rows[r];
    for (std::size_t c = 0; c < cols.size(); ++c, out += kDstBytes) {
      const Span cx = cols[c];
      unsigned sum[3] = {0, 0, 0};
      unsigned count = 0;
      if (ry.first >= 0 && cx.first >= 0) {
        for (int y = ry.first; y < ry.end; ++y) {
          const std::uint8_t* in = src.Row(y) + 3 * cx.first;
          for (int x = cx.first; x < cx.end; ++x, in += 3) {
            sum[0] += in[0];
            sum[1] += in[1];
            sum[2] += in[2];
          }
        }
        count = static_cast<unsigned>((ry.end - ry.first) * (cx.end - cx.first));
      }
      for (int k = 0; k < 3; ++k) out[k] = count ? static_cast<std::uint8_t>(sum[k] / count) : 0;
      if constexpr (kDstBytes == 4) out[3] = 0xFF;
    }
  }
}

}  // namespace

void Stretch(const port::Surface& src, StretchRect from, port::Surface& dst, StretchRect to, bool halftone) {
  if (src.IsEmpty() || dst.IsEmpty() || src.BytesPerPixel() != 3 || from.width < 1 || from.height < 1) return;
  const int width = std::min(to.width, dst.Width() - to.x);
  const int height = std::min(to.height, dst.Height() - to.y);
  if (to.x < 0 || to.y < 0 || width < 1 || height < 1) return;
  // Spans are worked out over the whole destination rectangle, then cut to the visible part.
  std::vector<Span> cols = Spans(from.x, from.width, src.Width(), to.width, halftone);
  std::vector<Span> rows = Spans(from.y, from.height, src.Height(), to.height, halftone);
  cols.resize(static_cast<std::size_t>(width));
  rows.resize(static_cast<std::size_t>(height));
  if (dst.BytesPerPixel() == 4)
    StretchRows<4>(src, dst, cols, rows, to.x, to.y);
  else
    StretchRows<3>(src, dst, cols, rows, to.x, to.y);
}

}  // namespace qrv::sw
