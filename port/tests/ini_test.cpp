#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "port/ini.h"
#include "qrv_test/file_text.h"
#include "qrv_test/temp_dir.h"

namespace {

using qrv::test::ReadFile;
using qrv::test::WriteFile;

const std::string kModel =
    "; model settings\n"
    "[Sensor]\n"
    "Width = 1920 \n"
    "width=640\n"
    "Name=\"  quoted  \"\n"
    "Half=\"open\n"
    "Empty=\n"
    "garbage line\n"
    "\n"
    "[sensor]\n"
    "Height=1080\n"
    "[Other]\n"
    "Key=other\n";

struct ReadCase {
  const char* name;
  const char* section;
  const char* key;
  const char* expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsAsPrivateProfile) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Model.ini");
  WriteFile(path, kModel);
  const ReadCase& c = GetParam();
  EXPECT_EQ(port::ini::ReadString(path, c.section, c.key, "dflt"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniReadTest,
    ::testing::Values(ReadCase{"TrimmedValue", "Sensor", "Width", "1920"},
                      ReadCase{"CaseInsensitive", "SENSOR", "WIDTH", "1920"},
                      ReadCase{"MissingKey", "Sensor", "Depth", "dflt"},
                      ReadCase{"MissingSection", "Nothing", "Width", "dflt"},
                      ReadCase{"FirstSectionWins", "Sensor", "Height", "dflt"},
                      ReadCase{"QuotesRemoved", "Sensor", "Name", "  quoted  "},
                      ReadCase{"UnmatchedQuoteKept", "Sensor", "Half", "\"open"},
                      ReadCase{"EmptyValueIsNotDefault", "Sensor", "Empty", ""},
                      ReadCase{"UnknownLineIsNoKey", "Sensor", "garbage line", "dflt"},
                      ReadCase{"CommentIsNoSection", "; model settings", "x", "dflt"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniTest, MissingFileGivesDefault) {
  const qrv::test::TempDir dir;
  EXPECT_EQ(port::ini::ReadString(dir.File("none.ini"), "A", "B", "fallback"), "fallback");
  EXPECT_TRUE(port::ini::ReadSections(dir.File("none.ini")).empty());
}

TEST(IniTest, ValuesAndDefaultsAreCutAt511Characters) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("long.ini");
  const std::string longText(600, 'x');
  ASSERT_TRUE(port::ini::WriteString(path, "S", "K", longText.c_str()));
  EXPECT_EQ(port::ini::ReadString(path, "S", "K", ""), std::string(511, 'x'));
  EXPECT_EQ(port::ini::ReadString(path, "S", "missing", longText), std::string(511, 'x'));
}

// One write after another, each checked against the whole file, so order and comments are seen to survive.
TEST(IniTest, WritesKeepEverythingElseVerbatim) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Model.ini");
  WriteFile(path, kModel);

  ASSERT_TRUE(port::ini::WriteString(path, "SENSOR", "WIDTH", "800"));
  ASSERT_TRUE(port::ini::WriteString(path, "Sensor", "Depth", "8"));
  ASSERT_TRUE(port::ini::WriteString(path, "New", "Key", "v"));
  ASSERT_TRUE(port::ini::WriteString(path, "Sensor", "Empty", nullptr));
  ASSERT_TRUE(port::ini::WriteString(path, "other", nullptr, nullptr));
  EXPECT_EQ(ReadFile(path),
            "; model settings\n"
            "[Sensor]\n"
            "Width=800\n"
            "width=640\n"
            "Name=\"  quoted  \"\n"
            "Half=\"open\n"
            "garbage line\n"
            "Depth=8\n"
            "\n"
            "[sensor]\n"
            "Height=1080\n"
            "[New]\n"
            "Key=v\n");
}

TEST(IniTest, NullValueDeletesEveryCopyOfTheKey) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Model.ini");
  WriteFile(path, kModel);
  ASSERT_TRUE(port::ini::WriteString(path, "Sensor", "width", nullptr));
  EXPECT_EQ(port::ini::ReadString(path, "Sensor", "Width", "gone"), "gone");
  EXPECT_EQ(port::ini::ReadKeys(path, "Sensor"), (std::vector<std::string>{"Name", "Half", "Empty"}));
}

ino_t Inode(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_ino;
}

// A write replaces the file with a new one; a write that leaves the text as it is replaces nothing, and several
// keys of a section go in one replacement.
TEST(IniTest, OnlyAWriteThatChangesTheTextReplacesTheFile) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("Config.ini");
  WriteFile(path, "[LOT_COUNT_0]\nTOTAL=3\nPASS=2\n");
  const ino_t original = Inode(path);
  ASSERT_TRUE(port::ini::WriteString(path, "lot_count_0", "total", "3"));
  ASSERT_TRUE(port::ini::WriteStrings(path, "LOT_COUNT_0", {{"PASS", "2"}}));
  EXPECT_EQ(Inode(path), original);

