#include "board_fixture.h"

namespace {

constexpr int kFrontEnd7 = 0x72;

class SensorBusChecks : public BoardApi {
 protected:
  void SetUp() override {
    BoardApi::SetUp();
    PowerUp(0);
    VelkaraSim_ClearEvents();
  }

  // Sensor-bus writes to one device (8-bit address), register bytes first.
  static std::vector<std::vector<uint8_t>> WritesTo(int address8) {
    std::vector<std::vector<uint8_t>> out;
    for (const VelkaraSimEvent& e : Events(kSimEventI2cWrite, kSimBusSys)) {
      if (e.address == address8 >> 1) out.push_back(Bytes(e));
    }
    return out;
  }
  static std::vector<int> Addresses() {
    std::vector<int> out;
    for (const VelkaraSimEvent& e : Events(kSimEventI2cWrite, kSimBusSys)) out.push_back(e.address << 1);
    return out;
  }
};

int Offset(uint16_t raw) {
  const int v = raw & 0xFFF;
  return v & 0x800 ? v - 4096 : v;
}

}  // namespace

TEST_F(SensorBusChecks, FrontEndRatiosBeforeAndAfterItsSetUp) {
  double r[6] = {};
  ASSERT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(0, kFrontEnd7, 0, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]), 1);
  EXPECT_DOUBLE_EQ(r[0], 2.0);
  EXPECT_DOUBLE_EQ(r[1], 1.0);
  EXPECT_DOUBLE_EQ(r[2], 0.5);
  // Offsets in counts, subtracted unscaled; 0x0800 is -2048, 0x07FF 2047.
  EXPECT_DOUBLE_EQ(r[3], (2000 * 3.42e-6 - Offset(0x0020)) / (1000 * 3.42e-6 - Offset(0x0010)));
  EXPECT_DOUBLE_EQ(r[4], (1500 * 3.42e-6 + 16) / (1500 * 3.42e-6 + 16));
  EXPECT_DOUBLE_EQ(r[5], (1000 * 3.42e-6 - 2047) / (2000 * 3.42e-6 + 2048));
  EXPECT_EQ(WritesTo(kFrontEnd7 * 2).size(), 5u);
}

TEST_F(SensorBusChecks, ModeOneSendsFourSetUpWrites) {
  double r[6] = {};
  ASSERT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(0, kFrontEnd7, 1, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]), 1);
  const auto writes = WritesTo(kFrontEnd7 * 2);
  ASSERT_EQ(writes.size(), 4u);
  EXPECT_EQ(writes[3], (std::vector<uint8_t>{0x00, 0x49, 0x06, 0x01}));
}

TEST_F(SensorBusChecks, DeadChannelGivesRatioZeroNotInfinity) {
  VelkaraSim_SetFrontEnd(0, kFrontEnd7, 554, 0, 500);
  VelkaraSim_SetFrontEnd(0, kFrontEnd7, 463, 0, 0);
  double r[6] = {};
  ASSERT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(0, kFrontEnd7, 0, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]), 1);
  EXPECT_EQ(r[0], 0.0);
  EXPECT_EQ(r[3], 0.0);
}

TEST_F(SensorBusChecks, FrontEndThatDoesNotAnswer) {
  VelkaraSim_SetI2cNak(0, kSimBusSys, kFrontEnd7, 1);
  double r[6] = {};
  EXPECT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(0, kFrontEnd7, 0, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]), -1);
  EXPECT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(0, kFrontEnd7, 0, &r[0], &r[1], nullptr, &r[3], &r[4], &r[5]), 0);
}

TEST_F(SensorBusChecks, StepWithSetUpReadsTheKindsRecord) {
  const uint8_t command[5] = {0x21, 1, 2, 3, 4};
  uint8_t record[32] = {};
  ASSERT_EQ(VKL_MCU_CL_OIS_Step(0, command, record, 1, 271, 0), 1);
  for (int j = 0; j < 18; ++j) EXPECT_EQ(record[j], static_cast<uint8_t>(271 + j + 0x21)) << j;
  EXPECT_EQ(record[18], 0);
  EXPECT_EQ(Addresses(), (std::vector<int>{0xE8, 0xEA, 0xE8}));
  EXPECT_EQ(WritesTo(0xE8).back(), (std::vector<uint8_t>{0x00, 0x0B, 0x01, 0x0F}));
  EXPECT_EQ(WritesTo(0xE8).front(), (std::vector<uint8_t>{0x00, 0x0A, 0x00, 0x01}));
}

