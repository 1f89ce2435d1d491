// Entry points of the image files.
#include <algorithm>
#include <cstring>

#include "QRV_InterFace_SW.h"
#include "exports_check.h"
#include "export_guard.h"
#include "image_files.h"

using qrv::sw::Guarded;

QRV_EXPORT int OnSaveImage_BMP(const char* path, const unsigned char* pixels, int width, int height) {
  return Guarded(__func__, 0, [&]() -> int {
    return qrv::sw::SaveBmpFile(path, pixels, width, height);
  });
}

QRV_EXPORT int OnSaveImage_JPG(const char* path, const unsigned char* pixels, int width, int height) {
  return Guarded(__func__, 0, [&]() -> int {
    return qrv::sw::SavePictureFile(path, pixels, width, height);
  });
}

QRV_EXPORT int SaveImageToRawFile(const char* path, const unsigned char* bytes, int width, int height) {
  return Guarded(__func__, 0, [&]() -> int {
    return qrv::sw::SaveRawFile(path, bytes, width, height);
  });
}

// The destination holds the padded rows of the picture ((3W + W mod 4) x H bytes): the frame goes there as a
// bottom-up BGR frame of 3W-byte rows and the rest is zeroed.
QRV_EXPORT int OnLoadImage_BMP(const char* path, unsigned char* dst) {
  return Guarded(__func__, -2, [&]() -> int {
    qrv::sw::BmpImage image;
    const int rc = qrv::sw::LoadBmpFile(path, image);
    if (rc != 0 || !dst) return rc != 0 ? rc : -2;
    const std::size_t padded = qrv::sw::BmpRowStride(image.width) * static_cast<std::size_t>(image.height);
    std::memcpy(dst, image.bgr.data(), image.bgr.size());
    std::memset(dst + image.bgr.size(), 0, padded - image.bgr.size());
    return 0;
  });
}

QRV_EXPORT int OnLoadImage_JPG(const char* path, unsigned char* dst, int* width, int* height) {
  return Guarded(__func__, 0, [&]() -> int {
    qrv::sw::BmpImage image;
    if (!dst || !qrv::sw::LoadPictureFile(path, image)) return 0;
    if (width) *width = image.width;
    if (height) *height = image.height;
    std::copy(image.bgr.begin(), image.bgr.end(), dst);
    return 1;
  });
}

// The caller owns the frame and releases it with delete[].
QRV_EXPORT unsigned char* OnLoadImage_JPG_Ex(const char* path, int* width, int* height) {
  return Guarded(__func__, static_cast<unsigned char*>(nullptr), [&]() -> unsigned char* {
    qrv::sw::BmpImage image;
    if (!qrv::sw::LoadPictureFile(path, image)) return nullptr;
    auto* frame = new unsigned char[image.bgr.size()];
    std::copy(image.bgr.begin(), image.bgr.end(), frame);
    if (width) *width = image.width;
    if (height) *height = image.height;
    return frame;
  });
}

QRV_SW_CHECK_EXPORT(OnSaveImage_BMP);
QRV_SW_CHECK_EXPORT(OnSaveImage_JPG);
QRV_SW_CHECK_EXPORT(SaveImageToRawFile);
QRV_SW_CHECK_EXPORT(OnLoadImage_BMP);
QRV_SW_CHECK_EXPORT(OnLoadImage_JPG);
QRV_SW_CHECK_EXPORT(OnLoadImage_JPG_Ex);
