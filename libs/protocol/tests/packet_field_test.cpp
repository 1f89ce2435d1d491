#include <gtest/gtest.h>

#include "protocol_packet.h"

namespace protocol {
namespace {

struct FieldCase {
  const char* fields;
  const char* key;
  const char* value;
};

class PacketFieldTable : public testing::TestWithParam<FieldCase> {};

TEST_P(PacketFieldTable, ReadsTheValue) {
  EXPECT_EQ(GetPacketField(GetParam().fields, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Fields, PacketFieldTable,
                         testing::Values(FieldCase{"@Site=1@Usb=2", "Usb", "2"},
                                         FieldCase{"@Site=1@Usb=2", "Para", "0"},
                                         FieldCase{"@Site=1@@Usb=2", "Usb", "0"},
                                         FieldCase{"@A=1=2@B=3", "A", "1"},
                                         FieldCase{"@A=1@A=2", "A", "1"},
                                         FieldCase{"@site=1", "Site", "0"},
                                         FieldCase{"@BCD=", "BCD", ""},
                                         FieldCase{"@FLAG", "FLAG", ""},
                                         FieldCase{"", "X", "0"},
                                         FieldCase{"$THC00001KSOT@Site=3\r", "Site", "3\r"}));

// Every field in order, split as a single field is, up to the first empty one.
TEST(GetPacketFields, ListsTheFieldsInOrder) {
  const auto fields = GetPacketFields("x@LOT=L1@EMPTY=@FLAG@A=1=2@@AFTER=9");
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0].name, "LOT");
  EXPECT_EQ(fields[0].value, "L1");
  EXPECT_EQ(fields[1].value, "");
  EXPECT_EQ(fields[2].name, "FLAG");
  EXPECT_EQ(fields[3].value, "1");
  EXPECT_TRUE(GetPacketFields("").empty());
}

TEST(SplitList, TakesItemsByPosition) {
  EXPECT_EQ(SplitList("A,B,"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(SplitList("1,,3"), (std::vector<std::string>{"1", "", "3"}));
  EXPECT_EQ(SplitList("0"), std::vector<std::string>{"0"});
  EXPECT_TRUE(SplitList("").empty());
}

TEST(ProtocolPacket, SplitsTheHeader) {
  const ProtocolPacket packet("$HAC00007IIOT@RET=000");
  EXPECT_EQ(packet.Type(), 'C');
  EXPECT_EQ(packet.Id(), "00007");
  EXPECT_EQ(packet.Code(), 'I');
  EXPECT_EQ(packet.Ext(), "IOT");
  EXPECT_EQ(packet.Data(), "@RET=000");
  EXPECT_TRUE(ProtocolPacket("$THC00001Ftim").IsCommandNoCase('F', "TIM"));
  EXPECT_FALSE(ProtocolPacket("$THC00001Ftim").IsCommand('F', "TIM"));
}

TEST(ProtocolPacket, ShortPacketsReadEmpty) {
  for (const char* text : {"", "$", "$THC0", "$THC00001K", "$THC00001KSO"}) {
    const ProtocolPacket packet(text);
    EXPECT_FALSE(packet.IsCommand('K', "SOT")) << text;
    EXPECT_TRUE(packet.Data().empty()) << text;
  }
}

TEST(BuildPacket, MatchesTheWireFormat) {
  EXPECT_EQ(BuildPacket('A', PacketType::Command, 1, 'F', "FXY", "@X=1.500@Y=-2.000"), "$HAC00001FFXY@X=1.500@Y=-2.000\r");
  EXPECT_EQ(BuildPacket('A', PacketType::Notify, 2, 'R', "RET", "@RET=1"), "$HAN00002RRET@RET=1\r");
  EXPECT_EQ(BuildPacket('B', PacketType::Ack, -5, 'I', "IOT", ""), "$HBA00000IIOT\r");
}

TEST(NextSequence, WrapsToOneAfterFiveDigits) {
  EXPECT_EQ(NextSequence(1), 2);
  EXPECT_EQ(NextSequence(99998), 99999);
  EXPECT_EQ(NextSequence(99999), 1);
}

}  // namespace
}  // namespace protocol
