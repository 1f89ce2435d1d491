#pragma once
// Grabbed frames to the 8-bit mosaic the Bayer kernel takes, and the mosaic to the drawn picture.
#include <cstdint>
#include <vector>

namespace hw {

// How the samples of a grabbed frame are laid out.
struct FrameLayout {
  bool crc = false;  // a CRC grab's output: `dataBit` is the CRC frame type
  int dataBit = 0;
};

// Bytes of one line of a CRC grab's output (the payload, plus 2 when it is not a multiple of 4).
int CrcLineBytes(int crcType, int width);

// Fills width x height 8-bit samples from `raw`: plain 16-bit words shift by their bit depth (8-bit frames
// copy); CRC output of type 1 copies bytes, of types 2 and 3 takes the high bits of the packed RAW10 and
// RAW12 groups, of other types takes the high byte of 16-bit words. False (nothing written) for a layout that carries no
// samples or a raw frame too small for the size.
bool ToEightBit(const FrameLayout& layout, const std::uint8_t* raw, std::size_t rawSize, std::uint8_t* eight,
                int width, int height);

// The Bayer kernel's picture (BGR, bottom-up, rows of 3 x width bytes) of an 8-bit mosaic.
bool BayerToRgb(int order, const std::uint8_t* eight, std::uint8_t* picture, int width, int height);

}  // namespace hw
