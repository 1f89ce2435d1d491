#include <fstream>
#include <string>

#include "RigUtilLibrary.h"
#include "qrv_test/temp_dir.h"

namespace {

using RigUtilVersionTest = RigUtilTest;

// The probe aborts the process when any of its code runs, so a result proves the file was only read.
TEST_F(RigUtilVersionTest, ReadsStringsFromTheFileWithoutLoadingIt) {
  EXPECT_EQ(lib.UtilVersionInfo(QRV_VERSION_PROBE, "FileDescription"), "Version probe");
  EXPECT_EQ(lib.UtilVersionInfo(QRV_VERSION_PROBE, "FILEVERSION"), "3.2.1.0");
  EXPECT_EQ(lib.UtilVersionInfo(QRV_VERSION_PROBE, "ItemName"), "(null)");
  EXPECT_EQ(lib.UtilVersionInfo(QRV_RIGUTIL_LIBRARY, "FileDescription"), "RigUtil");
}

TEST_F(RigUtilVersionTest, MissingFileGivesEmptyTextAndPlainFileNull) {
  qrv::test::TempDir dir;
  EXPECT_EQ(lib.UtilVersionInfo(dir.File("absent.dll").c_str(), "FileVersion"), "");
  std::ofstream(dir.File("plain.dll")) << "no version block";
  EXPECT_EQ(lib.UtilVersionInfo(dir.File("plain.dll").c_str(), "FileVersion"), "(null)");
}

TEST_F(RigUtilVersionTest, ConversionCountsIncludeTheTerminator) {
  char16_t wide[16] = {};
  EXPECT_EQ(lib.MultiToWide("abc", wide), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(lib.MultiToWide("\xED\x95\x9C\xEA\xB8\x80", wide), 3);  // two Hangul syllables
  EXPECT_EQ(std::u16string(wide), u"\uD55C\uAE00");

  char narrow[16] = {};
  EXPECT_EQ(lib.WideToMulti(u"\uD55C\uAE00", narrow), 7);
  EXPECT_EQ(std::string(narrow), "\xED\x95\x9C\xEA\xB8\x80");
  EXPECT_EQ(lib.WideToMulti(u"", narrow), 1);
  EXPECT_EQ(lib.WideToMulti(nullptr, narrow), 0);
  EXPECT_EQ(lib.MultiToWide(nullptr, wide), 0);
}

// Towards UTF-16 a precomposed letter becomes its base letter and combining marks; text without one is unchanged.
TEST_F(RigUtilVersionTest, MultiToWideTakesPrecomposedLettersApart) {
  const struct {
    const char* narrow;
    std::u16string wide;
  } cases[] = {
      {"caf\xC3\xA9", u"cafe\u0301"},                 // é: e and the acute accent
      {"\xC3\x85", u"A\u030A"},                       // Å: A and the ring
      {"\xC7\x96", u"u\u0308\u0304"},                // ǖ: u, diaeresis, macron
      {"\xED\x95\x9C\xEA\xB8\x80", u"\uD55C\uAE00"},  // Hangul syllables stay whole
      {"a-Z 09", u"a-Z 09"},
  };
  for (const auto& c : cases) {
    char16_t wide[16] = {};
    EXPECT_EQ(lib.MultiToWide(c.narrow, wide), static_cast<int>(c.wide.size() + 1)) << c.narrow;
    EXPECT_EQ(std::u16string(wide), c.wide) << c.narrow;
  }
}

}  // namespace
