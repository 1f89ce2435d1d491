#pragma once
// JPEG data to and from 24-bit pixel rows, on libjpeg-turbo. Every call works on its own codec handle.
#include <cstddef>
#include <vector>

namespace qrv::jpeg {

enum class RowOrder { TopDown, BottomUp };

struct JpegSize {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 grey, 3 colour, 4 four-channel (CMYK or YCCK)
};

// The size and channel count of the frame header; false when the bytes start no JPEG.
bool ReadJpegSize(const unsigned char* jpeg, std::size_t size, JpegSize& out);

// Whether a picture of that size may be decoded: its pixels within the wrapper's limit.
bool WithinDecodeLimit(const JpegSize& size);

struct BgrPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bgr;  // rows of exactly 3 x width bytes
};

// Decodes a grey, colour or four-channel JPEG into B, G, R bytes. A four-channel picture is read as R, G, B and
// alpha and premultiplied by its alpha. False, before any pixel memory is taken, for a picture beyond the limit
// or of another channel count, and for damaged data, also where the codec only warns.
bool DecodeBgr(const unsigned char* jpeg, std::size_t size, RowOrder order, BgrPicture& out);

// Encodes 24-bit rows (padded to four bytes) with 2 x 2 chroma subsampling; empty on failure.
enum class ByteOrder { Bgr, Rgb };
std::vector<unsigned char> Encode(const unsigned char* pixels, int width, int height, ByteOrder bytes,
                                  RowOrder order);

}  // namespace qrv::jpeg
