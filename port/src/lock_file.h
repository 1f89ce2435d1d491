#pragma once
#include <string>
#include <string_view>

// Lock files for the ini writers and the single-instance lock, kept outside the folders they protect.
namespace port::detail {

// /tmp/qrv-locks-<uid>, created on first use and owned by this user; empty when it cannot be used.
std::string SharedLockFolder();

// A short stable file name for any text (FNV-1a, 16 hex digits).
std::string HashName(std::string_view text);

// An flock held for the object's life.
class FileLock {
 public:
  enum class Mode { Wait, TryOnce };
  FileLock(const std::string& path, Mode mode);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  // Hands the descriptor over; the lock then lasts until it is closed.
  int Release();

 private:
  int fd_ = -1;
};

}  // namespace port::detail
