#pragma once
// 24-bit BMP files: written with standard rows padded to 4 bytes; read from padded files and from the
// unpadded files that earlier versions wrote.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qrv::sw {

inline constexpr int kBmpHeaderSize = 54;
inline constexpr int kMaxImageSide = 32767;

std::size_t BmpRowStride(int width);

// The file bytes for a bottom-up BGR frame.
std::vector<std::uint8_t> EncodeBmp(const std::uint8_t* bgr, int width, int height);

struct BmpImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // bottom-up, rows of exactly 3W bytes
};

// False for anything but an uncompressed 24-bit picture whose pixels lie wholly inside the data.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, BmpImage& out);

}  // namespace qrv::sw
