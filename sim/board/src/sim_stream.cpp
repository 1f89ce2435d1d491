// The module's test pattern as the receiver stores it: plain samples (lines padded to the lane count)
// or MIPI-packed lines each followed by the CSI-2 line CRC trailer.
#include <array>
#include <utility>

#include "sim_board.h"

namespace velkarasim {
namespace {

std::array<uint16_t, 256> CrcTable() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
    table[i] = crc;
  }
  return table;
}

uint32_t PayloadBytes(int width, int bits) {
  const uint32_t w = static_cast<uint32_t>(width);
  if (bits == 8) return w;
  if (bits == 10) return w * 5 / 4;
  if (bits == 12) return w * 3 / 2;
  return 2 * w;
}

void PackLine(const Board& b, int y, uint8_t* out) {
  const int bits = b.bits;
  for (int x = 0; x < b.width; ++x) {
    const uint32_t s = VelkaraSim_PatternSample(x, y, bits);
    if (bits == 8) {
      out[x] = static_cast<uint8_t>(s);
    } else if (bits == 10) {
      uint8_t* group = out + (x / 4) * 5;
      group[x % 4] = static_cast<uint8_t>(s >> 2);
      group[4] = static_cast<uint8_t>(group[4] | ((s & 3u) << (2 * (x % 4))));
    } else if (bits == 12) {
      uint8_t* group = out + (x / 2) * 3;
      group[x % 2] = static_cast<uint8_t>(s >> 4);
      group[2] = static_cast<uint8_t>(group[2] | ((s & 0xFu) << (4 * (x % 2))));
    } else {
      out[2 * x] = static_cast<uint8_t>(s);
      out[2 * x + 1] = static_cast<uint8_t>(s >> 8);
    }
  }
}

void PlainLine(const Board& b, int y, uint8_t* out) {
  const bool wide = b.bits > 8;
  for (int x = 0; x < b.width; ++x) {
    const uint32_t s = VelkaraSim_PatternSample(x, y, b.bits);
    if (wide) {
      out[2 * x] = static_cast<uint8_t>(s);
      out[2 * x + 1] = static_cast<uint8_t>(s >> 8);
    } else {
      out[x] = static_cast<uint8_t>(s);
    }
  }
}

}  // namespace

uint16_t LineCrc(const uint8_t* data, size_t length) {
  static const std::array<uint16_t, 256> table = CrcTable();
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < length; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
  return crc;
}

// Rendering a large frame costs far more than moving it, so the same settings reuse the last one.
void RenderFrame(Board& b) {
  FrameKey key{b.lanes, b.crcTrailer, b.bits, b.width, b.height, EffectiveFaults(b)->badCrcLines};
  if (b.renderedFor == key) return;
  const uint32_t stride = b.LineBytes();
  b.frame.assign(static_cast<size_t>(stride) * static_cast<size_t>(b.height), 0);
  const std::set<int>& badLines = key.badCrcLines;
  for (int y = 0; y < b.height; ++y) {
    uint8_t* line = b.frame.data() + static_cast<size_t>(y) * stride;
    if (!b.crcTrailer) {
      PlainLine(b, y, line);
      continue;
    }
    const uint32_t payload = PayloadBytes(b.width, b.bits);
    PackLine(b, y, line);
    uint16_t crc = LineCrc(line, payload);
    if (badLines.count(y)) crc = static_cast<uint16_t>(crc ^ 0xA5A5);
    line[payload + 1] = static_cast<uint8_t>(crc);
    line[payload + 2] = static_cast<uint8_t>(crc >> 8);
    line[payload + 3] = 0;
  }
  b.renderedFor = std::move(key);
}

}  // namespace velkarasim

uint32_t VelkaraSim_PatternSample(int x, int y, int bits) {
  const int depth = bits >= 1 && bits <= 16 ? bits : 16;
  const uint32_t value = static_cast<uint32_t>(x) * 7u + static_cast<uint32_t>(y) * 13u + (static_cast<uint32_t>(x * y) >> 3);
  return value & ((1u << depth) - 1u);
}
