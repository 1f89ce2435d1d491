#include "LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

namespace logfile {
namespace {

std::mutex& FileLock(const std::string& path) {
  static std::mutex tableLock;
  static std::map<std::string, std::unique_ptr<std::mutex>> locks;
  const std::lock_guard guard(tableLock);
  auto& slot = locks[path];
  if (!slot) slot = std::make_unique<std::mutex>();
  return *slot;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool AppendLine(const std::string& path, std::string_view line, const std::function<std::string()>& header) {
  const std::lock_guard guard(FileLock(path));
  const Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (file.get() < 0) return false;
  struct stat info {};
  if (header && ::fstat(file.get(), &info) == 0 && info.st_size == 0) {
    std::string whole = header();
    whole.append(line);
    return WriteAll(file.get(), whole);
  }
  return WriteAll(file.get(), line);
}

bool AppendToExisting(const std::string& path, std::string_view text) {
  const std::lock_guard guard(FileLock(path));
  const Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  return file.get() >= 0 && WriteAll(file.get(), text);
}

std::string SafeFileNamePart(std::string_view text, std::size_t maxLength) {
  std::string safe;
  safe.reserve(std::min(text.size(), maxLength));
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const bool forbidden = u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
                           c == '"' || c == '<' || c == '>' || c == '|';
    safe.push_back(forbidden ? '_' : c);
  }
  if (safe.size() > maxLength) {
    std::size_t cut = maxLength;
    while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
    safe.resize(cut);
  }
  // Dots alone would name the folder itself or its parent.
  if (safe.find_first_not_of('.') == std::string::npos && !safe.empty()) safe.assign(safe.size(), '_');
  return safe;
}

}  // namespace logfile
