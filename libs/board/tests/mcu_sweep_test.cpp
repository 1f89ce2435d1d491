#include <bit>

#include "mcu_fixture.h"

namespace {

int RecordSize(uint16_t kind) {
  switch (kind) {
    case 3: return 9;
    case 7: return 12;
    case 48: return 11;
    default: return 29;
  }
}

}  // namespace

class McuSweep : public McuTest {
 protected:
  // Lengths of the chunk read requests the board sent, in order.
  static std::vector<int> ChunkRequests() {
    std::vector<int> lengths;
    for (const auto& w : McuWrites()) {
      if (w.size() == 8 && w[4] == 0xD0) lengths.push_back(w[6] | (w[7] << 8));
    }
    return lengths;
  }

  static void ExpectRecorded(uint16_t kind, int points, const std::vector<uint8_t>& records, const std::vector<int16_t>& values) {
    const int s = RecordSize(kind);
    std::vector<uint8_t> point(static_cast<size_t>(s) + 2);
    for (int i = 0; i < points; ++i) {
      VelkaraSim_McuSweepPoint(i, kind, point.data());
      ASSERT_TRUE(std::equal(point.begin(), point.begin() + s, records.begin() + static_cast<long>(i) * s)) << i;
      ASSERT_EQ(values[static_cast<size_t>(i)], static_cast<int16_t>(point[s] | (point[s + 1] << 8))) << i;
    }
  }
};

TEST_F(McuSweep, ChunksFollowThePointCount) {
  struct Case {
    uint16_t points, kind;
    std::vector<int> requests;
  };
  const Case cases[] = {{95, 3, {1045}},
                        {250, 7, {1750, 1750}},
                        {1234, 48, {1599, 1599, 1599, 1599, 1599, 1599, 1599, 1599, 1599, 1651}}};
  for (const Case& c : cases) {
    VelkaraSim_ClearEvents();
    std::vector<uint8_t> records(static_cast<size_t>(RecordSize(c.kind)) * c.points);
    std::vector<int16_t> values(c.points);
    int32_t status = -1;
    ASSERT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 2, c.kind, -100, 300, c.points, 100), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ChunkRequests(), c.requests);
    ExpectRecorded(c.kind, c.points, records, values);
    EXPECT_FALSE(RequestLineHigh());
  }
  uint8_t config[13] = {};
  ASSERT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x41, config, 13), 13);
  EXPECT_EQ(std::vector<uint8_t>(config, config + 13),
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x9C, 0x00, 0x00, 0x01, 0x2C, 0x04, 0xD2, 0x02, 0x00, 0x30}));
}

TEST_F(McuSweep, RefusedSweepsSendNothing) {
  std::vector<uint8_t> records(29 * 6001);
  std::vector<int16_t> values(6001);
  int32_t status = 0;
  const int before = VelkaraSim_CommandCount(0);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 0, 3, 0, 0, 6001, 100), 0);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 0, 5, 0, 0, 50, 100), 0);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 0, 3, 0, 0, 0, 100), 0);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(4, &status, 0, records.data(), values.data(), 0, 3, 0, 0, 50, 100), 0);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, nullptr, values.data(), 0, 3, 0, 0, 50, 100), 0);
  EXPECT_EQ(VelkaraSim_CommandCount(0), before);
}

// A refused chunk is asked for again under its own id, and the sweep is complete and in order.
TEST_F(McuSweep, RefusedChunkIsRetried) {
  VelkaraSim_FailMcuChunkOnce(0, 1);
  std::vector<uint8_t> records(12 * 250);
  std::vector<int16_t> values(250);
  int32_t status = 0;
  ASSERT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 0, 7, 0, 250, 250, 100), 1);
  EXPECT_EQ(ChunkRequests(), (std::vector<int>{1750, 1750, 1750}));
  ExpectRecorded(7, 250, records, values);
}

TEST_F(McuSweep, ChunksThatNeverComeFailTheSweep) {
  std::vector<uint8_t> records(9 * 60);
  std::vector<int16_t> values(60);
  int32_t status = 0;
  ASSERT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 0, records.data(), values.data(), 0, 3, 0, 50, 50, 100), 1);
  // The controller recorded 50 points: a request for 60 is refused, and a refusal is no success.
  VelkaraSim_ClearEvents();
  EXPECT_EQ(VKL_MCU_CL_Sweep_Config(0, &status, 1, records.data(), values.data(), 0, 3, 0, 50, 60, 100), 0);
  EXPECT_EQ(ChunkRequests(), (std::vector<int>{660, 660}));
  EXPECT_FALSE(RequestLineHigh());
}

