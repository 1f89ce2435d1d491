#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ProgramFolder.h"
#include "Util.h"
#include "port/clock.h"
#include "port/taskbar.h"
#include "qrv_test/scoped_env.h"
#include "qrv_test/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// 'd' stands for any decimal digit, every other character for itself.
bool MatchesShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool ok = shape[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
    if (!ok) return false;
  }
  return true;
}

class UtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramFolder::SetRoot(root.path());
    fs::create_directories(root.File("Ref/A1"));
    std::ofstream(root.File("Ref/A1/Config.ini"))
        << "[SITE]\nsite=3\nword=abc\nempty=\n[LOG]\nLineName=" << std::string(300, 'L') << "\n";
  }
  void TearDown() override { ProgramFolder::SetRoot({}); }
  qrv::test::TempDir root;
  // A registry of the test's own, so a value an earlier test (or an earlier repeat) wrote is not found.
  qrv::test::ScopedEnv registry{"QRV_REGISTRY_DIR", root.File("registry")};
};

TEST_F(UtilTest, RelativeIniPathsAreJoinedToTheProgramFolder) {
  EXPECT_EQ(ReadIniInt("SITE", "site", 1, "Ref\\A1\\Config.ini"), 3);
  EXPECT_EQ(ReadIniInt("SITE", "missing", 3, "Ref/A1/Config.ini"), 3);
  EXPECT_EQ(ReadIniInt("SITE", "empty", 3, "Ref/A1/Config.ini"), 0);
  EXPECT_EQ(ReadIniInt("SITE", "word", 3, "Ref/A1/Config.ini"), 0);
  EXPECT_EQ(ReadIniText("SITE", "missing", -1, "Ref/A1/Config.ini"), "-1");
  EXPECT_EQ(ReadIniString("LOG", "LineName", "0", "Ref/A1/Config.ini"), std::string(259, 'L'));
  EXPECT_EQ(ReadIniStringAbs("SITE", "site", "", root.File("Ref/A1/Config.ini")), "3");
  EXPECT_EQ(ReadIniString("QRV_Equip", "Model_Name", "NULL", "Config/QRV_Config.ini"), "NULL");
}

TEST_F(UtilTest, WritesLandInTheProgramFolder) {
  ASSERT_NE(WriteIniInt("LOT_COUNT_0", "TOTAL", 12, "Ref\\A1\\Config.ini"), 0);
  ASSERT_NE(WriteIniString("LOT_NUMBER", "number", "L7", "Ref/A1/Config.ini"), 0);
  EXPECT_EQ(ReadIniInt("LOT_COUNT_0", "TOTAL", 0, "Ref/A1/Config.ini"), 12);
  EXPECT_EQ(ReadIniStringAbs("lot_number", "NUMBER", "", root.File("Ref/A1/Config.ini")), "L7");
}

TEST(UtilFieldsTest, ExtractFieldCountsSeparatorsFromZero) {
  struct Case {
    const char* text;
    int index;
    const char* expected;
  };
  const Case cases[] = {{"a,b,c", 0, "a"}, {"a,b,c", 2, "c"}, {"a,b,c", 3, ""}, {"a,,c", 1, ""},
                        {"", 0, ""},       {"1.10.20", 4, ""}, {"abc", 0, "abc"}, {"a,b", -1, ""}};
  for (const auto& c : cases) EXPECT_EQ(ExtractField(c.text, c.index, ','), c.expected) << c.text << " " << c.index;
}

TEST(UtilFieldsTest, GetKeyValueSkipsTheLeadingWordAndStopsAtAnEmptyField) {
  struct Case {
    const char* list;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"CMD,SITE=1,USB=2", "USB", "2"},  {"CMD,SITE=1,USB=2", "SITE", "1"}, {"CMD=9,SITE=1", "CMD", ""},
      {"CMD,SITE=1", "USB", ""},         {"CMD,,USB=2", "USB", ""},         {"CMD,A=1=2", "A", "1"},
      {"CMD,site=1", "SITE", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetKeyValue(c.list, c.key, ','), c.expected) << c.list << " " << c.key;
}

TEST(UtilFieldsTest, IsDigitStringAcceptsOnlyDecimalDigits) {
  EXPECT_EQ(IsDigitString(""), 1);
  EXPECT_EQ(IsDigitString("0123456789"), 1);
  EXPECT_EQ(IsDigitString("-1"), 0);
  EXPECT_EQ(IsDigitString("12a"), 0);
  EXPECT_EQ(IsDigitString(" 1"), 0);
}

