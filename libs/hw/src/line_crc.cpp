#include "line_crc.h"

#include <array>

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

int GetImageSizeOf(int dataBits, int width, int height) {
  return dataBits == 8 ? width * height : 2 * width * height;
}

int GetCRCImageSizeOf(int crcType, int width, int height) {
  switch (crcType) {
    case 1: return height * (width + 4);
    case 2: return width * height * 5 / 4 + 4 * height;
    case 3: return width * height * 3 / 2 + 4 * height;
    default: return 2 * height * (width + 2);
  }
}

}  // namespace hw