TEST_F(McuSweep, PatternGoesInChunksOfFiveThousandBytes) {
  struct Case {
    uint16_t count;
    std::vector<int> dataLengths;
  };
  const Case cases[] = {{1000, {5001}}, {1001, {5001, 6}}, {2000, {5001, 5001}}};
  for (const Case& c : cases) {
    VelkaraSim_ClearEvents();
    std::vector<uint8_t> points(size_t{c.count} * 5 + 1);
    for (size_t i = 0; i < points.size(); ++i) points[i] = static_cast<uint8_t>(i * 3 + i / 251);
    int32_t status = -1;
    ASSERT_EQ(VKL_MCU_CL_Sweep_Pattern(0, &status, points.data(), c.count, 100), 1);
    EXPECT_EQ(status, 0);
    std::vector<int> lengths;
    std::vector<int> indexes;
    for (const auto& w : McuWrites()) {
      if (w.size() > 9 && w[4] == 0x20 && w[5] == 0x41) {
        lengths.push_back(w[6] | (w[7] << 8));
        indexes.push_back(w[8]);
      }
    }
    EXPECT_EQ(lengths, c.dataLengths);
    EXPECT_EQ(indexes.back(), static_cast<int>(indexes.size()) - 1);
    std::vector<uint8_t> stored(points.size() + 10);
    ASSERT_GE(VelkaraSim_McuPattern(0, stored.data(), static_cast<int>(stored.size())), static_cast<int>(points.size()) - 1);
    EXPECT_TRUE(std::equal(points.begin(), points.end() - 1, stored.begin()));
  }
}

TEST_F(McuSweep, PatternConfigSendsTheRecordAndReadsTheSweepBack) {
  double table[17];
  for (int i = 0; i < 17; ++i) table[i] = 0.5 * i - 3.25;
  SweepPatternParams params{0xA5, {1.5, -2.0, 1e-3}, 0x01020304, 0x5A};
  SweepSettings sweep{7, 3, 100, 420, 0};
  std::vector<uint8_t> records(9 * 6000);
  std::vector<int16_t> values(6000);
  int32_t status = -1;
  ASSERT_EQ(VKL_MCU_CL_Sweep_Pattern_Config(0, &status, records.data(), values.data(), 2, table, &params, &sweep, 100), 1);
  EXPECT_EQ(sweep.pointCount, 320);
  ExpectRecorded(3, 320, records, values);
  EXPECT_FALSE(RequestLineHigh());

  std::vector<uint8_t> expected;
  auto be = [&](uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  for (double d : table) be(std::bit_cast<uint64_t>(d), 8);
  for (double d : params.c) be(std::bit_cast<uint64_t>(d), 8);
  expected.push_back(0xA5);
  be(0x01020304, 4);
  expected.push_back(0x5A);
  be(100, 4);
  be(420, 4);
  be(0, 2);
  expected.push_back(7);
  be(3, 2);
  std::vector<uint8_t> seen(200);
  ASSERT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x42, seen.data(), 200), 179);
  seen.resize(179);
  EXPECT_EQ(seen, expected);

  // The three-coefficient record of types 0 and 1.
  sweep.paramB = 150;
  ASSERT_EQ(VKL_MCU_CL_Sweep_Pattern_Config(0, &status, records.data(), values.data(), 1, nullptr, &params, &sweep, 100), 1);
  EXPECT_EQ(sweep.pointCount, 50);
  EXPECT_EQ(VelkaraSim_McuReceived(0, 0x10, 0x43, nullptr, 0), 39);
}

TEST_F(McuSweep, PatternConfigFailures) {
  SweepPatternParams params{};
  SweepSettings sweep{0, 3, 10, 10, 99};
  std::vector<uint8_t> records(9 * 6000);
  std::vector<int16_t> values(6000);
  int32_t status = 0;
  EXPECT_EQ(VKL_MCU_CL_Sweep_Pattern_Config(0, &status, records.data(), values.data(), 9, nullptr, &params, &sweep, 100), -10);
  EXPECT_EQ(VKL_MCU_CL_Sweep_Pattern_Config(0, &status, records.data(), values.data(), 0, nullptr, &params, &sweep, 100), -11);
  EXPECT_EQ(sweep.pointCount, 0);
  // A count from the wire beyond what a sweep may hold is never read into the caller's buffers.
  sweep.paramB = 7010;
  VelkaraSim_ClearEvents();
  EXPECT_EQ(VKL_MCU_CL_Sweep_Pattern_Config(0, &status, records.data(), values.data(), 0, nullptr, &params, &sweep, 100), 0);
  EXPECT_EQ(sweep.pointCount, 7000);
  EXPECT_TRUE(ChunkRequests().empty());
}
