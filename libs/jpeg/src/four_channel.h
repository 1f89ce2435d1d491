#pragma once
// Four-channel (CMYK or YCCK) JPEG data decoded a row at a time into B, G, R bytes, so that a picture at the
// pixel limit costs its three bytes a pixel and never a four-byte copy of itself.
#include <cstddef>

#include "turbo_codec.h"

namespace qrv::jpeg {

// Decodes a four-channel JPEG of width x height pixels into `bgr` (rows of exactly 3 x width bytes), reading
// it as R, G, B and alpha premultiplied by the alpha. False for damaged data, also where the codec only warns,
// and for a frame of another size or channel count; `bgr` may then hold some rows.
bool DecodeFourChannel(const unsigned char* jpeg, std::size_t size, int width, int height, RowOrder order,
                       unsigned char* bgr);

}  // namespace qrv::jpeg
