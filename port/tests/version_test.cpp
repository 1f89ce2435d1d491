#include <gtest/gtest.h>

#include <random>

#include "port/module.h"
#include "port/version.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"

namespace {

using qrv::test::ReadFile;
using qrv::test::WriteFile;

TEST(VersionTest, ReadsStringsOfABuiltLibraryWithoutCase) {
  EXPECT_EQ(port::ReadVersionString(QRV_SIBLING_LIBRARY, "ItemName"), "Sample item");
  EXPECT_EQ(port::ReadVersionString(QRV_SIBLING_LIBRARY, "FILEVERSION"), "9.8.7.6");
  EXPECT_EQ(port::ReadVersionString(QRV_SIBLING_LIBRARY, "FileDescription"), "(null)");
}

TEST(VersionTest, ReadsTheRunningProgramsOwnBlock) {
  const std::string self = port::ProgramPath();
  EXPECT_EQ(port::ReadVersionString(self, "FileDescription"), "Version reader test");
  EXPECT_EQ(port::ReadVersionString(self, "fileversion"), "1.2.3.4");
}

TEST(VersionTest, MissingFileIsEmptyAndNonElfIsNull) {
  const qrv::test::TempDir dir;
  EXPECT_EQ(port::ReadVersionString(dir.File("absent.dll"), "FileVersion"), "");
  WriteFile(dir.File("text.dll"), "not an ELF file at all");
  EXPECT_EQ(port::ReadVersionString(dir.File("text.dll"), "FileVersion"), "(null)");
  WriteFile(dir.File("empty.dll"), "");
  EXPECT_EQ(port::ReadVersionString(dir.File("empty.dll"), "FileVersion"), "(null)");
  EXPECT_EQ(port::ReadVersionString(dir.path(), "FileVersion"), "(null)");
}

TEST(VersionTest, SectionParsingSkipsPaddingAndKeepsFirstKey) {
  using namespace std::string_view_literals;
  const auto pairs = port::ParseVersionSection("Key\0one\0\0\0\0KEY\0two\0Empty\0\0Cut\0va"sv);
  EXPECT_EQ(pairs, (std::map<std::string, std::string>{{"Key", "one"}, {"Empty", ""}}));
}

// Every cut of the file and a run of damaged copies: the reader must not crash or read past the end
// (the sanitizers watch), and an ELF without its section table gives "(null)".
TEST(VersionTest, TruncatedAndGarbledCopiesGiveNull) {
  const qrv::test::TempDir dir;
  const std::string image = ReadFile(QRV_SIBLING_LIBRARY);
  ASSERT_GT(image.size(), 1000u);
  const std::string copy = dir.File("copy.dll");
  for (std::size_t size : {std::size_t{0}, std::size_t{4}, std::size_t{63}, std::size_t{64}, image.size() / 2,
                           image.size() - 1}) {
    WriteFile(copy, std::string_view(image).substr(0, size));
    EXPECT_EQ(port::ReadVersionString(copy, "ItemName"), "(null)") << "cut at " << size;
  }
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    // The headers sit at the start, the section table at the end: damage both.
    std::string damaged = image.substr(0, image.size() - random() % 64);
    for (int flips = 0; flips < 4; ++flips) damaged[random() % 64] = static_cast<char>(random());
    for (int flips = 0; flips < 12; ++flips) damaged[damaged.size() - 1 - random() % 4096] = static_cast<char>(random());
    (void)port::FindElfSection(damaged, ".qrv_version");
  }
}

}  // namespace
