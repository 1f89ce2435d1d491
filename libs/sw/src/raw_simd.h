#pragma once
// SSSE3 bodies of the unpack loops. Each handles whole groups from the start of a row while its wide loads and
// stores stay inside the row, and returns how many groups it did; the scalar loop finishes the row.
#include <cstdint>

namespace qrv::sw::simd {

int UnpackRaw10Groups(const std::uint8_t* in, std::uint16_t* out, int groups);
int UnpackRaw12Groups(const std::uint8_t* in, std::uint16_t* out, int groups);
int CompressRaw10Groups(const std::uint8_t* in, std::uint8_t* out, int groups);
int CompressRaw12Groups(const std::uint8_t* in, std::uint8_t* out, int groups);

}  // namespace qrv::sw::simd
