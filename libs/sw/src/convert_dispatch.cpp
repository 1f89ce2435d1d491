#include "convert_dispatch.h"

#include <cstdio>
#include <vector>

#include "bayer.h"
#include "orientation.h"
#include "raw_unpack.h"
#include "software_library.h"
#include "yuv.h"

namespace qrv::sw {
namespace {

std::size_t FrameBytes(int width, int height) {
  return width > 0 && height > 0 ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 : 0;
}

// A raw frame reduced to 8 bits, then demosaiced; the 8-bit frame lives for this call only.
template <typename Reduce>
void ReduceAndDemosaic(std::uint8_t* dst, int width, int height, int order, const Reduce& reduce) {
  if (width <= 0 || height <= 0) return;
  std::vector<std::uint8_t> raw8(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  reduce(raw8.data());
  bayer::Demosaic(raw8.data(), dst, width, height, order);
}

const std::uint16_t* Words(const std::uint8_t* src) { return reinterpret_cast<const std::uint16_t*>(src); }

// Types 6 and 8 take their size from Sensor.ini; a size larger than the caller's frame would read past it.
bool SensorFrame(SoftwareLibrary* library, int type, int order, int width, int height, int& frameX, int& frameY) {
  frameX = library ? library->SensorInt("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_X", 0) : 0;
  frameY = library ? library->SensorInt("SENSOR_SET", "QRV_SENSOR_SIZE_FRAME_Y", 0) : 0;
  if (frameX <= 0 || frameY <= 0) return false;
  const long long needed = static_cast<long long>(frameX) * (frameY + (order == 8 ? 1 : 0));
  if (needed <= static_cast<long long>(width) * height) return true;
  char line[160];
  std::snprintf(line, sizeof line, "Convert_Image type %d: frame %dx%d of Sensor.ini exceeds the %dx%d source",
                type, frameX, frameY, width, height);
  library->Log(line);
  return false;
}

}  // namespace

long long AlignedStride(long long base, int pad, int align) {
  long long stride = base + pad;
  if (align > 1) stride = (stride + align - 1) / align * align;
  return stride > 0 ? stride : 0;
}

void ConvertImageByType(SoftwareLibrary* library, int type, int order, int bits, std::uint8_t* src,
                        std::uint8_t* dst, int width, int height) {
  if (!src || !dst) return;
  std::size_t produced = FrameBytes(width, height);
  switch (type) {
    case kTypeYuv: YuvToBgr(src, dst, width, height, order); break;
    case kTypeRaw8: bayer::Demosaic(src, dst, width, height, order); break;
    case kTypeRaw10:
    case kTypeRaw10Word:
      ReduceAndDemosaic(dst, width, height, order, [&](std::uint8_t* raw8) {
        if (bits == 9 || type == kTypeRaw10Word)
          WordToRaw8(Words(src), raw8, width, height, 6, 2);
        else
          MipiRaw10ToRaw8(src, raw8, width, height);
      });
      break;
    case kTypeRaw12:
      ReduceAndDemosaic(dst, width, height, order, [&](std::uint8_t* raw8) {
        if (bits == 9)
          WordToRaw8(Words(src), raw8, width, height, 4, 4);
        else
          MipiRaw12ToRaw8(src, raw8, width, height);
      });
      break;
    case kTypeOrientation: TransformOrientation(order, src, dst, width, height); break;
    case kTypeShifted:
    case kTypeSensorFrame: {
      int frameX = 0, frameY = 0;
      if (!SensorFrame(library, type, order, width, height, frameX, frameY)) {
        produced = 0;
        break;
      }
      if (type == kTypeShifted) RepackRaw12Nibbles(src, width, height);
      TransformOrientation(order, src, dst, frameX, frameY);
      produced = FrameBytes(frameX, frameY);
      break;
    }
    default: break;
  }
  if (library) library->CopyToCapture(dst, produced);
}

void ConvertImageEx(SoftwareLibrary* library, int type, int order, int bits, std::uint8_t* src, std::uint8_t* dst,
                    int width, int height, int pad, int align) {
  if (!src || !dst) return;
  switch (type) {
    case kTypeYuv: YuvToBgr(src, dst, width, height, order); return;
    case kTypeRaw10: {
      if (bits == 9) {
        ReduceAndDemosaic(dst, width, height, order,
                          [&](std::uint8_t* raw8) { WordToRaw8(Words(src), raw8, width, height, 6, 2); });
        return;
      }
      const long long stride = AlignedStride(5LL * width / 4, pad, align);
      if (stride < 5LL * width / 4) return;
      ReduceAndDemosaic(dst, width, height, order, [&](std::uint8_t* raw8) {
        MipiRaw10ToRaw8(src, raw8, width, height, static_cast<std::size_t>(stride));
      });
      return;
    }
    case kTypeRaw10PairSum: {
      const long long stride = AlignedStride(5LL * width / 2, pad, align);
      if (stride < 1) return;
      ReduceAndDemosaic(dst, width, height, order, [&](std::uint8_t* raw8) {
        SumRaw10Pairs(src, raw8, width, height, static_cast<std::size_t>(stride));
      });
      return;
    }
    default: ConvertImageByType(library, type, order, bits, src, dst, width, height);
  }
}

}  // namespace qrv::sw
