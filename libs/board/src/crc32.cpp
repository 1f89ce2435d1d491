// CRC-32 (reflected polynomial 0xEDB88320) over the low bytes of 16-bit words.
#include <array>

#include "board_exports.h"

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint32_t VKL_CalcCRC32(int32_t count, const uint16_t* words) {
  if (count <= 0 || !words) return 0;
  uint32_t crc = 0xFFFFFFFFu;
  for (int32_t i = 0; i < count; ++i) crc = kCrcTable[(words[i] ^ crc) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}
