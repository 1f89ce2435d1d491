#include "lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace port::detail {

std::string SharedLockFolder(std::string* why) {
  const std::string folder = "/tmp/qrv-locks-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  // A folder that someone else made could be used to deny or steal the locks.
  const bool found = ::lstat(folder.c_str(), &info) == 0;
  if (!found || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    const std::string reason = !found ? std::strerror(errno)
                               : !S_ISDIR(info.st_mode) ? "not a folder"
                                                        : "owned by another user";
    std::fprintf(stderr, "port: lock folder %s is not usable: %s\n", folder.c_str(), reason.c_str());
    if (why != nullptr) *why = "Lock folder " + folder + " is not usable: " + reason;
    return {};
  }
  return folder;
}

std::string HashName(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

FileLock::FileLock(const std::string& path, Mode mode) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  const int operation = mode == Mode::Wait ? LOCK_EX : LOCK_EX | LOCK_NB;
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    error_ = errno;
    ::close(fd);
    return;
  }
  fd_ = fd;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

int FileLock::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

}  // namespace port::detail
