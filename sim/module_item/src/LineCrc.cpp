#include "LineCrc.h"

#include <array>
#include <cstring>

namespace module_item {
namespace {

std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < table.size(); ++i) {
    unsigned crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408u : crc >> 1;
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}

}  // namespace

std::uint16_t LineCrc16(const std::uint8_t* data, std::size_t length) {
  static const std::array<std::uint16_t, 256> table = MakeTable();
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) crc = static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

int PackedLineBytes(int width, int bits) {
  switch (bits) {
    case 8: return width;
    case 10: return width * 5 / 4;
    case 12: return width * 3 / 2;
    default: return 2 * width;
  }
}

int CrcLineStride(int payload) { return payload + 4 + (payload % 4 != 0 ? 2 : 0); }

std::vector<int> FailingLines(const std::uint8_t* frame, int lines, int payload) {
  std::vector<int> failing;
  const int stride = CrcLineStride(payload);
  for (int line = 0; line < lines; ++line) {
    const std::uint8_t* bytes = frame + static_cast<std::size_t>(line) * static_cast<std::size_t>(stride);
    const std::uint8_t* trailer = bytes + payload;
    const auto received = static_cast<std::uint16_t>(trailer[1] | (trailer[2] << 8));
    if (trailer[3] != 0 || received != LineCrc16(bytes, static_cast<std::size_t>(payload))) failing.push_back(line);
  }
  return failing;
}

void StripTrailers(const std::uint8_t* frame, int lines, int payload, std::uint8_t* out) {
  const std::size_t stride = static_cast<std::size_t>(CrcLineStride(payload));
  for (int line = 0; line < lines; ++line)
    std::memcpy(out + static_cast<std::size_t>(line) * static_cast<std::size_t>(payload),
                frame + static_cast<std::size_t>(line) * stride, static_cast<std::size_t>(payload));
}

}  // namespace module_item
