#pragma once
// The JPEG wrapper's four functions. Pictures are 24-bit device-independent bitmaps: three bytes a
// pixel, rows padded to a multiple of four bytes unless a function says otherwise.
#include <cstdint>

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

// Writes bottom-up BGR rows (padded) of a width x height picture to a JPEG file; 1, or 0 when the file
// could not be written.
QRV_EXPORT int SaveAsJPEG(const char* fileName, const unsigned char* pixels, int width, int height);

// Decodes a JPEG file (grey, colour or four-channel) into `destination` as top-down BGR rows of 3 x width
// bytes; width and height out. 0 on any failure, with width and height left as they were.
QRV_EXPORT int QRV_LoadjpegFile_NEW(const char* fileName, unsigned char* destination, int* width, int* height);

// Decodes `byteCount` JPEG bytes of a width x height picture into a packed bitmap: `header` is filled as a
// 24-bit bottom-up header and the rows (3 x width bytes each, last row first) follow it directly, so the
// caller provides 40 + 3 x width x height bytes. 1 decoded; 0 when the bytes are no JPEG of that size.
QRV_EXPORT int QRV_LoadjpegBuffer_NEW(const unsigned char* jpeg, QrvBitmapInfoHeader* header, int byteCount,
                                      int width, int height);

// Encodes the 24-bit picture of `header` (top-down RGB rows, padded) into `output` and returns the JPEG
// size. The output buffer holds biSizeImage bytes, or the unpadded picture's size when that field is 0;
// a JPEG that would not fit, or a header of another bit count, writes nothing and returns 0.
QRV_EXPORT int QRV_LoadBMPBuffer_bmpTojpg(const QrvBitmapInfoHeader* header, const unsigned char* pixels,
                                          unsigned char* output);
