#pragma once
// The image library's binder: its module handle, then its 33 entry points in slot order. The layout crosses
// library boundaries (the hardware library and the test items call through it), so the list below is the
// one place the order and the signatures are written; the library's own definitions are checked against it.
#include <cstddef>
#include <string>

#include "QRV_Types.h"

// X(name, result, parameters), in slot order 1 to 33.
#define QRV_SW_FUNCTIONS(X)                                                                                  \
  X(SetUserMemory, void, (void* block, const char* name))                                                    \
  X(GetUserMemory, void*, (const char* name))                                                                \
  X(Convert_Image, void, (int type, int order, int bits, unsigned char* src, unsigned char* dst, int width,  \
                          int height))                                                                       \
  X(Convert_Image_Ex, void, (int type, int order, int bits, unsigned char* src, unsigned char* dst,          \
                             int width, int height, int pad, int align))                                     \
  X(OnSaveImage_BMP, int, (const char* path, const unsigned char* pixels, int width, int height))            \
  X(OnSaveImage_JPG, int, (const char* path, const unsigned char* pixels, int width, int height))            \
  X(OnLoadImage_JPG, int, (const char* path, unsigned char* dst, int* width, int* height))                   \
  X(OnLoadImage_JPG_Ex, unsigned char*, (const char* path, int* width, int* height))                         \
  X(OnLoadImage_BMP, int, (const char* path, unsigned char* dst))                                            \
  X(OnSaveImageDC, int, (const char* path, int view))                                                        \
  X(InDrawImage, void, (int view, const unsigned char* frame, int width, int height))                        \
  X(OutDrawImage, int, (int view))                                                                           \
  X(SaveImageToRawFile, int, (const char* path, const unsigned char* bytes, int width, int height))          \
  X(CreateMapping_BYTE, unsigned char*, (const char* name, void* unused, int size))                          \
  X(CreateMapping_Double, double*, (const char* name, void* unused, int size))                               \
  X(Convert_MIPIRaw12_To_Raw12WordByte, void, (const unsigned char* src, unsigned short* word,               \
                                               unsigned char* bytes, int width, int height))                 \
  X(Convert_MIPIRaw12_To_Raw12Word, void, (const unsigned char* src, unsigned short* word, int width,        \
                                           int height))                                                      \
  X(Convert_MIPIRaw12_To_Raw12Byte, void, (const unsigned char* src, unsigned char* bytes, int width,        \
                                           int height))                                                      \
  X(Convert_Raw12Word_To_Raw12Byte, void, (const unsigned short* word, unsigned char* bytes, int width,       \
                                           int height))                                                      \
  X(Convert_MIPIRaw12_To_Raw8, void, (const unsigned char* src, unsigned char* raw8, int width, int height)) \
  X(Convert_Raw12_To_Raw8, void, (const unsigned short* word, unsigned char* raw8, int width, int height))   \
  X(Convert_MIPIRaw10_To_Raw10WordByte, void, (const unsigned char* src, unsigned short* word,               \
                                               unsigned char* bytes, int width, int height))                 \
  X(Convert_MIPIRaw10_To_Raw10Word, void, (const unsigned char* src, unsigned short* word, int width,        \
                                           int height))                                                      \
  X(Convert_MIPIRaw10_To_Raw10Byte, void, (const unsigned char* src, unsigned char* bytes, int width,        \
                                           int height))                                                      \
  X(Convert_Raw10Word_To_Raw10Byte, void, (const unsigned short* word, unsigned char* bytes, int width,      \
                                           int height))                                                      \
  X(Convert_MIPIRaw10_To_Raw8, void, (const unsigned char* src, unsigned char* raw8, int width, int height)) \
  X(Convert_Raw10_To_Raw8, void, (const unsigned short* word, unsigned char* raw8, int width, int height))   \
  X(Convert_Raw8_To_Bmp, void, (const unsigned char* raw8, unsigned char* bgr, int width, int height,        \
                                int bayerOrder))                                                             \
  X(Convert_Yuv_To_Bmp, void, (const unsigned char* yuv, unsigned char* bgr, int width, int height,          \
                               int yuvOrder))                                                                \
  X(Convert_Bmp_To_Yuv, void, (const unsigned char* bgr, unsigned char* yuv, int width, int height))         \
  X(Convert_Bmp_To_Ybmp, void, (const unsigned char* src, unsigned char* dst, int width, int height))        \
  X(Convert_IntSumBuffer, void, (const unsigned char* frame, unsigned int* sums, int width, int height,      \
                                 int format, int bits))                                                      \
  X(Convert_IntSum_To_AvgBuffer, void, (const unsigned int* sums, unsigned char* dst, int width, int height, \
                                        int format, int frameCount))

#define QRV_SW_TYPEDEF(name, result, params) using name##_Fn = result(*) params;
QRV_SW_FUNCTIONS(QRV_SW_TYPEDEF)
#undef QRV_SW_TYPEDEF

inline constexpr int kSoftwareFunctionCount = 33;

// Entries outside the binder that the main program binds into the platform record are typed in
// QRV_PlatformMemory.h (Load_OnCreate, OnImagefit, SetDrawPos, SetZoom, GetTestingImageSave, SetFullView).

class CInterFace_SW {
 public:
  // Loads the image library from the program's System folder and binds the 33 slots (main program).
  CInterFace_SW();
  // The same from a given file (the program's loader passes the path under its root folder).
  explicit CInterFace_SW(const std::string& libraryPath);
  // Releases nothing: the unloader frees the module first.
  ~CInterFace_SW();
  CInterFace_SW(const CInterFace_SW&) = delete;
  CInterFace_SW& operator=(const CInterFace_SW&) = delete;

  ModuleHandle m_hSoftware;
#define QRV_SW_SLOT(name, result, params) name##_Fn name;
  QRV_SW_FUNCTIONS(QRV_SW_SLOT)
#undef QRV_SW_SLOT
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(CInterFace_SW) == 34 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, m_hSoftware) == 0);
static_assert(offsetof(CInterFace_SW, SetUserMemory) == 1 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, Convert_Image) == 3 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, InDrawImage) == 11 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, OutDrawImage) == 12 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, Convert_MIPIRaw12_To_Raw12WordByte) == 16 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, Convert_Raw8_To_Bmp) == 28 * sizeof(void*));
static_assert(offsetof(CInterFace_SW, Convert_IntSum_To_AvgBuffer) == 33 * sizeof(void*));
#pragma GCC diagnostic pop
