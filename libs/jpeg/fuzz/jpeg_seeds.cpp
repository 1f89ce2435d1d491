// Writes the JPEG fuzzer's seeds into the folder given: tiny pictures of each kind the wrapper decodes
// (colour, grey, four-channel, progressive), made here so no sample file is needed.
#include <turbojpeg.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

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
  bool written = false;
  if (rc == 0) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    written = static_cast<bool>(out.write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size)));
  }
  tjFree(jpeg);
  if (!written) std::fprintf(stderr, "cannot write seed %s: %s\n", name, tjGetErrorStr());
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
  return ok ? 0 : 1;
}
