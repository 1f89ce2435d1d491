#pragma once
// Convert_Image and Convert_Image_Ex: one grabbed frame of any sensor format to a bottom-up BGR frame,
// chosen by the conversion type, and the capture copy of the result.
#include <cstdint>

namespace qrv::sw {

class SoftwareLibrary;

enum ConvertImageType : int {
  kTypeYuv = 0,
  kTypeRaw8 = 1,
  kTypeRaw10 = 2,
  kTypeRaw12 = 3,
  kTypeOrientation = 4,
  kTypeRaw10Word = 5,
  kTypeShifted = 6,
  kTypeSensorFrame = 8,
  kTypeRaw10PairSum = 12,
};

// The row stride of a padded packed source: base + pad rounded up to a multiple of align (align 0 or 1: no
// rounding); 0 when it comes out below 1.
long long AlignedStride(long long base, int pad, int align);

void ConvertImageByType(SoftwareLibrary* library, int type, int order, int bits, std::uint8_t* src,
                        std::uint8_t* dst, int width, int height);
void ConvertImageEx(SoftwareLibrary* library, int type, int order, int bits, std::uint8_t* src, std::uint8_t* dst,
                    int width, int height, int pad, int align);

}  // namespace qrv::sw
