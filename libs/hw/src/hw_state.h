#pragma once
// The holder of the hardware settings and of the state that the hardware functions and the setup windows
// share: the settings in force, the sensor address and I2C mode of each board, the repeater address of
// the RPT scripts, the devices-open flag, the board leases, the register-script keys, the "Type In" and
// "Type Out" selections, the aging counters and the setup log. Settings are swapped whole, so a reader
// never sees half a read; each board takes a read when no site's run holds it, so a run keeps the values
// it started with and another board's run never keeps them from this one.
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "board_lease.h"
#include "hw_settings.h"

namespace hw {

// The setup log's line for a board whose site's run keeps the values it started with.
inline constexpr const char* kSettingsWaitForSite = "USB ID [%d] : saved settings in force when its site's run ends";

// Register.ini [REGISTER_KEY]: the script sections offered to the play run and the one chosen.
struct RegisterKeys {
  std::vector<std::string> keys;
  int select = 0;
};

// [AGING] and the failure counts of play runs.
struct AgingCounters {
  std::atomic<int> agingCount{1};
  std::atomic<int> captureCount{5};
  std::atomic<int> dummyCount{0};
  std::atomic<int> i2cFail{0};
  std::atomic<int> cpFail{0};
};

class HwState {
 public:
  explicit HwState(CQRV_LoadMemory* record);

  CQRV_LoadMemory* Record() const { return record_; }
  RecordIni SensorIni() const;
  RecordIni RegisterIni() const;

  // Reads Sensor.ini again and returns what the file holds, which the window shows. Each board takes it
  // (with its sensor address and I2C mode) at once, or, while a site's run holds the board, when the
  // board's last site's run has ended; the setup log says which boards wait. The draw types follow the
  // file at once.
  std::shared_ptr<const HwSettings> ReadHardwareSettings();
  // The settings in force on a board (the last read for a board outside 0..3).
  std::shared_ptr<const HwSettings> Settings(int board) const;
  // The calling thread's: those of the board its site's run holds, else the last read.
  std::shared_ptr<const HwSettings> Settings() const;

  // A site's run takes its board, and its thread then reads that board's settings; false while the
  // setup dialog still holds the board after `waitMs`.
  bool AcquireForSite(int board, int waitMs);
  void ReleaseForSite(int board);

  // The "Type In" and "Type Out" selections (NORMAL, RAW, FRAME, FULL) of play and live runs.
  void SetDrawTypes(int in, int out);
  int InDrawType() const { return inDrawType_.load(); }
  int OutDrawType() const { return outDrawType_.load(); }

  void LoadRegisterKeys();
  RegisterKeys Keys() const;
  // The register key chosen in the window, which play runs take; Register.ini keeps its own until Save.
  void SelectKey(int index);
  bool SaveRegisterKeys(const RegisterKeys& keys);
  void LoadCounters();
  AgingCounters& Counters() { return counters_; }

  int I2cMode(int board) const { return IsValidBoard(board) ? i2cMode_[board].load() : 0; }
  void SetI2cMode(int board, int mode) {
    if (IsValidBoard(board)) i2cMode_[board].store(mode);
  }
  int SlaveAddr(int board) const { return IsValidBoard(board) ? slaveAddr_[board].load() : 0; }
  int RepeaterAddr() const { return repeaterAddr_.load(); }
  void SetRepeaterAddr(int address) { repeaterAddr_.store(address); }

  bool DevicesOpen() const { return devicesOpen_.load(); }
  void SetDevicesOpen(bool open) { devicesOpen_.store(open); }

  BoardLeases& Leases() { return leases_; }

  // The setup log: at most 10001 lines, emptied before the next one.
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  std::vector<std::string> LogLines() const;
  void ClearLog();
  // The listener (the window) hears of each log line and each settings read on the caller's thread, under
  // the state's lock: it must only post, never block or log.
  void SetChangeListener(std::function<void()> listener);

 private:
  // Called under the leases' lock: takes the state's lock only.
  void Publish(int board, std::shared_ptr<const HwSettings> settings);

  CQRV_LoadMemory* record_;
  mutable std::mutex mutex_;
  std::array<std::shared_ptr<const HwSettings>, kBoardCount> settings_;
  std::shared_ptr<const HwSettings> lastRead_;
  RegisterKeys keys_;
  AgingCounters counters_;
  std::array<std::atomic<int>, kBoardCount> i2cMode_{};
  std::array<std::atomic<int>, kBoardCount> slaveAddr_{};
  std::atomic<int> repeaterAddr_{1};
  std::atomic<bool> devicesOpen_{false};
  std::atomic<int> inDrawType_{0};
  std::atomic<int> outDrawType_{0};
  std::vector<std::string> log_;
  std::function<void()> changeListener_;
  // Last: it goes first, with the waiting publications that refer to this state.
  BoardLeases leases_;
};

}  // namespace hw
