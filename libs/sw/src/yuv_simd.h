#pragma once
// AVX2 bodies of the YUV and grey loops. Each does whole blocks from the start of a row and returns the
// pixels (or pairs) done; the scalar loop finishes the row. They return 0 on machines without AVX2. Their
// results equal the tables and the double and single-precision rules byte for byte.
#include <cstddef>
#include <cstdint>

#include "yuv.h"

namespace qrv::sw::simd {

// Interleaved 4:2:2 row; offsets of Y0, U, Y1, V inside a pair.
int YuvRowToBgr(const YuvTables& t, const std::uint8_t* in, std::uint8_t* out, int width, int y0, int u, int y1,
                int v);
// Planar: a luma row and its row of V, U pairs.
int PlanarRowToBgr(const YuvTables& t, const std::uint8_t* luma, const std::uint8_t* chroma, std::uint8_t* out,
                   int width);
// UYVY pairs from BGR pixel pairs, exactly as the double-precision rule computes them.
int BgrPairsToYuv(const std::uint8_t* in, std::uint8_t* out, int pairs);
// Rounded luma into all three bytes of each pixel; src may equal dst.
std::size_t BgrToGrey(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixels);

}  // namespace qrv::sw::simd
