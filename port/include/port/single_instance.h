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

  // False when another process holds the same name.
  bool Acquired() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace port
