#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "port/single_instance.h"

namespace {

// The answer of a fresh process trying the lock.
bool OtherProcessAcquires(const std::string& name) {
  const pid_t child = ::fork();
  if (child == 0) {
    const port::SingleInstanceLock lock(name);
    ::_exit(lock.Acquired() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SingleInstanceTest, SecondProcessIsRefusedUntilRelease) {
  const std::string name = "/opt/station/QRVBase";
  {
    const port::SingleInstanceLock lock(name);
    ASSERT_TRUE(lock.Acquired());
    EXPECT_FALSE(OtherProcessAcquires(name));
    EXPECT_TRUE(OtherProcessAcquires("/opt/other/QRVBase"));
  }
  EXPECT_TRUE(OtherProcessAcquires(name));
}

}  // namespace
