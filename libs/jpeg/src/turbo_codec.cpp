#include "turbo_codec.h"

#include <turbojpeg.h>

#include <cstdint>
#include <memory>

#include "QRV_JpegLib.h"
#include "dib_rows.h"
#include "four_channel.h"

namespace qrv::jpeg {
namespace {

// The library's default quality, which the file writer keeps and the buffer writer names.
constexpr int kQuality = 75;

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct JpegBytesFree {
  void operator()(unsigned char* bytes) const { tjFree(bytes); }
};
using JpegBytes = std::unique_ptr<unsigned char, JpegBytesFree>;

int Channels(int colourspace) {
  switch (colourspace) {
    case TJCS_GRAY: return 1;
    case TJCS_RGB:
    case TJCS_YCbCr: return 3;
    case TJCS_CMYK:
    case TJCS_YCCK: return 4;
    default: return 0;
  }
}

bool Decompress(void* handle, const unsigned char* jpeg, std::size_t size, unsigned char* rows, int width,
                int pitch, int height, int format, RowOrder order) {
  const int flags = TJFLAG_STOPONWARNING | (order == RowOrder::BottomUp ? TJFLAG_BOTTOMUP : 0);
  return tjDecompress2(handle, jpeg, static_cast<unsigned long>(size), rows, width, pitch, height, format, flags) == 0;
}

}  // namespace

bool ReadJpegSize(const unsigned char* jpeg, std::size_t size, JpegSize& out) {
  const Handle handle(tjInitDecompress());
  if (!handle || !jpeg || size == 0) return false;
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(handle.get(), jpeg, static_cast<unsigned long>(size), &width, &height, &subsampling,
                          &colourspace) != 0) {
    return false;
  }
  out = JpegSize{width, height, Channels(colourspace)};
  return true;
}

bool WithinDecodeLimit(const JpegSize& size) {
  return size.width > 0 && size.height > 0 &&
         static_cast<std::int64_t>(size.width) * size.height <= kQrvJpegMaxPixels;
}

bool DecodeBgr(const unsigned char* jpeg, std::size_t size, RowOrder order, BgrPicture& out) {
  JpegSize header;
  if (!ReadJpegSize(jpeg, size, header) || !WithinDecodeLimit(header)) return false;
  if (header.channels != 1 && header.channels != 3 && header.channels != 4) return false;
  const std::size_t pixels = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
  std::vector<unsigned char> bgr(pixels * 3);
  if (header.channels == 4) {
    if (!DecodeFourChannel(jpeg, size, header.width, header.height, order, bgr.data())) return false;
  } else {
    const Handle handle(tjInitDecompress());
    if (!handle || !Decompress(handle.get(), jpeg, size, bgr.data(), header.width, header.width * 3, header.height,
                               TJPF_BGR, order)) {
      return false;
    }
  }
  out = BgrPicture{header.width, header.height, std::move(bgr)};
  return true;
}

std::vector<unsigned char> Encode(const unsigned char* pixels, int width, int height, ByteOrder bytes,
                                  RowOrder order) {
  const Handle handle(tjInitCompress());
  // A JPEG frame header holds 16-bit sizes.
  if (!handle || !pixels || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return {};
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int pitch = static_cast<int>(PaddedRowBytes(width, 3));
  const int format = bytes == ByteOrder::Bgr ? TJPF_BGR : TJPF_RGB;
  const int flags = order == RowOrder::BottomUp ? TJFLAG_BOTTOMUP : 0;
  const int result =
      tjCompress2(handle.get(), pixels, width, pitch, height, format, &out, &size, TJSAMP_420, kQuality, flags);
  const JpegBytes owned(out);
  if (result != 0) return {};
  return std::vector<unsigned char>(out, out + size);
}

}  // namespace qrv::jpeg
