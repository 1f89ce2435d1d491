// Entry points of the pixel-format conversions.
#include "QRV_InterFace_SW.h"
#include "bayer.h"
#include "convert_dispatch.h"
#include "exports_check.h"
#include "export_guard.h"
#include "frame_sum.h"
#include "raw_unpack.h"
#include "software_library.h"
#include "yuv.h"

using namespace qrv::sw;

QRV_EXPORT void Convert_Image(int type, int order, int bits, unsigned char* src, unsigned char* dst, int width,
                              int height) {
  Guarded(__func__, [&] {
    ConvertImageByType(SoftwareLibrary::Instance(), type, order, bits, src, dst, width, height);
  });
}

QRV_EXPORT void Convert_Image_Ex(int type, int order, int bits, unsigned char* src, unsigned char* dst, int width,
                                 int height, int pad, int align) {
  Guarded(__func__, [&] {
    ConvertImageEx(SoftwareLibrary::Instance(), type, order, bits, src, dst, width, height, pad, align);
  });
}

QRV_EXPORT void Convert_MIPIRaw12_To_Raw12WordByte(const unsigned char* src, unsigned short* word,
                                                   unsigned char* bytes, int width, int height) {
  Guarded(__func__, [&] {
    if (word && bytes) UnpackMipiRaw12(src, word, bytes, width, height);
  });
}

QRV_EXPORT void Convert_MIPIRaw12_To_Raw12Word(const unsigned char* src, unsigned short* word, int width, int height) {
  Guarded(__func__, [&] {
    UnpackMipiRaw12(src, word, nullptr, width, height);
  });
}

QRV_EXPORT void Convert_MIPIRaw12_To_Raw12Byte(const unsigned char* src, unsigned char* bytes, int width, int height) {
  Guarded(__func__, [&] {
    UnpackMipiRaw12(src, nullptr, bytes, width, height);
  });
}

QRV_EXPORT void Convert_Raw12Word_To_Raw12Byte(const unsigned short* word, unsigned char* bytes, int width,
                                               int height) {
  Guarded(__func__, [&] {
    WordToBytes(word, bytes, width, height, 0x0F);
  });
}

QRV_EXPORT void Convert_MIPIRaw12_To_Raw8(const unsigned char* src, unsigned char* raw8, int width, int height) {
  Guarded(__func__, [&] {
    MipiRaw12ToRaw8(src, raw8, width, height);
  });
}

QRV_EXPORT void Convert_Raw12_To_Raw8(const unsigned short* word, unsigned char* raw8, int width, int height) {
  Guarded(__func__, [&] {
    WordToRaw8(word, raw8, width, height, 4, 4);
  });
}

QRV_EXPORT void Convert_MIPIRaw10_To_Raw10WordByte(const unsigned char* src, unsigned short* word,
                                                   unsigned char* bytes, int width, int height) {
  Guarded(__func__, [&] {
    if (word && bytes) UnpackMipiRaw10(src, word, bytes, width, height);
  });
}

QRV_EXPORT void Convert_MIPIRaw10_To_Raw10Word(const unsigned char* src, unsigned short* word, int width, int height) {
  Guarded(__func__, [&] {
    UnpackMipiRaw10(src, word, nullptr, width, height);
  });
}

QRV_EXPORT void Convert_MIPIRaw10_To_Raw10Byte(const unsigned char* src, unsigned char* bytes, int width, int height) {
  Guarded(__func__, [&] {
    UnpackMipiRaw10(src, nullptr, bytes, width, height);
  });
}

QRV_EXPORT void Convert_Raw10Word_To_Raw10Byte(const unsigned short* word, unsigned char* bytes, int width,
                                               int height) {
  Guarded(__func__, [&] {
    WordToBytes(word, bytes, width, height, 0x03);
  });
}

QRV_EXPORT void Convert_MIPIRaw10_To_Raw8(const unsigned char* src, unsigned char* raw8, int width, int height) {
  Guarded(__func__, [&] {
    MipiRaw10ToRaw8(src, raw8, width, height);
  });
}

QRV_EXPORT void Convert_Raw10_To_Raw8(const unsigned short* word, unsigned char* raw8, int width, int height) {
  Guarded(__func__, [&] {
    WordToRaw8(word, raw8, width, height, 6, 2);
  });
}

QRV_EXPORT void Convert_Raw8_To_Bmp(const unsigned char* raw8, unsigned char* bgr, int width, int height,
                                    int bayerOrder) {
  Guarded(__func__, [&] {
    qrv::bayer::Demosaic(raw8, bgr, width, height, bayerOrder);
  });
}

QRV_EXPORT void Convert_Yuv_To_Bmp(const unsigned char* yuv, unsigned char* bgr, int width, int height, int yuvOrder) {
  Guarded(__func__, [&] {
    YuvToBgr(yuv, bgr, width, height, yuvOrder);
  });
}

QRV_EXPORT void Convert_Bmp_To_Yuv(const unsigned char* bgr, unsigned char* yuv, int width, int height) {
  Guarded(__func__, [&] {
    BgrToYuv(bgr, yuv, width, height);
  });
}

QRV_EXPORT void Convert_Bmp_To_Ybmp(const unsigned char* src, unsigned char* dst, int width, int height) {
  Guarded(__func__, [&] {
    BgrToGreyBgr(src, dst, width, height);
  });
}

QRV_EXPORT void Convert_IntSumBuffer(const unsigned char* frame, unsigned int* sums, int width, int height, int format,
                                     int bits) {
  Guarded(__func__, [&] {
    AddFrameToSums(frame, sums, width, height, format, bits);
  });
}

QRV_EXPORT void Convert_IntSum_To_AvgBuffer(const unsigned int* sums, unsigned char* dst, int width, int height,
                                            int format, int frameCount) {
  Guarded(__func__, [&] {
    SumsToAverage(sums, dst, width, height, format, frameCount);
  });
}

QRV_SW_CHECK_EXPORT(Convert_Image);
QRV_SW_CHECK_EXPORT(Convert_Image_Ex);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw12_To_Raw12WordByte);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw12_To_Raw12Word);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw12_To_Raw12Byte);
QRV_SW_CHECK_EXPORT(Convert_Raw12Word_To_Raw12Byte);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw12_To_Raw8);
QRV_SW_CHECK_EXPORT(Convert_Raw12_To_Raw8);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw10_To_Raw10WordByte);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw10_To_Raw10Word);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw10_To_Raw10Byte);
QRV_SW_CHECK_EXPORT(Convert_Raw10Word_To_Raw10Byte);
QRV_SW_CHECK_EXPORT(Convert_MIPIRaw10_To_Raw8);
QRV_SW_CHECK_EXPORT(Convert_Raw10_To_Raw8);
QRV_SW_CHECK_EXPORT(Convert_Raw8_To_Bmp);
QRV_SW_CHECK_EXPORT(Convert_Yuv_To_Bmp);
QRV_SW_CHECK_EXPORT(Convert_Bmp_To_Yuv);
QRV_SW_CHECK_EXPORT(Convert_Bmp_To_Ybmp);
QRV_SW_CHECK_EXPORT(Convert_IntSumBuffer);
QRV_SW_CHECK_EXPORT(Convert_IntSum_To_AvgBuffer);
