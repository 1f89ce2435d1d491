#include <cerrno>
#include <string>

#include "sim_boards.h"

using DiscoveryTest = SimBoards;

TEST_F(DiscoveryTest, BindsEachSimulatedBoardToItsIdentity) {
  EXPECT_EQ(PCI_LVDS_Init(1), 1);
  EXPECT_EQ(PCI_LVDS_Init(0), 1);
  // No device answers as board 2.
  EXPECT_EQ(PCI_LVDS_Init(2), 0);
  EXPECT_EQ(PCI_LVDS_SetResolution(2, 64, 8), 0);
}

// No device answers as board 3: devices 0 and 1 are tried, and the empty third entry names no node.
TEST_F(DiscoveryTest, EmptyEntryEndsTheSearchAsANodeThatIsNotThere) {
  testing::internal::CaptureStderr();
  errno = EBUSY;
  EXPECT_EQ(PCI_LVDS_Init(3), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error opening device, win32 error code: " + std::to_string(ENOENT) + "\n");
  EXPECT_EQ(PCI_LVDS_SetResolution(3, 64, 8), 0) << "not bound";
}

TEST_F(DiscoveryTest, DeadBoardFailsItsIdentityReadAndIsNotBound) {
  VelkaraSim_SetFaults("dead_board=0");
  EXPECT_EQ(PCI_LVDS_Init(0), 0);
  EXPECT_EQ(PCI_LVDS_SetResolution(0, 64, 8), 0);
  // The dead first device does not stop the second from binding.
  EXPECT_EQ(PCI_LVDS_Init(1), 1);
}

TEST_F(DiscoveryTest, BoardIndexOutsideRangeTouchesNothing) {
  Bind(0);
  const int before = VelkaraSim_CommandCount(0);
  uint32_t value = 0xABCD;
  int32_t width = 7;
  uint8_t byte = 0;
  for (int board : {-1, 4, 100}) {
    EXPECT_EQ(PCI_LVDS_Init(board), 0);
    EXPECT_EQ(PCI_LVDS_Close(board), 0);
    EXPECT_EQ(PCI_DIO_Read(board, 1, &value), 0);
    EXPECT_EQ(PCI_LVDS_GetResolution(board, &width, &width), 0);
    EXPECT_EQ(PCI_I2C_SYS_Write(board, 0x20, 1, 0, 1, &byte), 0);
    EXPECT_EQ(PCI_LVDS_Trigger(board, 1, &byte), 0);
  }
  EXPECT_EQ(value, 0xABCDu);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
}

TEST_F(DiscoveryTest, ClosedBoardFailsAtItsFirstTransfer) {
  Bind(0);
  EXPECT_EQ(PCI_LVDS_Close(0), 1);
  EXPECT_EQ(PCI_LVDS_Close(0), 1);
  EXPECT_EQ(PCI_LVDS_SetResolution(0, 64, 8), 0);
}

// A failed rebinding keeps the board's binding: its commands pass the open test and fail at their first
// transfer, and closing it reports the node that never opened.
TEST_F(DiscoveryTest, RebindingWhoseNodeDoesNotOpenKeepsTheBinding) {
  Bind(0);
  VelkaraSim_SetFault(-1, "node_open_fails", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(PCI_LVDS_Init(0), 0);
  EXPECT_EQ(PCI_LVDS_SetResolution(0, 64, 8), 0);
  EXPECT_EQ(PCI_LVDS_Close(0), 0);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("Error opening device, win32 error code: "), std::string::npos) << messages;
  EXPECT_NE(messages.find("Error setting file pointer, win32 error code: "), std::string::npos) << messages;
  EXPECT_NE(messages.find("Error opening device, win32 errorcode: "), std::string::npos) << messages;
  VelkaraSim_SetFault(-1, "node_open_fails", 0);
  Bind(0);
  EXPECT_EQ(PCI_LVDS_Close(0), 1);
}
