#pragma once
// Re-ordering of 3-byte pixels, and the realignment of frames that arrive 12 bits late.
#include <cstdint>

namespace qrv::sw {

// Modes 0-8 as the conversion codes define them; W x H output. Modes 4-7 read a source H pixels wide and W rows
// high, mode 8 one of H + 1 pixels a row. False (nothing written) for an unknown mode or an empty frame.
bool TransformOrientation(int mode, const std::uint8_t* src, std::uint8_t* dst, int width, int height);

// Byte j := (byte j+1 << 4 | byte j+2 >> 4) over W x H x 3 bytes, from the bytes as they were; bytes past the
// end count as 0.
void RepackRaw12Nibbles(std::uint8_t* frame, int width, int height);

}  // namespace qrv::sw
