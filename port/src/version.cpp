#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "port/text.h"
#include "port/version.h"

namespace port {
namespace {

constexpr std::string_view kVersionSection = ".qrv_version";
const std::string kNull = "(null)";

// The file mapped read-only for the time of one lookup.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
      void* data = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = data;
        size_ = static_cast<std::size_t>(info.st_size);
      }
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_) ::munmap(data_, size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view Bytes() const { return data_ ? std::string_view(static_cast<const char*>(data_), size_) : std::string_view(); }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

std::string ReadVersionString(const std::string& path, std::string_view name) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return {};
  const MappedFile file(path);
  const auto section = FindElfSection(file.Bytes(), kVersionSection);
  if (!section) return kNull;
  for (const auto& [key, value] : ParseVersionSection(*section)) {
    if (EqualsNoCase(key, name)) return value;
  }
  return kNull;
}

}  // namespace port
