#pragma once
// What the item is handed in a station: a platform record whose log lines are kept, a model folder with a
// Test.ini pointing at the simulated relay board and meter, and the program folder the CSV goes under.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "QRV_PlatformMemory.h"
#include "qrv_test/temp_dir.h"
#include "rmt_sim/rmt_sim.h"

class RmtFixture : public ::testing::Test {
 protected:
  RmtFixture();

  // Channels and test points are indexes from 0; delays are kept short.
  void WriteTestIni(const std::vector<int>& channels, const std::vector<int>& testPoints, int sampling = 3,
                    int dummy = 0);
  std::vector<std::string> CsvLines() const;
  static bool Logged(const std::string& text);

  qrv::test::TempDir dir;
  rmt_sim::RmtSim sim;
  std::unique_ptr<CQRV_LoadMemory> record;
};