  ASSERT_TRUE(port::ini::WriteStrings(path, "LOT_COUNT_0", {{"TOTAL", "4"}, {"PASS", "3"}, {"YIELD", "75%"}}));
  EXPECT_NE(Inode(path), original);
  EXPECT_EQ(ReadFile(path), "[LOT_COUNT_0]\nTOTAL=4\nPASS=3\nYIELD=75%\n");

  EXPECT_FALSE(port::ini::WriteStrings(path, "LOT_COUNT_0", {{"FAIL", "1"}, {"", "x"}}));
  EXPECT_FALSE(port::ini::WriteStrings(path, "LOT_COUNT_0", {}));
  EXPECT_EQ(port::ini::ReadString(path, "LOT_COUNT_0", "FAIL", "none"), "none") << "a refused batch writes no key";
}

TEST(IniTest, WriteCreatesTheFileButNotItsFolder) {
  const qrv::test::TempDir dir;
  EXPECT_TRUE(port::ini::WriteString(dir.File("new.ini"), "A", "B", "C"));
  EXPECT_EQ(ReadFile(dir.File("new.ini")), "[A]\nB=C\n");
  EXPECT_FALSE(port::ini::WriteString(dir.File("no/such/folder.ini"), "A", "B", "C"));
  EXPECT_TRUE(port::ini::WriteString(dir.File("absent.ini"), "A", nullptr, nullptr));
  EXPECT_FALSE(std::filesystem::exists(dir.File("absent.ini")));
}

TEST(IniTest, CrlfFileStaysCrlfAndKeepsItsMode) {
  const qrv::test::TempDir dir;
  const std::string path = dir.File("crlf.ini");
  WriteFile(path, "[A]\r\nx=1\r\n");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(port::ini::WriteString(path, "a", "y", "2"));
  EXPECT_EQ(ReadFile(path), "[A]\r\nx=1\r\ny=2\r\n");
  EXPECT_EQ(port::ini::ReadString(path, "A", "x", ""), "1");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(IniTest, WriteThroughSymlinkUpdatesTheTarget) {
  const qrv::test::TempDir dir;
  WriteFile(dir.File("real.ini"), "[A]\nx=1\n");
  std::filesystem::create_symlink(dir.File("real.ini"), dir.File("link.ini"));
  ASSERT_TRUE(port::ini::WriteString(dir.File("link.ini"), "A", "x", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
  EXPECT_EQ(port::ini::ReadString(dir.File("real.ini"), "A", "x", ""), "2");
}

TEST(IniTest, GarbledInputParses) {
  const std::string garbled = std::string("[A\0B]\nk\0=v\0x\n", 14) + std::string(100000, 'z') + "\n[=]\n=\n[]\nq=1";
  const auto doc = port::ini::Document::Parse(garbled);
  const auto again = port::ini::Document::Parse(doc.Serialize());
  EXPECT_EQ(doc.Serialize(), again.Serialize());
  ASSERT_NE(doc.Find("", "q"), nullptr);
  EXPECT_EQ(*doc.Find("", "q"), "1");
}

TEST(IniTest, ValuesCannotInjectLines) {
  port::ini::Document doc;
  doc.Set("A", "k", "one\n[B]\nx=1");
  EXPECT_EQ(doc.Serialize(), "[A]\nk=one\n");
}

}  // namespace
