// The four functions of the JPEG wrapper. Every call works on its own codec handle; nothing is kept
// between calls.
#include <turbojpeg.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "QRV_JpegLib.h"
#include "dib_rows.h"

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

// Encodes 24-bit rows with 4:2:0 chroma; empty on failure.
std::vector<unsigned char> Encode(const unsigned char* pixels, int width, int height, int pixelFormat, int flags) {
  const Handle handle(tjInitCompress());
  if (!handle || !pixels || width <= 0 || height <= 0) return {};
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int pitch = static_cast<int>(qrv::jpeg::PaddedRowBytes(width, 3));
  const int result = tjCompress2(handle.get(), pixels, width, pitch, height, pixelFormat, &out, &size, TJSAMP_420,
                                 kQuality, flags);
  const JpegBytes owned(out);
  if (result != 0) return {};
  return std::vector<unsigned char>(out, out + size);
}

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bgr;  // rows of 3 x width bytes
};

// Any JPEG (grey, colour or four-channel) into BGR; a truncated or corrupt one is refused, also when the
// codec only warns about it.
bool Decode(const unsigned char* jpeg, std::size_t size, int flags, Decoded& out) {
  const Handle handle(tjInitDecompress());
  if (!handle || !jpeg || size == 0) return false;
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(handle.get(), jpeg, size, &width, &height, &subsampling, &colourspace) != 0) return false;
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return false;
  std::vector<unsigned char> bgr(static_cast<std::size_t>(width) * height * 3);
  if (tjDecompress2(handle.get(), jpeg, size, bgr.data(), width, width * 3, height, TJPF_BGR,
                    flags | TJFLAG_STOPONWARNING) != 0) {
    return false;
  }
  out = Decoded{width, height, std::move(bgr)};
  return true;
}

std::vector<unsigned char> ReadFile(const char* fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return {};
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FillHeader(QrvBitmapInfoHeader& header, int width, int height) {
  header = QrvBitmapInfoHeader{};
  header.biSize = sizeof(QrvBitmapInfoHeader);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<std::uint32_t>(width) * height * 3;
  header.biXPelsPerMeter = 1;
  header.biYPelsPerMeter = 1;
}

}  // namespace

QRV_EXPORT int SaveAsJPEG(const char* fileName, const unsigned char* pixels, int width, int height) {
  if (!fileName) return 0;
  const std::vector<unsigned char> jpeg = Encode(pixels, width, height, TJPF_BGR, TJFLAG_BOTTOMUP);
  if (jpeg.empty()) return 0;
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  return out.good() ? 1 : 0;
}

QRV_EXPORT int QRV_LoadjpegFile_NEW(const char* fileName, unsigned char* destination, int* width, int* height) {
  if (!fileName || !destination || !width || !height) return 0;
  const std::vector<unsigned char> jpeg = ReadFile(fileName);
  Decoded decoded;
  if (!Decode(jpeg.data(), jpeg.size(), 0, decoded)) return 0;
  std::copy(decoded.bgr.begin(), decoded.bgr.end(), destination);
  *width = decoded.width;
  *height = decoded.height;
  return 1;
}

QRV_EXPORT int QRV_LoadjpegBuffer_NEW(const unsigned char* jpeg, QrvBitmapInfoHeader* header, int byteCount,
                                      int width, int height) {
  if (!header || byteCount <= 0 || width <= 0 || height <= 0) return 0;
  Decoded decoded;
  if (!Decode(jpeg, static_cast<std::size_t>(byteCount), TJFLAG_BOTTOMUP, decoded)) return 0;
  // The caller sized the picture: a JPEG of another size would not fit behind the header.
  if (decoded.width != width || decoded.height != height) return 0;
  FillHeader(*header, width, height);
  std::copy(decoded.bgr.begin(), decoded.bgr.end(), reinterpret_cast<unsigned char*>(header + 1));
  return 1;
}

QRV_EXPORT int QRV_LoadBMPBuffer_bmpTojpg(const QrvBitmapInfoHeader* header, const unsigned char* pixels,
                                          unsigned char* output) {
  if (!header || !output || header->biBitCount != 24) return 0;
  const int width = header->biWidth;
  const int height = header->biHeight;
  if (width <= 0 || height <= 0) return 0;
  const std::vector<unsigned char> jpeg = Encode(pixels, width, height, TJPF_RGB, 0);
  const std::size_t capacity =
      header->biSizeImage ? header->biSizeImage : static_cast<std::size_t>(width) * height * 3;
  if (jpeg.empty() || jpeg.size() > capacity) return 0;
  std::copy(jpeg.begin(), jpeg.end(), output);
  return static_cast<int>(jpeg.size());
}
