#include "convert_dispatch.h"

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

// A raw frame reduced to 8 bits, then demosaiced. The 8-bit frame is borrowed from the library's pool, so
// frame after frame reuses the same memory.
template <typename Reduce>
void ReduceAndDemosaic(SoftwareLibrary* library, std::uint8_t* dst, int width, int height, int order,
                       const Reduce& reduce) {
  if (width <= 0 || height <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const auto run = [&](std::uint8_t* raw8) {
    reduce(raw8);
    bayer::Demosaic(raw8, dst, width, height, order);
  };
  if (library) {
    ScratchPool::Lease raw8 = library->Scratch().Borrow(bytes);
    run(raw8.data());
  } else {
    std::vector<std::uint8_t> raw8(bytes);
    run(raw8.data());
  }
}

const std::uint16_t* Words(const std::uint8_t* src) { return reinterpret_cast<const std::uint16_t*>(src); }

// Types 6 and 8 take their size from Sensor.ini; a size larger than the caller's frame would read past it, so
// such a frame is written nowhere, as one of size 0 is.
bool SensorFrame(const SoftwareLibrary* library, const SensorFrameSettings& settings, int order, int width,
                 int height) {
  const int frameX = settings.frameX, frameY = settings.frameY;
  if (!library || frameX <= 0 || frameY <= 0) return false;
  const long long needed = static_cast<long long>(frameX) * (frameY + (order == 8 ? 1 : 0));
  return needed <= static_cast<long long>(width) * height;
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
  const SensorFrameSettings settings = library ? library->FrameSettings() : SensorFrameSettings{};
  std::size_t produced = FrameBytes(width, height);
  switch (type) {
    case kTypeYuv: YuvToBgr(src, dst, width, height, order); break;
    case kTypeRaw8: bayer::Demosaic(src, dst, width, height, order); break;
    case kTypeRaw10:
    case kTypeRaw10Word:
      ReduceAndDemosaic(library, dst, width, height, order, [&](std::uint8_t* raw8) {
        if (bits == 9 || type == kTypeRaw10Word)
          WordToRaw8(Words(src), raw8, width, height, 6, 2);
        else
          MipiRaw10ToRaw8(src, raw8, width, height);
      });
      break;
    case kTypeRaw12:
      ReduceAndDemosaic(library, dst, width, height, order, [&](std::uint8_t* raw8) {
        if (bits == 9)
          WordToRaw8(Words(src), raw8, width, height, 4, 4);
        else
          MipiRaw12ToRaw8(src, raw8, width, height);
      });
      break;
    case kTypeOrientation: TransformOrientation(order, src, dst, width, height); break;
    case kTypeShifted:
    case kTypeSensorFrame: {
      if (!SensorFrame(library, settings, order, width, height)) {
        produced = 0;
        break;
      }
      if (type == kTypeShifted) RepackRaw12Nibbles(src, width, height);
      TransformOrientation(order, src, dst, settings.frameX, settings.frameY);
      produced = FrameBytes(settings.frameX, settings.frameY);
      break;
    }
    default: break;
  }
  if (library) library->CopyToCapture(dst, produced, settings);
}

void ConvertImageEx(SoftwareLibrary* library, int type, int order, int bits, std::uint8_t* src, std::uint8_t* dst,
                    int width, int height, int pad, int align) {
  if (!src || !dst) return;
  switch (type) {
    case kTypeYuv: YuvToBgr(src, dst, width, height, order); return;
    case kTypeRaw10: {
      if (bits == 9) {
        ReduceAndDemosaic(library, dst, width, height, order,
                          [&](std::uint8_t* raw8) { WordToRaw8(Words(src), raw8, width, height, 6, 2); });
        return;
      }
      const long long stride = AlignedStride(5LL * width / 4, pad, align);
      if (stride < 5LL * width / 4) return;
      ReduceAndDemosaic(library, dst, width, height, order, [&](std::uint8_t* raw8) {
        MipiRaw10ToRaw8(src, raw8, width, height, static_cast<std::size_t>(stride));
      });
      return;
    }
    case kTypeRaw10PairSum: {
      const long long stride = AlignedStride(5LL * width / 2, pad, align);
      if (stride < 1) return;
      ReduceAndDemosaic(library, dst, width, height, order, [&](std::uint8_t* raw8) {
        SumRaw10Pairs(src, raw8, width, height, static_cast<std::size_t>(stride));
      });
      return;
    }
    default: ConvertImageByType(library, type, order, bits, src, dst, width, height);
  }
}

}  // namespace qrv::sw
