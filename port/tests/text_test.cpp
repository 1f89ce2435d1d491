#include <gtest/gtest.h>

#include "port/text.h"

namespace {

TEST(TextTest, Utf8RoundTrip) {
  const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // a, e-acute, a CJK sign, an emoji
  const std::u16string wide = port::Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"a\u00E9\u65E5\U0001F600");
  EXPECT_EQ(port::Utf16ToUtf8(wide), text);
}

TEST(TextTest, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(port::Utf8ToUtf16("\xC3"), u"\uFFFD");                   // cut sequence
  EXPECT_EQ(port::Utf8ToUtf16("\xC0\xAFx"), u"\uFFFD\uFFFDx");       // overlong
  EXPECT_EQ(port::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(port::Utf8ToUtf16("\xF4\x90\x80\x80").size(), 4u);       // above U+10FFFF
  EXPECT_EQ(port::Utf16ToUtf8(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(port::Utf16ToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

TEST(TextTest, CopyTextIsBoundedAndTerminated) {
  char field[5];
  port::CopyText(field, "abcdefgh");
  EXPECT_STREQ(field, "abcd");
  port::CopyText(field, "ab");
  EXPECT_STREQ(field, "ab");
  char one[1] = {'x'};
  port::CopyText(one, "abc");
  EXPECT_EQ(one[0], '\0');
  port::CopyText(nullptr, 0, "abc");
}

TEST(TextTest, FormatAndCase) {
  EXPECT_EQ(port::Format("%s,%d,%s", "Item.dll", 1, "3"), "Item.dll,1,3");
  EXPECT_EQ(port::Format("%s", std::string(1000, 'x').c_str()).size(), 1000u);
  EXPECT_EQ(port::Format("%s", ""), "");
  EXPECT_TRUE(port::EqualsNoCase("FileVersion", "FILEVERSION"));
  EXPECT_FALSE(port::EqualsNoCase("File", "Files"));
}

}  // namespace
