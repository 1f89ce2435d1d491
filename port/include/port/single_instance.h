#pragma once
#include <string>

#include "port/export.h"

namespace port {

// An exclusive flock on a lock file named from the program folder, held for the object's life.
class PORT_API SingleInstanceLock {
 public:
  explicit SingleInstanceLock(const std::string& instanceName);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  bool Acquired() const { return fd_ >= 0; }
  // Not acquired because another process holds the same name.
  bool HeldElsewhere() const { return !Acquired() && error_.empty(); }
  // Not acquired because the lock file could not be made or locked: its path and the system's reason.
  const std::string& Error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace port
