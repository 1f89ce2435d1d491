#pragma once
// A loaded library over a fake record, in a temporary folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fake_record.h"
#include "sw_exports.h"

namespace qrv::sw::test {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeRecord::ClearSensor();
    folder_ = std::filesystem::temp_directory_path() /
              ("qrv_sw_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    Load_OnDelete(record_.get());
    std::filesystem::remove_all(folder_);
  }
  void Load() { Load_OnCreate(record_.get()); }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  FakeRecord record_;
  std::filesystem::path folder_;
};

}  // namespace qrv::sw::test
