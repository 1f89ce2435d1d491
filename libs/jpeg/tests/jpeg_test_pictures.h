#pragma once
// Small JPEG pictures made by the tests themselves, and a frame header that claims another size.
#include <turbojpeg.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace qrv::jpeg::test {

// `pixels` holds width x height pixels of `format`, top row first.
inline std::vector<unsigned char> MakeJpeg(const std::vector<unsigned char>& pixels, int width, int height,
                                           int format, int subsampling) {
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(handle, pixels.data(), width, 0, height, format, &jpeg, &size, subsampling, 90, 0);
  tjDestroy(handle);
  std::vector<unsigned char> bytes;
  if (rc == 0) bytes.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  if (bytes.empty()) throw std::runtime_error(tjGetErrorStr());
  return bytes;
}

// A 16 x 16 grey (or four-channel) picture whose frame header then claims width x height: the header reads,
// the data is short.
inline std::vector<unsigned char> JpegClaiming(int width, int height, int format = TJPF_GRAY) {
  const int sampling = format == TJPF_GRAY ? TJSAMP_GRAY : TJSAMP_444;
  std::vector<unsigned char> bytes =
      MakeJpeg(std::vector<unsigned char>(16 * 16 * tjPixelSize[format], 128), 16, 16, format, sampling);
  for (std::size_t i = 2; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // baseline frame header: length, precision, height, width
      bytes[i + 5] = static_cast<unsigned char>(height >> 8);
      bytes[i + 6] = static_cast<unsigned char>(height);
      bytes[i + 7] = static_cast<unsigned char>(width >> 8);
      bytes[i + 8] = static_cast<unsigned char>(width);
      return bytes;
    }
  }
  throw std::runtime_error("no frame header");
}

}  // namespace qrv::jpeg::test
