#pragma once
// The Bayer kernel shared by the image library's conversions and the hardware library's play and live
// workers: an 8-bit mosaic, top row first, to a bottom-up BGR frame (3 bytes a pixel, rows of 3W bytes).
#include <cstdint>

namespace qrv::bayer {

enum BayerOrder : int {
  kBGGR = 1,
  kRGGB = 2,
  kGBRG = 3,
  kGRBG = 4,
  kMono = 5,
};

// Each output pixel at source row y, column x takes blue and red from the 2x2 window of rows y-1, y and
// columns x, x+1, and green as the mean of its two greens (shifted, not rounded). Columns W-2 and W-1 repeat
// column W-3; the two top picture rows repeat source row 2. Order 5 turns each sample into a grey pixel.
// Returns false and writes nothing for an unknown order or a frame the kernel cannot cover (orders 1-4 need
// a width and height of at least 3; every order needs a positive size).
bool Demosaic(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int order);

// The same, for the output rows [firstRow, endRow) only (output row 0 is the picture's bottom). Lets a
// caller split one frame between threads; the caller has checked the frame with CanDemosaic.
void DemosaicRows(const std::uint8_t* raw8, std::uint8_t* bgr, int width, int height, int order, int firstRow,
                  int endRow);
bool CanDemosaic(int width, int height, int order);

}  // namespace qrv::bayer
