#include <clocale>
#include <fstream>
#include <string>

#include "RigUtilLibrary.h"
#include "port/ini.h"
#include "qrv_test/temp_dir.h"

namespace {

class RigUtilIniTest : public RigUtilTest {
 protected:
  void SetUp() override {
    RigUtilTest::SetUp();
    std::ofstream(path) << "[S]\nEmpty=\nWord=abc\nPrefix=42abc\nNegative=-7\nFloat=2.5\nLong="
                        << std::string(600, 'x') << "\n";
  }
  qrv::test::TempDir dir;
  const std::string path = dir.File("rules.ini");
};

struct IntCase {
  const char* key;
  int defaultValue;
  int expected;
};

TEST_F(RigUtilIniTest, IntReadsDefaultOnlyForAMissingKey) {
  const IntCase cases[] = {
      {"Missing", 5, 5}, {"Empty", 5, 0}, {"Word", 5, 0}, {"Prefix", 5, 42}, {"Negative", 5, -7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib.IniRead_Int("S", c.key, c.defaultValue, path.c_str()), c.expected) << c.key;
  }
  EXPECT_EQ(lib.IniRead_Int("S", "Prefix", 5, dir.File("absent.ini").c_str()), 5);
  EXPECT_EQ(lib.IniRead_Int("Other", "Prefix", 5, path.c_str()), 5);
}

TEST_F(RigUtilIniTest, FloatDefaultGoesThroughItsText) {
  EXPECT_FLOAT_EQ(lib.IniRead_Float("S", "Missing", 2.8f, path.c_str()), 2.8f);
  EXPECT_DOUBLE_EQ(lib.IniRead_Double("S", "Missing", 2.8, path.c_str()), 2.8);
  EXPECT_FLOAT_EQ(lib.IniRead_Float("S", "Empty", 2.8f, path.c_str()), 0.0f);
  EXPECT_DOUBLE_EQ(lib.IniRead_Double("S", "Float", 9.0, path.c_str()), 2.5);
}

TEST_F(RigUtilIniTest, TypedWritesUseSixDecimals) {
  ASSERT_EQ(lib.IniWrite_Float("W", "F", 2.8f, path.c_str()), 1);
  ASSERT_EQ(lib.IniWrite_Double("W", "D", 0.125, path.c_str()), 1);
  ASSERT_EQ(lib.IniWrite_Int("W", "I", -12, path.c_str()), 1);
  EXPECT_EQ(port::ini::ReadString(path, "W", "F", ""), "2.800000");
  EXPECT_EQ(port::ini::ReadString(path, "W", "D", ""), "0.125000");
  EXPECT_EQ(port::ini::ReadString(path, "W", "I", ""), "-12");
  EXPECT_FLOAT_EQ(lib.IniRead_Float("W", "F", 0.0f, path.c_str()), 2.8f);
}

// A station whose user runs a decimal-comma locale still stores and reads "2.800000".
TEST_F(RigUtilIniTest, NumbersIgnoreTheProcessLocale) {
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!german) GTEST_SKIP() << "no de_DE locale on this machine";
  ASSERT_EQ(lib.IniWrite_Float("W", "F", 2.8f, path.c_str()), 1);
  const std::string stored = port::ini::ReadString(path, "W", "F", "");
  const float read = lib.IniRead_Float("S", "Float", 0.0f, path.c_str());
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(stored, "2.800000");
  EXPECT_FLOAT_EQ(read, 2.5f);
}

TEST_F(RigUtilIniTest, StringIsCutAt511Characters) {
  EXPECT_EQ(lib.IniRead_String("S", "Long", "", path.c_str()), std::string(511, 'x'));
  EXPECT_EQ(lib.IniRead_String("S", "Missing", "fallback", path.c_str()), "fallback");
  EXPECT_EQ(lib.IniRead_String("S", "Empty", "fallback", path.c_str()), "");
}

TEST_F(RigUtilIniTest, NullValueDeletesKeyAndNullKeyDeletesSection) {
  ASSERT_EQ(lib.IniWrite_String("S", "Word", nullptr, path.c_str()), 1);
  EXPECT_EQ(lib.IniRead_String("S", "Word", "gone", path.c_str()), "gone");
  EXPECT_EQ(lib.IniRead_Int("S", "Prefix", 5, path.c_str()), 42);
  ASSERT_EQ(lib.IniWrite_String("S", nullptr, nullptr, path.c_str()), 1);
  EXPECT_EQ(lib.IniRead_Int("S", "Prefix", 5, path.c_str()), 5);
}

TEST_F(RigUtilIniTest, StoredWindowsPathIsOpened) {
  std::ofstream(dir.File("Model.ini")) << "[A]\nk=7\n";
  const std::string windowsStyle = dir.path() + "\\model.INI";
  EXPECT_EQ(lib.IniRead_Int("a", "K", 0, windowsStyle.c_str()), 7);
}

}  // namespace
