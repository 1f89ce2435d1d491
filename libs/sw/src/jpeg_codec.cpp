#include "jpeg_codec.h"

#include <turbojpeg.h>

#include <memory>

namespace qrv::sw {
namespace {

struct TjDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBufferDeleter {
  void operator()(unsigned char* p) const { tjFree(p); }
};

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                                     PixelLayout layout, int quality) {
  if (!pixels || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return {};
  const TjHandle tj(tjInitCompress());
  if (!tj) return {};
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int format = layout == PixelLayout::Bgr ? TJPF_BGR : TJPF_BGRX;
  const int rc = tjCompress2(tj.get(), pixels, width, static_cast<int>(pitch), height, format, &raw, &size,
                             TJSAMP_420, quality, TJFLAG_ACCURATEDCT);
  const std::unique_ptr<unsigned char, TjBufferDeleter> owned(raw);
  if (rc != 0 || !raw) return {};
  return std::vector<std::uint8_t>(raw, raw + size);
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, BmpImage& out) {
  if (!data || size == 0) return false;
  const TjHandle tj(tjInitDecompress());
  if (!tj) return false;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(tj.get(), data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                          &colorspace) != 0)
    return false;
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
      static_cast<std::int64_t>(width) * height > kMaxJpegPixels)
    return false;
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  // Bottom-up rows, as every frame between the libraries.
  if (tjDecompress2(tj.get(), data, static_cast<unsigned long>(size), bgr.data(), width, 0, height, TJPF_BGR,
                    TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT) != 0)
    return false;
  out.width = width;
  out.height = height;
  out.bgr = std::move(bgr);
  return true;
}

}  // namespace qrv::sw
