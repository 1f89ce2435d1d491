#pragma once
// The JPEG wrapper's four functions. Pictures are 24-bit device-independent bitmaps: three bytes a
// pixel, rows padded to a multiple of four bytes unless a function says otherwise. No exception leaves
// them: every failure is the failure result.
#include <cstdint>

#include "QRV_PictureLimit.h"
#include "QRV_Types.h"

// The 40-byte header of a device-independent bitmap.
struct QrvBitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(QrvBitmapInfoHeader) == 40);

// The most pixels a decoded picture may have: the station's picture limit. A JPEG whose frame header claims more
// is refused before any memory is taken for its pixels, so a few damaged bytes cannot ask for gigabytes.
inline constexpr std::int64_t kQrvJpegMaxPixels = kQrvMaxPicturePixels;

// Writes top-down BGR rows (padded) of a width x height picture to a JPEG file; 1, or 0 when the file could
// not be written.
QRV_EXPORT int SaveAsJPEG(const char* fileName, const unsigned char* pixels, int width, int height);

// Decodes a JPEG file into `destination` as bottom-up BGR rows of 3 x width bytes (the last picture row
// first); width and height out. `destination` must hold 3 x width x height bytes. Grey pictures come as grey
// B, G, R pixels. Four-channel files (CMYK or YCCK) are read as R, G, B and alpha, premultiplied by the
// alpha, and delivered as B, G, R: for the usual inverted CMYK files this is the picture's colour. Files of
// another channel count and pictures beyond kQrvJpegMaxPixels are refused. 0 on any failure, running out of
// memory included, with width and height left as they were.
QRV_EXPORT int QRV_LoadjpegFile_NEW(const char* fileName, unsigned char* destination, int* width, int* height);

// Decodes `byteCount` JPEG bytes of a width x height picture into a packed bitmap: `header` is filled as a
// 24-bit bottom-up header and the rows (3 x width bytes each, last row first) follow it directly, so the
// caller provides 40 + 3 x width x height bytes. 1 decoded; 0 when the bytes are no JPEG whose frame header
// gives that size (checked before decoding) or cannot be decoded; the block is then unchanged.
QRV_EXPORT int QRV_LoadjpegBuffer_NEW(const unsigned char* jpeg, QrvBitmapInfoHeader* header, int byteCount,
                                      int width, int height);

// Encodes the 24-bit picture of `header` (bottom-up RGB rows, padded, as the positive height says) into
// `output` and returns the JPEG size. The output buffer holds biSizeImage bytes, or the unpadded picture's
// size when that field is 0; a JPEG that would not fit, or a header of another bit count or a height that is
// not positive, writes nothing and returns 0.
QRV_EXPORT int QRV_LoadBMPBuffer_bmpTojpg(const QrvBitmapInfoHeader* header, const unsigned char* pixels,
                                          unsigned char* output);
