#pragma once
// A platform record for the library's tests: Sensor.ini is an in-memory table behind the record's utility
// slots, folders are created directly, SetLog lines are kept.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "QRV_PlatformMemory.h"
#include "qrv_test/temp_dir.h"

namespace qrv::sw::test {

class FakeRecord {
 public:
  FakeRecord();
  ~FakeRecord();

  CQRV_LoadMemory* get() { return record_.get(); }
  CQRV_LoadMemory* operator->() { return record_.get(); }

  static void SetSensor(const std::string& section, const std::string& key, int value);
  static int Sensor(const std::string& section, const std::string& key, int defaultValue);
  static void ClearSensor();
  static std::vector<std::string> LogLines();

 private:
  qrv::test::TempDir dir_;
  std::unique_ptr<CQRV_LoadMemory> record_;
};

}  // namespace qrv::sw::test
