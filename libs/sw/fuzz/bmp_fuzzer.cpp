// The BMP reader on arbitrary bytes: it must refuse or decode, never read outside the data.
#include <cstddef>
#include <cstdint>

#include "bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qrv::sw::BmpImage image;
  if (qrv::sw::DecodeBmp(data, size, image) &&
      image.bgr.size() != 3 * static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    __builtin_trap();
  return 0;
}
