#include "port/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "lock_file.h"

namespace port {
namespace {

// The session's runtime folder when there is one, so separate sessions (and test runs) stay apart.
std::string InstanceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    const std::string folder = std::string(runtime) + "/qrv-instance";
    ::mkdir(folder.c_str(), 0700);
    return folder;
  }
  return detail::SharedLockFolder();
}

// Readable for whoever looks at the folder, unique through the hash.
std::string LockName(const std::string& name) {
  std::string readable;
  for (const char c : name.substr(0, 64)) readable += (c == '/' || c == '\\' || c == ':') ? '_' : c;
  return readable + "-" + detail::HashName(name) + ".lock";
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& instanceName) {
  const std::string folder = InstanceFolder();
  if (folder.empty()) return;
  detail::FileLock lock(folder + "/" + LockName(instanceName), detail::FileLock::Mode::TryOnce);
  fd_ = lock.Release();
}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace port
