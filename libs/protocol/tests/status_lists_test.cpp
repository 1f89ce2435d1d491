#include "status_lists.h"

#include <gtest/gtest.h>

namespace protocol {
namespace {

TEST(StatusLists, AListPastItsCapStartsAgainWithTheNewLine) {
  StatusLists lists;
  int changes = 0;
  lists.SetChanged([&] { ++changes; });
  for (std::size_t i = 0; i <= StatusLists::kCap; ++i) lists.Append(1, "line");
  EXPECT_EQ(lists.Lines(1).size(), StatusLists::kCap + 1);
  lists.Append(1, "next");
  EXPECT_EQ(lists.Lines(1), std::deque<std::string>{"next"});
  EXPECT_TRUE(lists.Lines(0).empty());
  lists.Append(4, "no such list");
  lists.Append(-1, "no such list");
  lists.Clear();
  EXPECT_TRUE(lists.Lines(1).empty());
  EXPECT_EQ(changes, static_cast<int>(StatusLists::kCap) + 3);
}

}  // namespace
}  // namespace protocol
