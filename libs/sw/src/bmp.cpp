#include "bmp.h"

#include <cstring>

namespace qrv::sw {
namespace {

void Put16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

unsigned Get16(const std::uint8_t* p) { return p[0] | static_cast<unsigned>(p[1]) << 8; }

}  // namespace

std::size_t BmpRowStride(int width) { return (3 * static_cast<std::size_t>(width) + 3) & ~std::size_t{3}; }

std::vector<std::uint8_t> EncodeBmp(const std::uint8_t* bgr, int width, int height) {
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  const std::size_t stride = BmpRowStride(width);
  const std::size_t pixels = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> file(kBmpHeaderSize + pixels, 0);
  std::uint8_t* h = file.data();
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(file.size()));
  Put32(h + 10, kBmpHeaderSize);
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width));
  Put32(h + 22, static_cast<std::uint32_t>(height));
  Put16(h + 26, 1);
  Put16(h + 28, 24);
  for (int y = 0; y < height; ++y)
    std::memcpy(h + kBmpHeaderSize + static_cast<std::size_t>(y) * stride, bgr + static_cast<std::size_t>(y) * row, row);
  return file;
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, BmpImage& out) {
  if (!data || size < kBmpHeaderSize || data[0] != 'B' || data[1] != 'M') return false;
  const std::uint32_t offset = Get32(data + 10);
  const std::uint32_t infoSize = Get32(data + 14);
  const auto width = static_cast<std::int32_t>(Get32(data + 18));
  const auto rawHeight = static_cast<std::int32_t>(Get32(data + 22));
  if (infoSize < 40 || Get16(data + 26) != 1 || Get16(data + 28) != 24 || Get32(data + 30) != 0) return false;
  if (width < 1 || width > kMaxImageSide || rawHeight == 0 || rawHeight < -kMaxImageSide ||
      rawHeight > kMaxImageSide)
    return false;
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;
  if (offset < kBmpHeaderSize || offset > size) return false;
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  const std::size_t available = size - offset;
  const std::size_t padded = BmpRowStride(width) * static_cast<std::size_t>(height);
  // Files of earlier versions carry rows without padding; anything shorter is cut off.
  std::size_t stride = BmpRowStride(width);
  if (available < padded) {
    if (available < row * static_cast<std::size_t>(height)) return false;
    stride = row;
  }
  out.width = width;
  out.height = height;
  out.bgr.assign(row * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    // A negative height stores the top row first.
    const int from = rawHeight < 0 ? height - 1 - y : y;
    std::memcpy(out.bgr.data() + static_cast<std::size_t>(y) * row, data + offset + static_cast<std::size_t>(from) * stride,
                row);
  }
  return true;
}

}  // namespace qrv::sw
