#pragma once
// Packed MIPI RAW10 / RAW12 rows and 16-bit samples to unpacked or 8-bit forms. Every function writes exactly
// W samples a row and reads only inside each packed row, whatever the width; null buffers or a size below
// 1 x 1 write nothing.
#include <cstddef>
#include <cstdint>

namespace qrv::sw {

// Bytes of one packed row: (5W)>>2, plus 2 when that is not a multiple of 4 (the grabber's layout).
std::size_t MipiRaw10Stride(int width);
// Bytes of one packed row: (3W)>>1.
std::size_t MipiRaw12Stride(int width);

// word and bytes may each be null to skip that form ("Byte": low 8 bits, then the high bits masked).
void UnpackMipiRaw10(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height);
void UnpackMipiRaw12(const std::uint8_t* src, std::uint16_t* word, std::uint8_t* bytes, int width, int height);

// The 8 most significant bits of each packed sample; srcStride 0 means the format's own stride.
void MipiRaw10ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t srcStride = 0);
void MipiRaw12ToRaw8(const std::uint8_t* src, std::uint8_t* raw8, int width, int height);

// 16-bit samples: low byte then high byte & mask (0x03 or 0x0F).
void WordToBytes(const std::uint16_t* word, std::uint8_t* bytes, int width, int height, std::uint8_t highMask);
// ((high << highShift) XOR (low >> lowShift)) kept to 8 bits: shifts 6/2 for RAW10, 4/4 for RAW12.
void WordToRaw8(const std::uint16_t* word, std::uint8_t* raw8, int width, int height, int highShift, int lowShift);

// Each 5-byte RAW10 group gives min(255, b0 + b1) and min(255, b2 + b3): W output samples a row from rows of
// 2W packed samples, srcStride bytes apart.
void SumRaw10Pairs(const std::uint8_t* src, std::uint8_t* raw8, int width, int height, std::size_t srcStride);

}  // namespace qrv::sw
