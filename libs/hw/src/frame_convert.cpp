#include "frame_convert.h"

#include <cstring>

#include "bayer.h"

namespace hw {
namespace {

int CrcPayloadBytes(int crcType, int width) {
  switch (crcType) {
    case 1: return width;
    case 2: return width * 5 / 4;
    case 3: return width * 3 / 2;
    default: return 2 * width;
  }
}

// The 8-bit value of sample x of a line.
std::uint8_t CrcSample(int crcType, const std::uint8_t* line, int x) {
  switch (crcType) {
    case 1: return line[x];
    case 2: return line[x / 4 * 5 + x % 4];
    case 3: return line[x / 2 * 3 + x % 2];
    default: return line[2 * x + 1];
  }
}

int PlainShift(int dataBit) {
  switch (dataBit) {
    case 10: return 2;
    case 12: return 4;
    case 16: return 8;
    default: return -1;
  }
}

}  // namespace

int CrcLineBytes(int crcType, int width) {
  const int payload = CrcPayloadBytes(crcType, width);
  return payload % 4 ? payload + 2 : payload;
}

bool ToEightBit(const FrameLayout& layout, const std::uint8_t* raw, std::size_t rawSize, std::uint8_t* eight,
                int width, int height) {
  if (width <= 0 || height <= 0) return false;
  const std::size_t samples = static_cast<std::size_t>(width) * height;
  if (layout.crc) {
    const std::size_t stride = static_cast<std::size_t>(CrcLineBytes(layout.dataBit, width));
    if (rawSize < stride * height) return false;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* line = raw + stride * y;
      for (int x = 0; x < width; ++x) eight[static_cast<std::size_t>(y) * width + x] = CrcSample(layout.dataBit, line, x);
    }
    return true;
  }
  if (layout.dataBit == 8) {
    if (rawSize < samples) return false;
    std::memcpy(eight, raw, samples);
    return true;
  }
  const int shift = PlainShift(layout.dataBit);
  if (shift < 0 || rawSize < samples * 2) return false;
  for (std::size_t i = 0; i < samples; ++i) {
    eight[i] = static_cast<std::uint8_t>((raw[2 * i] | (raw[2 * i + 1] << 8)) >> shift);
  }
  return true;
}

bool BayerToRgb(int order, const std::uint8_t* eight, std::uint8_t* picture, int width, int height) {
  return qrv::bayer::Demosaic(eight, picture, width, height, order);
}

}  // namespace hw
