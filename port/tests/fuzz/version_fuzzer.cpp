// Arbitrary bytes as an ELF image: never a read outside the image (the sanitizers check), and the
// section found lies inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "port/version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view image(reinterpret_cast<const char*>(data), size);
  const auto section = port::FindElfSection(image, ".qrv_version");
  if (section) {
    if (section->data() < image.data() || section->data() + section->size() > image.data() + image.size()) std::abort();
    (void)port::ParseVersionSection(*section);
  }
  (void)port::ParseVersionSection(image);
  return 0;
}
