#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "port/path.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct NormalizeCase {
  const char* stored;
  const char* expected;
};

void PrintTo(const NormalizeCase& c, std::ostream* os) { *os << '"' << c.stored << '"'; }

class NormalizePathTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizePathTest, MapsStoredPaths) {
  const qrv::test::ScopedEnv root("QRV_DRIVE_ROOT", "/drives");
  EXPECT_EQ(port::NormalizePath(GetParam().stored), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, NormalizePathTest,
                         ::testing::Values(NormalizeCase{"d:\\a\\b", "/drives/d/a/b"},
                                           NormalizeCase{"D:\\Image capture\\x.bmp", "/drives/d/Image capture/x.bmp"},
                                           NormalizeCase{"c:", "/drives/c"}, NormalizeCase{"e:/x", "/drives/e/x"},
                                           NormalizeCase{"Ref\\Model\\Config.ini", "Ref/Model/Config.ini"},
                                           NormalizeCase{"/abs/path", "/abs/path"}, NormalizeCase{"", ""},
                                           NormalizeCase{"1:\\x", "1:/x"}));

TEST(PathTest, DriveRootDefaultsToTheProgramFolder) {
  const qrv::test::ScopedEnv root("QRV_DRIVE_ROOT", std::nullopt);
  const std::string expected = fs::read_symlink("/proc/self/exe").parent_path().string() + "/Drives/d/x";
  EXPECT_EQ(port::NormalizePath("d:\\x"), expected);
}

TEST(PathTest, JoinPath) {
  EXPECT_EQ(port::JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(port::JoinPath("/a/", "/b"), "/a/b");
  EXPECT_EQ(port::JoinPath("", "b"), "b");
  EXPECT_EQ(port::JoinPath("/a", ""), "/a");
}

TEST(PathTest, ResolvePathCaseTakesTheOneMatchPerLevel) {
  const qrv::test::TempDir dir;
  fs::create_directories(dir.File("Ref/Init_Model"));
  std::ofstream(dir.File("Ref/Init_Model/Config.ini")) << "x";
  fs::create_directories(dir.File("Twin/ab"));
  fs::create_directories(dir.File("Twin/AB"));

  EXPECT_EQ(port::ResolvePathCase(dir.File("REF/init_model/config.INI")), dir.File("Ref/Init_Model/Config.ini"));
  EXPECT_EQ(port::ResolvePathCase(dir.File("Ref/Init_Model/Config.ini")), dir.File("Ref/Init_Model/Config.ini"));
  EXPECT_EQ(port::ResolvePathCase(dir.File("ref/missing.ini")), dir.File("ref/missing.ini"));
  EXPECT_EQ(port::ResolvePathCase(dir.File("TWIN/ab")), dir.File("Twin/ab")) << "an exact entry needs no guess";
  EXPECT_EQ(port::ResolvePathCase(dir.File("twin/Ab")), dir.File("twin/Ab")) << "two matches: unchanged";
}

TEST(PathTest, MoveToTrashKeepsBothOfTwoEqualNames) {
  const qrv::test::TempDir dir;
  const fs::path trash = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash";
  fs::create_directories(dir.File("one/Log folder/sub"));
  std::ofstream(dir.File("one/Log folder/sub/f.txt")) << "first";
  fs::create_directories(dir.File("two/Log folder"));
  std::ofstream(dir.File("two/Log folder/g.txt")) << "second";

  ASSERT_TRUE(port::MoveToTrash(dir.File("one/Log folder")));
  ASSERT_TRUE(port::MoveToTrash(dir.File("two/Log folder/")));
  EXPECT_FALSE(fs::exists(dir.File("one/Log folder")));
  EXPECT_FALSE(fs::exists(dir.File("two/Log folder")));
  EXPECT_TRUE(fs::exists(trash / "files/Log folder/sub/f.txt"));
  EXPECT_TRUE(fs::exists(trash / "files/Log folder.1/g.txt"));

  std::ifstream info(trash / "info/Log folder.trashinfo");
  std::string header, pathLine;
  std::getline(info, header);
  std::getline(info, pathLine);
  EXPECT_EQ(header, "[Trash Info]");
  EXPECT_EQ(pathLine, "Path=" + dir.File("one/Log%20folder"));
  EXPECT_FALSE(port::MoveToTrash(dir.File("absent")));
}

}  // namespace
