// Entry points of the pixel-format conversions.
#include "QRV_InterFace_SW.h"
#include "bayer.h"
#include "convert_dispatch.h"
#include "exports_check.h"
#include "frame_sum.h"
#include "raw_unpack.h"
#include "software_library.h"
#include "yuv.h"

using namespace qrv::sw;

QRV_EXPORT void Convert_Image(int type, int order, int bits, unsigned char* src, unsigned char* dst, int width,
                              int height) {
  ConvertImageByType(SoftwareLibrary::Instance(), type, order, bits, src, dst, width, height);
}

QRV_EXPORT void Convert_Image_Ex(int type, int order, int bits, unsigned char* src, unsigned char* dst, int width,
                                 int height, int pad, int align) {
  ConvertImageEx(SoftwareLibrary::Instance(), type, order, bits, src, dst, width, height, pad, align);
}

// The six entry points of one packed depth N (Convert_MIPIRawN_To_RawN..., Convert_RawNWord_To_RawNByte,
// Convert_RawN_To_Raw8): both depths differ only in the mask of the high byte and the shifts down to 8 bits.
#define QRV_MIPI_RAW_EXPORTS(N, highMask, highShift, lowShift)                                                  \
  QRV_EXPORT void Convert_MIPIRaw##N##_To_Raw##N##WordByte(const unsigned char* src, unsigned short* word,     \
                                                           unsigned char* bytes, int width, int height) {       \
    if (word && bytes) UnpackMipiRaw##N(src, word, bytes, width, height);                                       \
  }                                                                                                             \
  QRV_EXPORT void Convert_MIPIRaw##N##_To_Raw##N##Word(const unsigned char* src, unsigned short* word, int width, \
                                                       int height) {                                            \
    UnpackMipiRaw##N(src, word, nullptr, width, height);                                                        \
  }                                                                                                             \
  QRV_EXPORT void Convert_MIPIRaw##N##_To_Raw##N##Byte(const unsigned char* src, unsigned char* bytes, int width, \
                                                       int height) {                                            \
    UnpackMipiRaw##N(src, nullptr, bytes, width, height);                                                       \
  }                                                                                                             \
  QRV_EXPORT void Convert_Raw##N##Word_To_Raw##N##Byte(const unsigned short* word, unsigned char* bytes, int width, \
                                                       int height) {                                            \
    WordToBytes(word, bytes, width, height, highMask);                                                          \
  }                                                                                                             \
  QRV_EXPORT void Convert_MIPIRaw##N##_To_Raw8(const unsigned char* src, unsigned char* raw8, int width,          \
                                               int height) {                                                    \
    MipiRaw##N##ToRaw8(src, raw8, width, height);                                                               \
  }                                                                                                             \
  QRV_EXPORT void Convert_Raw##N##_To_Raw8(const unsigned short* word, unsigned char* raw8, int width, int height) { \
    WordToRaw8(word, raw8, width, height, highShift, lowShift);                                                 \
  }                                                                                                             \
  QRV_SW_CHECK_EXPORT(Convert_MIPIRaw##N##_To_Raw##N##WordByte);                                                \
  QRV_SW_CHECK_EXPORT(Convert_MIPIRaw##N##_To_Raw##N##Word);                                                    \
  QRV_SW_CHECK_EXPORT(Convert_MIPIRaw##N##_To_Raw##N##Byte);                                                    \
  QRV_SW_CHECK_EXPORT(Convert_Raw##N##Word_To_Raw##N##Byte);                                                    \
  QRV_SW_CHECK_EXPORT(Convert_MIPIRaw##N##_To_Raw8);                                                            \
  QRV_SW_CHECK_EXPORT(Convert_Raw##N##_To_Raw8)

QRV_MIPI_RAW_EXPORTS(12, 0x0F, 4, 4);
QRV_MIPI_RAW_EXPORTS(10, 0x03, 6, 2);

QRV_EXPORT void Convert_Raw8_To_Bmp(const unsigned char* raw8, unsigned char* bgr, int width, int height,
                                    int bayerOrder) {
  qrv::bayer::Demosaic(raw8, bgr, width, height, bayerOrder);
}

QRV_EXPORT void Convert_Yuv_To_Bmp(const unsigned char* yuv, unsigned char* bgr, int width, int height, int yuvOrder) {
  YuvToBgr(yuv, bgr, width, height, yuvOrder);
}

QRV_EXPORT void Convert_Bmp_To_Yuv(const unsigned char* bgr, unsigned char* yuv, int width, int height) {
  BgrToYuv(bgr, yuv, width, height);
}

QRV_EXPORT void Convert_Bmp_To_Ybmp(const unsigned char* src, unsigned char* dst, int width, int height) {
  BgrToGreyBgr(src, dst, width, height);
}

QRV_EXPORT void Convert_IntSumBuffer(const unsigned char* frame, unsigned int* sums, int width, int height, int format,
                                     int bits) {
  AddFrameToSums(frame, sums, width, height, format, bits);
}

QRV_EXPORT void Convert_IntSum_To_AvgBuffer(const unsigned int* sums, unsigned char* dst, int width, int height,
                                            int format, int frameCount) {
  SumsToAverage(sums, dst, width, height, format, frameCount);
}

QRV_SW_CHECK_EXPORT(Convert_Image);
QRV_SW_CHECK_EXPORT(Convert_Image_Ex);
QRV_SW_CHECK_EXPORT(Convert_Raw8_To_Bmp);
QRV_SW_CHECK_EXPORT(Convert_Yuv_To_Bmp);
QRV_SW_CHECK_EXPORT(Convert_Bmp_To_Yuv);
QRV_SW_CHECK_EXPORT(Convert_Bmp_To_Ybmp);
QRV_SW_CHECK_EXPORT(Convert_IntSumBuffer);
QRV_SW_CHECK_EXPORT(Convert_IntSum_To_AvgBuffer);
