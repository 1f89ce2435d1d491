// The JPEG readers of the wrapper and of the image library on arbitrary bytes: they must refuse or decode,
// never read or write outside their memory, and never take memory beyond their picture limits (the run's
// allocation limit catches that).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "QRV_JpegLib.h"
#include "turbo_codec.h"
#include "jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qrv::jpeg::BgrPicture picture;
  if (qrv::jpeg::DecodeBgr(data, size, qrv::jpeg::RowOrder::BottomUp, picture)) {
    const auto pixels = static_cast<std::int64_t>(picture.width) * picture.height;
    if (pixels > kQrvJpegMaxPixels || picture.bgr.size() != static_cast<std::size_t>(pixels) * 3) __builtin_trap();
  }
  // The buffer decoder writes exactly the block its caller sized: the header and 3 x W x H bytes behind it.
  qrv::jpeg::JpegSize claimed;
  const bool sized = qrv::jpeg::ReadJpegSize(data, size, claimed) && qrv::jpeg::WithinDecodeLimit(claimed);
  const int width = sized ? claimed.width : 8;
  const int height = sized ? claimed.height : 8;
  std::vector<unsigned char> block(sizeof(QrvBitmapInfoHeader) + static_cast<std::size_t>(width) * height * 3);
  auto* header = reinterpret_cast<QrvBitmapInfoHeader*>(block.data());
  const int loaded = QRV_LoadjpegBuffer_NEW(data, header, static_cast<int>(size), width, height);
  if (loaded != 0 && loaded != 1) __builtin_trap();

  qrv::sw::BmpImage frame;
  if (qrv::sw::DecodeJpeg(data, size, frame) &&
      (static_cast<std::int64_t>(frame.width) * frame.height > qrv::sw::kMaxJpegPixels ||
       frame.bgr.size() != 3 * static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height)))
    __builtin_trap();
  return 0;
}
