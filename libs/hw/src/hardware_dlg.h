#pragma once
// The holder of the hardware settings and of the state that the hardware functions share: the settings
// last read, the sensor address and I2C mode of each board, the repeater address of the RPT scripts, the
// devices-open flag and the setup log. Settings are swapped whole, so a reader never sees half a read.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hw_settings.h"

namespace hw {

class CHardwareDlg {
 public:
  explicit CHardwareDlg(CQRV_LoadMemory* record);

  // Reads Sensor.ini again; every board's sensor address and I2C mode go back to the file's values.
  void ReadHardwareSettings();
  std::shared_ptr<const HwSettings> Settings() const;

  int I2cMode(int board) const { return IsValidBoard(board) ? i2cMode_[board].load() : 0; }
  void SetI2cMode(int board, int mode) {
    if (IsValidBoard(board)) i2cMode_[board].store(mode);
  }
  int SlaveAddr(int board) const { return IsValidBoard(board) ? slaveAddr_[board].load() : 0; }
  int RepeaterAddr() const { return repeaterAddr_.load(); }
  void SetRepeaterAddr(int address) { repeaterAddr_.store(address); }

  bool DevicesOpen() const { return devicesOpen_.load(); }
  void SetDevicesOpen(bool open) { devicesOpen_.store(open); }

  // The setup log: at most 10000 lines, emptied before the next one.
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  std::vector<std::string> LogLines() const;

 private:
  CQRV_LoadMemory* record_;
  mutable std::mutex mutex_;
  std::shared_ptr<const HwSettings> settings_;
  std::array<std::atomic<int>, kBoardCount> i2cMode_{};
  std::array<std::atomic<int>, kBoardCount> slaveAddr_{};
  std::atomic<int> repeaterAddr_{1};
  std::atomic<bool> devicesOpen_{false};
  std::vector<std::string> log_;
};

}  // namespace hw
