#include "packet_reassembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace protocol {
namespace {

struct StreamCase {
  const char* name;
  std::vector<std::string> blocks;
  std::vector<std::string> packets;
  std::vector<std::string> dropped;
  std::string carry;
};

class ReassemblerTable : public testing::TestWithParam<StreamCase> {};

TEST_P(ReassemblerTable, YieldsThePacketsOfTheStream) {
  const StreamCase& c = GetParam();
  PacketReassembler reassembler;
  std::vector<std::string> packets;
  std::vector<std::string> dropped;
  for (const auto& block : c.blocks) {
    auto result = reassembler.Feed(block);
    packets.insert(packets.end(), result.packets.begin(), result.packets.end());
    dropped.insert(dropped.end(), result.dropped.begin(), result.dropped.end());
  }
  EXPECT_EQ(packets, c.packets);
  EXPECT_EQ(dropped, c.dropped);
  EXPECT_EQ(reassembler.Carry(), c.carry);
}

const std::string kEot = "$THC00001KEOT\r";
const std::string kIot = "$THC00002IIOT\r";

INSTANTIATE_TEST_SUITE_P(
    Streams, ReassemblerTable,
    testing::Values(
        StreamCase{"whole", {kEot}, {kEot}, {}, ""},
        StreamCase{"split_after_dollar", {"$THC000", "01KEOT\r"}, {kEot}, {}, ""},
        StreamCase{"split_before_cr", {"$THC00001KEOT", "\r"}, {kEot}, {}, ""},
        StreamCase{"block_ends_with_dollar", {"$", "THC00001KEOT\r"}, {kEot}, {}, ""},
        StreamCase{"three_way_split", {"$TH", "C0000", "1KEOT\r"}, {kEot}, {}, ""},
        StreamCase{"merged", {kEot + kIot}, {kEot, kIot}, {}, ""},
        StreamCase{"whole_then_start_of_next", {kEot + "$THC0000", "2IIOT\r"}, {kEot, kIot}, {}, ""},
        StreamCase{"garbage_before", {"noise\r\n" + kEot}, {kEot}, {}, ""},
        StreamCase{"crlf_keeps_lf", {"$THC00001KEOT\r\n"}, {"$THC00001KEOT\r\n"}, {}, ""},
        StreamCase{"missing_end_then_good_in_same_block", {"$THC00001KEOT" + kIot}, {kIot}, {"$THC00001KEOT"}, ""},
        StreamCase{"missing_end_then_good_in_next_block", {"$THC00001KEOT", kIot + kEot}, {kIot, kEot},
                   {"$THC00001KEOT"}, ""},
        StreamCase{"missing_end_at_stream_end", {kEot + "$THC00002IIOT"}, {kEot}, {}, "THC00002IIOT"},
        StreamCase{"empty_packets", {"$$$" + kEot}, {kEot}, {}, ""},
        StreamCase{"carry_dollar_then_new_packet", {"$", kEot}, {kEot}, {}, ""},
        StreamCase{"oversized_without_end",
                   {"$" + std::string(kMaxPacket + 10, 'x')},
                   {"$" + std::string(kMaxPacket - 1, 'x') + std::string(11, 'x')},
                   {},
                   ""},
        StreamCase{"oversized_field_with_end",
                   {"$THC00001KSOT@BCD=" + std::string(50000, 'b') + "\r"},
                   {"$THC00001KSOT@BCD=" + std::string(50000, 'b') + "\r"},
                   {},
                   ""}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

TEST(PacketReassembler, ByteByByteYieldsTheSamePackets) {
  const std::string stream = "junk" + kEot + kIot + "$THC00003KPAU@PauseStatus=1\r";
  PacketReassembler reassembler;
  std::vector<std::string> packets;
  for (const char c : stream) {
    for (auto& p : reassembler.Feed(std::string(1, c)).packets) packets.push_back(p);
  }
  EXPECT_EQ(packets, (std::vector<std::string>{kEot, kIot, "$THC00003KPAU@PauseStatus=1\r"}));
}

}  // namespace
}  // namespace protocol
