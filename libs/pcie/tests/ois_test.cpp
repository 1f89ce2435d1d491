#include <array>

#include "sim_boards.h"

namespace {

constexpr uint8_t kSentinel = 0xEE;

class OisTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    Bind(0);
    PowerModule(0);
  }
  static std::array<uint8_t, 32> Header() {
    std::array<uint8_t, 32> header{};
    VelkaraSim_OisLastHeader(0, header.data());
    return header;
  }
};

TEST_F(OisTest, DelaysResetAndStepDelayReachTheSequencer) {
  struct Case {
    int a, b;
    uint32_t sentA, sentB;
  };
  for (const Case& c : {Case{1005, 2035, 0, 3}, Case{999, 1500, 0, 0}, Case{1250, 2000, 25, 0}, Case{985, 2019, 0, 1}}) {
    ASSERT_EQ(PCI_OIS_SetDelay(0, c.a, c.b), 1);
    uint32_t a = 99, b = 99;
    VelkaraSim_OisTiming(0, &a, &b, nullptr);
    EXPECT_EQ(a, c.sentA) << c.a;
    EXPECT_EQ(b, c.sentB) << c.b;
  }
  ASSERT_EQ(PCI_OIS_SetStepDelay(0, 105), 1);
  uint32_t step = 0;
  VelkaraSim_OisTiming(0, nullptr, nullptr, &step);
  EXPECT_EQ(step, 10u);
  ASSERT_EQ(PCI_OIS_Reset(0), 1);
  uint32_t a = 99;
  EXPECT_EQ(VelkaraSim_OisTiming(0, &a, nullptr, &step), 1);
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(step, 0u);
}

TEST_F(OisTest, GetDataCopiesExactlyTheReadings) {
  std::vector<uint8_t> out(210, kSentinel);
  const uint8_t command[2] = {0x84, 0x00};
  ASSERT_EQ(PCI_OIS_GetData(0, 0x1C, 2, command, 2, 100, out.data()), 1);
  for (int k = 0; k < 100; ++k) EXPECT_EQ(out[2 * k], 0x0E) << "reading " << k << " comes from slave 0x1C";
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 200, out.end()), std::vector<uint8_t>(10, kSentinel));
  const auto header = Header();
  EXPECT_EQ(header[0], 4);
  EXPECT_EQ(header[2], 0xB2);
  EXPECT_EQ(header[4], 0x0E);
  EXPECT_EQ(header[10], 100);
}

TEST_F(OisTest, TwoSlavesSplitTheReply) {
  std::vector<uint8_t> a(24, kSentinel), b(14, kSentinel);
  const uint8_t command[1] = {0x10};
  ASSERT_EQ(PCI_OIS_GetData_Ex2(0, 0x1C, 1, command, 2, 10, a.data(), 0x48, 5, b.data(), 1), 1);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(a[2 * k], 0x0E);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(b[2 * k], 0x24);
  EXPECT_EQ(std::vector<uint8_t>(a.begin() + 20, a.end()), std::vector<uint8_t>(4, kSentinel));
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 10, b.end()), std::vector<uint8_t>(4, kSentinel));

  std::vector<uint8_t> onlyB(8, kSentinel);
  ASSERT_EQ(PCI_OIS_GetData_Ex2(0, 0x1C, 1, command, 2, 0, nullptr, 0x48, 3, onlyB.data(), 1), 1);
  EXPECT_EQ(onlyB[0], 0x24);
  EXPECT_EQ(onlyB[6], kSentinel);
}