TEST_F(SensorBusChecks, StepWithoutSetUpWaitsThenReads) {
  const uint8_t command[5] = {0x05, 0, 0, 0, 0};
  uint8_t record[32] = {};
  const auto start = port::clock::Now();
  ASSERT_EQ(VKL_MCU_CL_OIS_Step(0, command, record, 0, 3, 40), 1);
  EXPECT_GE(port::clock::ElapsedMs(start), 40);
  EXPECT_EQ(Addresses(), (std::vector<int>{0xEC, 0xE8}));
}

TEST_F(SensorBusChecks, TriggeredStepsReadTheValueRegister) {
  const uint8_t command[5] = {1, 2, 3, 4, 5};
  uint8_t record[32] = {};
  uint8_t value[2] = {};
  ASSERT_EQ(VKL_MCU_CL_OIS_Step_2(0, command, record, value, 1, 319, 0), 1);
  EXPECT_EQ(value[1], 1);
  EXPECT_EQ(record[28], static_cast<uint8_t>(319 + 28 + 1));
  ASSERT_EQ(VKL_MCU_CL_OIS_Read_Only(0, record, value, 319), 1);
  EXPECT_EQ(value[1], 2);
  EXPECT_EQ(WritesTo(0x40).back(), (std::vector<uint8_t>{0x01, 0x29, 0x01}));
}

TEST_F(SensorBusChecks, UnknownKindSendsNothing) {
  const uint8_t command[5] = {};
  uint8_t record[32] = {};
  uint8_t value[2] = {};
  EXPECT_EQ(VKL_MCU_CL_OIS_Step(0, command, record, 1, 4, 0), 0);
  EXPECT_EQ(VKL_MCU_CL_OIS_Step_2(0, command, record, value, 1, 4, 0), 0);
  EXPECT_EQ(VKL_MCU_CL_OIS_Read_Only(0, record, value, 4), 0);
  EXPECT_TRUE(Addresses().empty());
}

TEST_F(SensorBusChecks, ABoardThatIsNoBoardFailsAtItsFirstTransfer) {
  const uint8_t command[5] = {};
  uint8_t record[32] = {};
  uint8_t value[2] = {};
  double r[6] = {};
  for (const int board : {-1, 4, 5}) {
    EXPECT_EQ(VKL_MCU_CL_OIS_Step(board, command, record, 1, 3, 0), -1) << board;
    EXPECT_EQ(VKL_MCU_CL_OIS_Step(board, command, record, 0, 3, 0), -2) << board;
    EXPECT_EQ(VKL_MCU_CL_OIS_Step_2(board, command, record, value, 1, 3, 0), -1) << board;
    EXPECT_EQ(VKL_MCU_CL_OIS_Read_Only(board, record, value, 3), -1) << board;
    EXPECT_EQ(VKL_MCU_AFE_sensor_connectivity_checks(board, kFrontEnd7, 0, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]),
              -1)
        << board;
  }
  EXPECT_TRUE(Addresses().empty());
}

TEST_F(SensorBusChecks, EachFailingTransferHasItsCode) {
  struct Case {
    int silent8;
    int step, step2, readOnly;
  };
  const Case cases[] = {{0xE8, -1, -1, -2}, {0xEA, -2, -2, -3}, {0x40, 1, -5, -1}};
  const uint8_t command[5] = {9, 9, 9, 9, 9};
  for (const Case& c : cases) {
    VelkaraSim_SetI2cNak(0, kSimBusSys, c.silent8 >> 1, 1);
    uint8_t record[32] = {};
    uint8_t value[2] = {};
    EXPECT_EQ(VKL_MCU_CL_OIS_Step(0, command, record, 1, 3, 0), c.step) << c.silent8;
    EXPECT_EQ(VKL_MCU_CL_OIS_Step_2(0, command, record, value, 1, 3, 0), c.step2) << c.silent8;
    EXPECT_EQ(VKL_MCU_CL_OIS_Read_Only(0, record, value, 3), c.readOnly) << c.silent8;
    VelkaraSim_SetI2cNak(0, kSimBusSys, c.silent8 >> 1, 0);
  }
}
