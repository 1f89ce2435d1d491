#pragma once
// The per-line CRC of grabbed frames: CRC-16 with the polynomial x^16 + x^12 + x^5 + 1 processed
// reflected (0x8408), initial value 0xFFFF, no final XOR (the CRC of MIPI CSI-2 packet footers).
#include <cstddef>
#include <cstdint>

namespace hw {

std::uint16_t LineCrc16(const unsigned char* bytes, std::size_t length);

// Payload bytes of one line of a CRC frame: type 1 8-bit, 2 packed 10-bit, 3 packed 12-bit, else 16-bit.
int CrcPayloadLength(int crcType, int width);
// Payload plus the 2 bytes that lines whose payload is not a multiple of 4 carry.
int CrcCopyLength(int crcType, int width);
// Distance between two lines in the grab buffer: the copy length and the 4-byte trailer.
inline int CrcLineStride(int crcType, int width) { return CrcCopyLength(crcType, width) + 4; }

int GetImageSizeOf(int dataBits, int width, int height);
int GetCRCImageSizeOf(int crcType, int width, int height);

}  // namespace hw
