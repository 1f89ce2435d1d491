#pragma once
// AVX-512 (F, BW, VBMI) bodies of the YUV and grey loops, with the contracts of yuv_simd.h. Call them only when
// qrv::simd::HasAvx512() is true.
#include <cstddef>
#include <cstdint>

#include "bgr_simd.h"
#include "yuv.h"

namespace qrv::sw::simd {

QRV_AVX512 int YuvRow512(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u,
                         int y1, int v);
QRV_AVX512 int PlanarRow512(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma,
                            std::uint8_t* out, int width);
QRV_AVX512 int YuvPairs512(const std::uint8_t* in, std::uint8_t* out, int pairs);
QRV_AVX512 std::size_t GreyPixels512(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);

}  // namespace qrv::sw::simd
