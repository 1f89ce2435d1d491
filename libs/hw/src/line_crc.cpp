#include "line_crc.h"

#include <array>
#include <cstdint>

#include "QRV_PictureLimit.h"

namespace hw {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t LineCrc16(const unsigned char* bytes, std::size_t length) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ bytes[i]) & 0xFF]);
  return crc;
}

int CrcPayloadLength(int crcType, int width) {
  switch (crcType) {
    case 1: return width;
    case 2: return width * 5 / 4;
    case 3: return width * 3 / 2;
    default: return 2 * width;
  }
}

int CrcCopyLength(int crcType, int width) {
  const int payload = CrcPayloadLength(crcType, width);
  return payload % 4 == 0 ? payload : payload + 2;
}

// A size that is no picture within the limit needs no buffer: 0. Within it every size fits an int.
int GetImageSizeOf(int dataBits, int width, int height) {
  if (!QrvPictureFits(width, height)) return 0;
  const std::int64_t samples = std::int64_t{width} * height;
  return static_cast<int>(dataBits == 8 ? samples : 2 * samples);
}

int GetCRCImageSizeOf(int crcType, int width, int height) {
  if (!QrvPictureFits(width, height)) return 0;
  const std::int64_t w = width, h = height;
  switch (crcType) {
    case 1: return static_cast<int>(h * (w + 4));
    case 2: return static_cast<int>(w * h * 5 / 4 + 4 * h);
    case 3: return static_cast<int>(w * h * 3 / 2 + 4 * h);
    default: return static_cast<int>(2 * h * (w + 2));
  }
}

}  // namespace hw