TEST(UtilTimeTest, GetTimeTextWritesTheDateDownToTheLetter) {
  struct Case {
    char letter;
    int single;
    const char* pattern;
  };
  const Case cases[] = {{'Y', 0, "dddd"},          {'M', 0, "dddddd"},         {'D', 0, "dddddddd"},
                        {'H', 0, "dddddddd_dd"},   {'B', 0, "dddddddd_dddd"},  {'S', 0, "dddddddd_dddddd"},
                        {'Y', 1, "dddd"},          {'D', 1, "dd"},             {'S', 1, "dd"}};
  for (const auto& c : cases) {
    char buffer[32] = {};
    GetTimeText(c.letter, buffer, c.single);
    EXPECT_TRUE(MatchesShape(buffer, c.pattern)) << c.letter << c.single << " gave " << buffer;
  }
  const port::clock::LocalTime now = port::clock::NowLocal();
  char year[8] = {};
  GetTimeText('Y', year, 1);
  EXPECT_EQ(std::atoi(year), now.year);
  char untouched[8] = "keep";
  GetTimeText('X', untouched, 0);
  EXPECT_STREQ(untouched, "keep");
}

TEST_F(UtilTest, RegistryHelpersCreateTheKeyAndKeepTheDefaultRules) {
  using port::registry::Root;
  EXPECT_EQ(RegReadInt(Root::CurrentUser, "Software\\QRV\\Platform\\SYSTEM\\", "LoginByPass", 4u), 4u);
  ASSERT_EQ(RegWriteInt(Root::CurrentUser, "Software\\QRV\\Platform\\SYSTEM\\", "LoginByPass", 1u), 1);
  EXPECT_EQ(RegReadInt(Root::CurrentUser, "Software\\QRV\\Platform\\SYSTEM\\", "LoginByPass", 4u), 1u);
  char text[16] = {};
  EXPECT_EQ(RegReadString(Root::CurrentUser, "Software\\QRV\\Platform\\LOGIN\\", "EngineerPassword", "", text,
                          sizeof text),
            0);
  ASSERT_EQ(RegWriteString(Root::CurrentUser, "Software\\QRV\\Platform\\LOGIN\\", "EngineerPassword", "pw"), 1);
  EXPECT_EQ(RegReadString(Root::CurrentUser, "Software\\QRV\\Platform\\LOGIN\\", "EngineerPassword", "", text,
                          sizeof text),
            1);
  EXPECT_STREQ(text, "pw");
}

TEST_F(UtilTest, FoldersAndPathTests) {
  const std::string folder = root.File("Log/ListLog/2025");
  EXPECT_EQ(CreateFolder(folder), 1);
  EXPECT_EQ(CreateFolder(folder), 0);
  std::ofstream(folder + "/a.txt") << "x";
  EXPECT_NE(PathExists(folder + "/*.txt"), 0);
  EXPECT_EQ(PathExists(folder + "/*.bmp"), 0);
  EXPECT_NE(PathExists(folder), 0);
  const std::string list = folder + '\0' + '\0';
  const std::string destination = root.File("Copy") + '\0' + '\0';
  EXPECT_EQ(CopyFolder(list.c_str(), destination.c_str()), 0);
  EXPECT_NE(PathExists(root.File("Copy/a.txt")), 0);
  EXPECT_EQ(RemoveFolder(root.File("Copy"), 1), 1);
  EXPECT_EQ(PathExists(root.File("Copy")), 0);
}

TEST_F(UtilTest, VersionStringsFollowTheLibraryRule) {
  EXPECT_EQ(GetVersionInfoString(QRV_RIGUTIL_LIBRARY, "FileDescription"), "RigUtil");
  EXPECT_EQ(GetVersionInfoString(QRV_RIGUTIL_LIBRARY, "ItemName"), "(null)");
  EXPECT_EQ(GetVersionInfoString(root.File("absent.dll"), "FileVersion"), "");
  EXPECT_EQ(FormatCString("%s_%03d", "A", 7), "A_007");
}

TEST(UtilTaskbarTest, TaskBarStatesAreSetNotAdded) {
  SetTaskbarAutoHide();
  EXPECT_EQ(port::taskbar::CurrentState(), port::taskbar::State::AutoHide);
  SetTaskbarAlwaysOnTop();
  EXPECT_EQ(port::taskbar::CurrentState(), port::taskbar::State::AlwaysOnTop);
}

}  // namespace