TEST_F(OisTest, HeaderFieldsAreEncodedAsTheFirmwareReadsThem) {
  const uint8_t commands[6] = {1, 2, 3, 4, 5, 6};
  std::vector<uint8_t> big(3 * 0x0102 + 2, kSentinel);
  ASSERT_EQ(PCI_OIS_GetData_Ex(0, 0x1C, 2, commands, 0x0102, 1, big.data(), 3), 1);
  EXPECT_EQ(big[2 * 0x0102], 0x0E) << "the third repeat's reading";
  EXPECT_EQ(big[3 * 0x0102], kSentinel);
  auto header = Header();
  EXPECT_EQ(header[2], 0xB1);
  EXPECT_EQ(header[8], 0x02);
  EXPECT_EQ(header[9], 0x01);
  EXPECT_EQ(header[16], 3);
  EXPECT_EQ(header[20], 2);

  const uint8_t dataA[2] = {0xAA, 0xAB};
  const uint8_t dataB[2] = {0xBB, 0xBC};
  std::vector<uint8_t> a(4, kSentinel), b(2, kSentinel);
  ASSERT_EQ(PCI_OIS_I2C_Function(0, 0x1C, 0x48, 0x1AB, 1, dataA, 1, dataB, 2, a.data(), 0x177, 0x1234, 1, b.data(), 1,
                                 2, 1000),
            1);
  header = Header();
  const std::vector<uint8_t> expected = {0x40, 0x00, 0xB6, 0, 0, 0, 2, 0, 1, 0, 2, 1, 0x77, 0x0E, 0x24, 0x55,
                                         0x12, 0x34, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.begin() + 28), expected);
  EXPECT_EQ(a[0], 0x0E);
  EXPECT_EQ(b[0], 0x24);
  EXPECT_EQ(b[1], 0x24) << "one reading of one byte per repeat";
}

TEST_F(OisTest, ErrorBitCopiesReadingsAndTimeOutCopiesNothing) {
  ASSERT_EQ(PCI_I2C_DAC_Write(0, 0x4C, 2, std::array<uint8_t, 2>{}.data()), 1);
  ASSERT_EQ(PCI_DIO_Write(0, 1, 0), 1);  // IO level off: the module does not answer
  std::vector<uint8_t> out(4, kSentinel);
  const uint8_t command[1] = {0x10};
  EXPECT_EQ(PCI_OIS_GetData(0, 0x1C, 1, command, 2, 2, out.data()), 0);
  EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));

  VelkaraSim_SetFaults("mailbox_timeout");
  std::vector<uint8_t> a(2, kSentinel), b(2, kSentinel);
  const auto start = port::clock::Now();
  EXPECT_EQ(PCI_OIS_I2C_Function(0, 0x1C, 0x48, 0, 0, nullptr, 0, nullptr, 1, a.data(), 0, 0, 1, b.data(), 2, 1, 50), 0);
  EXPECT_GE(port::clock::ElapsedMs(start), 50);
  EXPECT_EQ(a, std::vector<uint8_t>(2, kSentinel));
  EXPECT_EQ(b, std::vector<uint8_t>(2, kSentinel));
}

TEST_F(OisTest, RequestsBeyondTheBuffersNeverLeave) {
  std::vector<uint8_t> out(70000, kSentinel);
  const uint8_t command[2] = {0x10, 0x10};
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(PCI_OIS_GetData(0, 0x1C, 1, command, 2, 256, out.data()), 0) << "count must fit its byte";
  EXPECT_EQ(PCI_OIS_GetData_Ex(0, 0x1C, 1, command, 256, 255, out.data(), 2), 0) << "reply beyond 65535 bytes";
  EXPECT_EQ(PCI_OIS_GetData_Ex2(0, 0x1C, 1, command, 200, 200, out.data(), 0x48, 200, out.data(), 1), 0)
      << "the 16-bit length would wrap";
  EXPECT_EQ(PCI_OIS_GetData(0, 0x1C, 1, nullptr, 2, 1, out.data()), 0);
  EXPECT_EQ(PCI_OIS_GetData(4, 0x1C, 1, command, 2, 1, out.data()), 0);
  EXPECT_EQ(PCI_OIS_SetDelay(1, 1000, 2000), 0) << "board never bound";
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
}

}  // namespace
