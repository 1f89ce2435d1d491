// Writes the JPEG fuzzer's seeds into the folder given: tiny pictures of each kind the wrapper decodes
// (colour, grey, four-channel, progressive), and a four-channel one whose frame header claims the largest
// picture the wrapper takes, made here so no sample file is needed.
#include <turbojpeg.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "jpeg_test_pictures.h"

namespace {

bool WriteBytes(const std::string& folder, const char* name, const std::vector<unsigned char>& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const bool written = static_cast<bool>(out);
  if (!written) std::fprintf(stderr, "cannot write seed %s\n", name);
  return written;
}

bool WriteSeed(const std::string& folder, const char* name, int width, int height, int format, int subsampling,
               int flags) {
  const int channels = tjPixelSize[format];
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * channels);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 37 + i / 7);
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(handle, pixels.data(), width, 0, height, format, &jpeg, &size, subsampling, 75, flags);
  tjDestroy(handle);
  const bool written = rc == 0 && WriteBytes(folder, name, std::vector<unsigned char>(jpeg, jpeg + size));
  tjFree(jpeg);
  if (rc != 0) std::fprintf(stderr, "cannot make seed %s: %s\n", name, tjGetErrorStr());
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = WriteSeed(folder, "colour_420_9x7.jpg", 9, 7, TJPF_BGR, TJSAMP_420, 0) &&
                  WriteSeed(folder, "grey_8x3.jpg", 8, 3, TJPF_GRAY, TJSAMP_GRAY, 0) &&
                  WriteSeed(folder, "cmyk_5x4.jpg", 5, 4, TJPF_CMYK, TJSAMP_444, 0) &&
                  WriteSeed(folder, "progressive_16x16.jpg", 16, 16, TJPF_RGB, TJSAMP_422, TJFLAG_PROGRESSIVE);
  try {
    return ok && WriteBytes(folder, "cmyk_claiming_16384x8192.jpg",
                            qrv::jpeg::test::JpegClaiming(16384, 8192, TJPF_CMYK))
               ? 0
               : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot make the four-channel seed: %s\n", error.what());
    return 1;
  }
}
