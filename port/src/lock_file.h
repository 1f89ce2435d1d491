#pragma once
#include <string>
#include <string_view>

// Lock files for the ini writers and the single-instance lock, kept outside the folders they protect.
namespace port::detail {

// /tmp/qrv-locks-<uid>, created on first use and owned by this user; empty when it cannot be used, and then
// `why` (when given) says so with the folder and the reason.
std::string SharedLockFolder(std::string* why = nullptr);

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
  // The errno of the open or flock that failed; EWOULDBLOCK for a TryOnce lock that someone else holds.
  int Error() const { return error_; }
  // Hands the descriptor over; the lock then lasts until it is closed.
  int Release();

 private:
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace port::detail
