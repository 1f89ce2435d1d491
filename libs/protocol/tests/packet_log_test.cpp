#include "packet_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace protocol {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::string> lines;
  std::string all = text.str();
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find("\r\n", at);
    if (end == std::string::npos) break;
    lines.push_back(all.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

class PacketLogFiles : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("packet_log_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(PacketLogFiles, OneFilePerServerAndDayInItsMonthFolder) {
  PacketLog log(root_.string(), 'B');
  ASSERT_TRUE(log.WriteAt({2023, 12, 8, 23, 59, 59, 999}, "$HBN00001RRET@RET=1"));
  ASSERT_TRUE(log.WriteAt({2023, 12, 9, 0, 0, 0, 1}, "next day"));
  ASSERT_TRUE(log.WriteAt({2024, 1, 1, 7, 5, 3, 42}, "next month"));
  const fs::path dec = root_ / "Log" / "ProtocolPacket" / "2023" / "12";
  EXPECT_EQ(Lines(dec / "PacketLog_2023_12_08_B.txt"),
            std::vector<std::string>{"[2023/12/08 23:59:59:999] $HBN00001RRET@RET=1"});
  EXPECT_EQ(Lines(dec / "PacketLog_2023_12_09_B.txt"), std::vector<std::string>{"[2023/12/09 00:00:00:001] next day"});
  EXPECT_EQ(Lines(root_ / "Log" / "ProtocolPacket" / "2024" / "01" / "PacketLog_2024_01_01_B.txt"),
            std::vector<std::string>{"[2024/01/01 07:05:03:042] next month"});
  // Appended, never truncated.
  ASSERT_TRUE(log.WriteAt({2023, 12, 8, 1, 0, 0, 0}, "again"));
  EXPECT_EQ(Lines(dec / "PacketLog_2023_12_08_B.txt").size(), 2u);
}

TEST(EscapeControlBytes, KeepsOnePacketOnOneLine) {
  struct Case {
    std::string text, escaped;
  };
  const std::vector<Case> cases = {
      {"$THC00001KSOT@Site=0", "$THC00001KSOT@Site=0"},
      {"$THC00001MLOT@LOT=a\r\nb", "$THC00001MLOT@LOT=a\\r\\nb"},
      {std::string("x\0y", 3), "x\\x00y"},
      {"tab\there\x7f\x1b", "tab\\there\\x7F\\x1B"},
      {"back\\slash", "back\\\\slash"},
      {"\xc3\xa9", "\xc3\xa9"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeControlBytes(c.text), c.escaped) << c.escaped;
}

// A folder that cannot be made loses the line and nothing else; the next write that can goes in.
TEST_F(PacketLogFiles, AnUnwritableFolderLosesTheLineOnly) {
  const fs::path blocked = root_ / "file";
  std::ofstream(blocked) << "x";
  PacketLog log(blocked.string(), 'A');
  EXPECT_FALSE(log.WriteAt({2023, 12, 8, 0, 0, 0, 0}, "one"));
  fs::remove(blocked);
  fs::create_directories(blocked);
  EXPECT_TRUE(log.WriteAt({2023, 12, 8, 0, 0, 0, 2}, "three"));
  EXPECT_EQ(Lines(blocked / "Log" / "ProtocolPacket" / "2023" / "12" / "PacketLog_2023_12_08_A.txt"),
            std::vector<std::string>{"[2023/12/08 00:00:00:002] three"});
}

}  // namespace
}  // namespace protocol
