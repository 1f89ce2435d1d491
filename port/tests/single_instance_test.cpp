#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "port/single_instance.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace {

enum Answer { kAcquired, kHeldElsewhere, kFailed };

// The answer of a fresh process trying the lock.
int OtherProcessTries(const std::string& name) {
  const pid_t child = ::fork();
  if (child == 0) {
    const port::SingleInstanceLock lock(name);
    ::_exit(lock.Acquired() ? kAcquired : lock.HeldElsewhere() ? kHeldElsewhere : kFailed);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstanceTest, SecondProcessIsRefusedUntilRelease) {
  const std::string name = "/opt/station/QRVBase";
  {
    const port::SingleInstanceLock lock(name);
    ASSERT_TRUE(lock.Acquired());
    EXPECT_TRUE(lock.Error().empty());
    EXPECT_EQ(OtherProcessTries(name), kHeldElsewhere);
    EXPECT_EQ(OtherProcessTries("/opt/other/QRVBase"), kAcquired);
  }
  EXPECT_EQ(OtherProcessTries(name), kAcquired);
}

// A runtime folder in which no lock file can be made is no second copy: the lock says where and why.
TEST(SingleInstanceTest, ALockFileThatCannotBeMadeIsAFailureWithItsPathAndReason) {
  struct Case {
    const char* runtime;  // XDG_RUNTIME_DIR inside the test's folder
    const char* file;     // made as a plain file there first, or ""
    const char* where;    // the path the error names
    int error;
  };
  const Case cases[] = {
      {"missing/run", "", "missing/run/qrv-instance", ENOENT},
      {"plain", "plain", "plain/qrv-instance", ENOTDIR},
      {"run", "run/qrv-instance", "run/qrv-instance/", ENOTDIR},
  };
  for (const Case& c : cases) {
    const qrv::test::TempDir dir;
    if (*c.file) {
      std::filesystem::create_directories(std::filesystem::path(dir.File(c.file)).parent_path());
      std::ofstream(dir.File(c.file)) << "not a folder";
    }
    const qrv::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.File(c.runtime));
    const port::SingleInstanceLock lock("/opt/station/QRVBase");
    EXPECT_FALSE(lock.Acquired()) << c.runtime;
    EXPECT_FALSE(lock.HeldElsewhere()) << c.runtime;
    EXPECT_NE(lock.Error().find(dir.File(c.where)), std::string::npos) << lock.Error();
    EXPECT_NE(lock.Error().find(std::strerror(c.error)), std::string::npos) << lock.Error();
  }
}

}  // namespace
