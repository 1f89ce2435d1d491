#include <atomic>
#include <thread>

#include "sim_boards.h"

class MailboxTest : public SimBoards {
 protected:
  void SetUp() override {
    SimBoards::SetUp();
    Bind(0);
    Bind(1);
  }
};

TEST_F(MailboxTest, ReplyDataReachTheCaller) {
  uint32_t a = 0, b = 1;
  EXPECT_EQ(PCI_GetTemp(0, &a, &b), 1);
  EXPECT_EQ(a, 455u);
  EXPECT_EQ(b, 0u);
  uint32_t rx = 0, tx = 0;
  EXPECT_EQ(PCI_FW_GetDate(0, &rx, &tx), 1);
  EXPECT_EQ(tx >> 28, 1u);
}

TEST_F(MailboxTest, RegisterAddressBytesFollowEachBusOrder) {
  PowerModule(0);
  VelkaraSim_ClearEvents();
  const uint8_t data[2] = {0x00, 0x05};
  EXPECT_EQ(PCI_I2C_SYS_Write(0, 0x20, 2, 0x3012, 2, data), 1);
  EXPECT_EQ(PCI_I2C_MCU_Write(0, 0x1AB, 2, 0x3012, 2, data), 0);  // nothing answers on the MCU bus
  const auto writes = Events(kSimEventI2cWrite);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].address, 0x10);
  EXPECT_EQ(Bytes(writes[0]), (std::vector<uint8_t>{0x30, 0x12, 0x00, 0x05}));
  EXPECT_EQ(writes[1].address, 0x55);
  EXPECT_EQ(Bytes(writes[1]), (std::vector<uint8_t>{0x12, 0x30, 0x00, 0x05}));
}

TEST_F(MailboxTest, ErrorBitsFailAndDeliverNothing) {
  PowerModule(0);
  VelkaraSim_SetFault(0, "sensor_nak", 1);
  uint8_t out[2] = {0xEE, 0xEE};
  EXPECT_EQ(PCI_I2C_SYS_Read(0, 0x20, 2, 0x0100, 2, out), 0);
  EXPECT_EQ(out[0], 0xEE);
  // The other board's sensor still answers.
  PowerModule(1);
  EXPECT_EQ(PCI_I2C_SYS_Read(1, 0x20, 2, 0x0100, 1, out), 1);
  EXPECT_EQ(out[0], 0x01);
}

TEST_F(MailboxTest, ReplyThatNeverComesFailsAfterTheTimeOutInVirtualTime) {
  VelkaraSim_SetFault(0, "mailbox_timeout", 1);
  const auto start = port::clock::Now();
  const uint8_t data[3] = {0x30, 0, 0};
  EXPECT_EQ(PCI_I2C_PWR_Write(0, 0x1A, 3, data), 0);
  EXPECT_GE(port::clock::ElapsedMs(start), 6000);  // 3 bytes x 2000 ms
  uint32_t a = 0;
  EXPECT_EQ(PCI_GetTemp(0, &a, &a), 0);
  // A posted command still counts as sent; the board is free again afterwards.
  EXPECT_EQ(PCI_I2C_SYS_Reset(0), 1);
  EXPECT_EQ(PCI_GetTemp(1, &a, &a), 1);
}

TEST_F(MailboxTest, DigitalReadWithoutReplyFailsAndLeavesTheOutputAlone) {
  VelkaraSim_SetFault(0, "dio_timeout", 1);
  uint32_t value = 0x1234;
  EXPECT_EQ(PCI_DIO_Read(0, 4, &value), 0);
  EXPECT_EQ(PCI_DIO_GetWrite(0, 4, &value), 0);
  EXPECT_EQ(PCI_DIO_GetDirection(0, 4, &value), 0);
  EXPECT_EQ(value, 0x1234u);
}

TEST_F(MailboxTest, SecondCallerGivesUpWhileTheBoardIsHeld) {
  VelkaraSim_SetFault(0, "mailbox_timeout", 1);
  std::atomic<int> holderResult{-9};
  std::thread holder([&] { holderResult = PCI_LVDS_Stop(0); });  // holds the board up to 10 s
  while (VelkaraSim_CommandCount(0) == 0) std::this_thread::yield();
  // A call that gave up never saw a reply: what the caller holds stays.
  uint32_t a = 0x1111, b = 0x2222;
  EXPECT_EQ(PCI_GetTemp(0, &a, &b), 0);
  EXPECT_EQ(a, 0x1111u);
  EXPECT_EQ(b, 0x2222u);
  uint8_t frame[4];
  EXPECT_EQ(PCI_LVDS_Trigger(0, 4, frame), -1);
  holder.join();
  EXPECT_EQ(holderResult, 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), 1);  // the waiting calls never reached the board
}

TEST_F(MailboxTest, ResolutionThatGaveUpLeavesTheCallersValues) {
  VelkaraSim_SetFault(0, "mailbox_timeout", 1);
  std::thread holder([] { PCI_LVDS_Stop(0); });
  while (VelkaraSim_CommandCount(0) == 0) std::this_thread::yield();
  int32_t width = 640, height = 480;
  EXPECT_EQ(PCI_LVDS_GetResolution(0, &width, &height), 0);
  holder.join();
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

TEST_F(MailboxTest, LinkReadinessFollowsTheLaneSelect) {
  EXPECT_EQ(PCI_DP_LinkDone(0, 0x1111), -1);  // module not streaming yet
  EXPECT_EQ(PCI_DP_LinkDone(0, 0), 1);
  PowerModule(0);
  EXPECT_EQ(PCI_DP_LinkDone(0, 0x1111), 1);
  VelkaraSim_SetFault(0, "link_down", 1);
  EXPECT_EQ(PCI_DP_LinkDone(0, 0x1000), -1);
}
