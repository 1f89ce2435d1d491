#pragma once
// JPEG through libjpeg-turbo.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "QRV_PictureLimit.h"
#include "bmp.h"

namespace qrv::sw {

// The most pixels a JPEG may have to be read, the station's picture limit: a header that claims more is refused
// before memory is taken for it.
inline constexpr std::int64_t kMaxJpegPixels = kQrvMaxPicturePixels;

enum class PixelLayout { Bgr, Bgrx };

// Top-down rows, pitch bytes apart; empty on failure.
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* pixels, int width, int height, std::size_t pitch,
                                     PixelLayout layout, int quality = 90);
// Any JPEG (grey ones become grey pixels) within the limits into a bottom-up BGR frame.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, BmpImage& out);

}  // namespace qrv::sw
