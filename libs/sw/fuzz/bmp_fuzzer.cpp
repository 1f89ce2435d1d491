// The BMP reader on arbitrary bytes: it must refuse or decode, never read outside the data. A picture it
// decodes must come back unchanged through the writer and the reader again.
#include <cstddef>
#include <cstdint>

#include "bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qrv::sw::BmpImage image;
  if (!qrv::sw::DecodeBmp(data, size, image)) return 0;
  if (image.bgr.size() != 3 * static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    __builtin_trap();
  const std::vector<std::uint8_t> file = qrv::sw::EncodeBmp(image.bgr.data(), image.width, image.height);
  qrv::sw::BmpImage again;
  if (!qrv::sw::DecodeBmp(file.data(), file.size(), again) || again.width != image.width ||
      again.height != image.height || again.bgr != image.bgr)
    __builtin_trap();
  return 0;
}
