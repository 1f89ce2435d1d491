#pragma once
// The receiver's per-line trailer check: each line is the payload, then four bytes (unused, CRC low, CRC
// high, receiver result). The CRC is CRC-16 0x8408 reflected, initial 0xFFFF, no final XOR.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace module_item {

std::uint16_t LineCrc16(const std::uint8_t* data, std::size_t length);

// Payload bytes of one line of `width` samples packed at `bits` (8, 10, 12; anything else 16-bit words).
int PackedLineBytes(int width, int bits);
// Bytes from one line's start to the next: payload, trailer, and 2 more when the payload is not 4-aligned.
int CrcLineStride(int payload);

// Lines whose trailer disagrees with their payload or whose receiver result is not 0.
std::vector<int> FailingLines(const std::uint8_t* frame, int lines, int payload);

// The payloads of `lines` lines, without their trailers, one after the other.
void StripTrailers(const std::uint8_t* frame, int lines, int payload, std::uint8_t* out);

}  // namespace module_item
