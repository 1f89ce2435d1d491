// A run given scratch space of its own through TMPDIR keeps its temporary folders there.
#include "qrv_test/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "qrv_test/scoped_env.h"

namespace {

namespace fs = std::filesystem;

TEST(TempDirTest, IsMadeUnderTmpdir) {
  const qrv::test::TempDir scratch;
  const qrv::test::ScopedEnv tmpdir("TMPDIR", scratch.path() + "/");
  const qrv::test::TempDir dir;
  EXPECT_EQ(fs::path(dir.path()).parent_path(), fs::path(scratch.path()));
  EXPECT_TRUE(fs::is_directory(dir.path()));
}

}  // namespace
