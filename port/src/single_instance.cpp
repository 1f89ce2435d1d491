#include "port/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "lock_file.h"

namespace port {
namespace {

// The session's runtime folder when there is one, so separate sessions (and test runs) stay apart; empty
// with the reason in `why` when the folder cannot be made.
std::string InstanceFolder(std::string& why) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return detail::SharedLockFolder(&why);
  const std::string folder = std::string(runtime) + "/qrv-instance";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = "Cannot create the single-instance lock folder " + folder + ": " + std::strerror(errno);
    return {};
  }
  return folder;
}

// Readable for whoever looks at the folder, unique through the hash.
std::string LockName(const std::string& name) {
  std::string readable;
  for (const char c : name.substr(0, 64)) readable += (c == '/' || c == '\\' || c == ':') ? '_' : c;
  return readable + "-" + detail::HashName(name) + ".lock";
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& instanceName) {
  const std::string folder = InstanceFolder(error_);
  if (folder.empty()) return;
  const std::string path = folder + "/" + LockName(instanceName);
  detail::FileLock lock(path, detail::FileLock::Mode::TryOnce);
  if (!lock.Held() && lock.Error() != EWOULDBLOCK)
    error_ = "Cannot create the single-instance lock " + path + ": " + std::strerror(lock.Error());
  fd_ = lock.Release();
}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace port
