// The four functions of the JPEG wrapper. Nothing is kept between calls, and no exception reaches a caller:
// a failure of any kind, running out of memory included, gives the failure result.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "QRV_JpegLib.h"
#include "port/catch_all.h"
#include "turbo_codec.h"

namespace {

using qrv::jpeg::BgrPicture;
using qrv::jpeg::RowOrder;

template <typename Fn>
int FailureAsZero(const Fn& fn) noexcept {
  return port::ValueOrFailure(0, fn, [](const char*) {});
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
  header.biSizeImage = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 3;
  header.biXPelsPerMeter = 1;
  header.biYPelsPerMeter = 1;
}

int SaveFile(const char* fileName, const unsigned char* pixels, int width, int height) {
  if (!fileName) return 0;
  const std::vector<unsigned char> jpeg =
      qrv::jpeg::Encode(pixels, width, height, qrv::jpeg::ByteOrder::Bgr, RowOrder::TopDown);
  if (jpeg.empty()) return 0;
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  return out.good() ? 1 : 0;
}

int LoadFile(const char* fileName, unsigned char* destination, int* width, int* height) {
  if (!fileName || !destination || !width || !height) return 0;
  const std::vector<unsigned char> jpeg = ReadFile(fileName);
  BgrPicture picture;
  if (!qrv::jpeg::DecodeBgr(jpeg.data(), jpeg.size(), RowOrder::BottomUp, picture)) return 0;
  std::copy(picture.bgr.begin(), picture.bgr.end(), destination);
  *width = picture.width;
  *height = picture.height;
  return 1;
}

int LoadBuffer(const unsigned char* jpeg, QrvBitmapInfoHeader* header, int byteCount, int width, int height) {
  if (!header || byteCount <= 0 || width <= 0 || height <= 0) return 0;
  const auto size = static_cast<std::size_t>(byteCount);
  // The caller sized the block behind the header: a JPEG of another size is refused before it is decoded.
  qrv::jpeg::JpegSize claimed;
  if (!qrv::jpeg::ReadJpegSize(jpeg, size, claimed) || claimed.width != width || claimed.height != height)
    return 0;
  BgrPicture picture;
  if (!qrv::jpeg::DecodeBgr(jpeg, size, RowOrder::BottomUp, picture)) return 0;
  FillHeader(*header, width, height);
  std::copy(picture.bgr.begin(), picture.bgr.end(), reinterpret_cast<unsigned char*>(header + 1));
  return 1;
}

int EncodeBitmap(const QrvBitmapInfoHeader* header, const unsigned char* pixels, unsigned char* output) {
  if (!header || !output || header->biBitCount != 24) return 0;
  const int width = header->biWidth;
  const int height = header->biHeight;
  if (width <= 0 || height <= 0) return 0;
  const std::vector<unsigned char> jpeg =
      qrv::jpeg::Encode(pixels, width, height, qrv::jpeg::ByteOrder::Rgb, RowOrder::BottomUp);
  const std::size_t capacity =
      header->biSizeImage ? header->biSizeImage : static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (jpeg.empty() || jpeg.size() > capacity) return 0;
  std::copy(jpeg.begin(), jpeg.end(), output);
  return static_cast<int>(jpeg.size());
}

}  // namespace

QRV_EXPORT int SaveAsJPEG(const char* fileName, const unsigned char* pixels, int width, int height) {
  return FailureAsZero([&] { return SaveFile(fileName, pixels, width, height); });
}

QRV_EXPORT int QRV_LoadjpegFile_NEW(const char* fileName, unsigned char* destination, int* width, int* height) {
  return FailureAsZero([&] { return LoadFile(fileName, destination, width, height); });
}

QRV_EXPORT int QRV_LoadjpegBuffer_NEW(const unsigned char* jpeg, QrvBitmapInfoHeader* header, int byteCount,
                                      int width, int height) {
  return FailureAsZero([&] { return LoadBuffer(jpeg, header, byteCount, width, height); });
}

QRV_EXPORT int QRV_LoadBMPBuffer_bmpTojpg(const QrvBitmapInfoHeader* header, const unsigned char* pixels,
                                          unsigned char* output) {
  return FailureAsZero([&] { return EncodeBitmap(header, pixels, output); });
}
