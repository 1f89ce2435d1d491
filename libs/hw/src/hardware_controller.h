#pragma once
// The one object of the hardware library: the image-library binder, the platform record, the settings
// holder and the facade's function table, with everything the hardware functions do on the boards.
#include <atomic>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EncapsulationTable.h"
#include "hw_state.h"
#include "play_workers.h"

class CInterFace_SW;

namespace hw {

class HardwareController {
 public:
  HardwareController(CInterFace_SW* binder, CQRV_LoadMemory* record);
  ~HardwareController();
  HardwareController(const HardwareController&) = delete;
  HardwareController& operator=(const HardwareController&) = delete;

  HwState& State() { return *state_; }
  PlayWorkers& Workers() { return *workers_; }
  CInterFace_SW* Binder() const { return binder_; }
  CQRV_LoadMemory* Record() const { return record_; }
  EncapsulationTable* Table() const { return table_.get(); }

  // Boards opened, closed and initialised: HW_USB_ID alone when PARA is 1, else 0..PARA-1 (at most 0..3).
  std::vector<int> BoardsInUse() const;
  int OpenDaqDevices();
  // The library and firmware versions of a board, to the setup log.
  void ReportVersions(int board);
  // HW Close: every board in use and the device; the devices-open flag keeps its value.
  void CloseDaqDevices();
  // Ends the workers, then closes the boards.
  void Release();

  // Sensor I2C on the system bus.
  int IIC_Write(int board, int address, int data);
  int IIC_WriteEx(int board, int slaveAddress, int address, int data, int mode);
  int IIC_Read(int board, int address, int* value);
  int IIC_ReadEx(int board, int slaveAddress, int address, int mode, int* value);
  int IIC_Write_SelMode(int board, int site, int mode, int address, int data);

  int PowerUpSequence(int board, int site, int clockSelect, bool dialogLog);
  int PowerUpSequence_DPSpeed(int board, int site, int clockSelect, float dpSpeed, int dpLanes, int dataBits,
                              std::uint16_t laneFormat);
  int PowerDownSequence(int board, int site, bool dialogLog);
  int SetSensorPins(int board);
  int SetupIndpRetimer(int board, int site);

  int RegisterSet(int board, int site, const std::string& key);
  int RegisterSet_RPT(int board, int site, const std::string& key);

  int GetImage(int board, unsigned char* buffer, int size);
  int Startverify(int board, int site, int laneSelect, int width, int height, bool dialogLog);
  int GetCRCImage(int board, int site, unsigned char* image, unsigned char* grab, int grabSize, int width,
                  int lines, int crcType, int dummyFrames, int averageFrames, int* crcFail, int* secondFlag,
                  bool siteLog, bool dialogLog);
  int CheckLineCrc(int site, const unsigned char* frame, int width, int lines, int crcType, int* hwFailFrames,
                   int* swFailFrames, bool siteLog, bool dialogLog);

  // Standby then dynamic offsets of every supply channel into the machine-wide file; 1 when both were
  // measured and stored.
  int OnStandbyDynamicOffset(int board, int site, int para);

  static void DelayMs(double ms);
  static void WaitPowerDelay(int ms);

  // A line to the site through the record's SetLog.
  void SiteLog(int site, const char* format, ...) __attribute__((format(printf, 3, 4)));

 private:
  void BindEncapsulationTable();
  // A line to the dialog log and/or the site, as the caller asks.
  void RunLog(int site, bool siteLog, bool dialogLog, const char* format, ...) __attribute__((format(printf, 5, 6)));
  int GrabFrame(int board, unsigned char* buffer, int size);
  int GrabDummyFrames(int board, int site, unsigned char* grab, int grabSize, int dummyFrames, bool siteLog,
                      bool dialogLog);
  int RaiseSupplies(int board, int site, const HwSettings& settings, bool dialogLog);
  int RaiseOffsetSupplies(int board, int site, const HwSettings& settings);
  int StartClockAndSensor(int board, int site, const HwSettings& settings, int clockSelect);
  // The retimer's eight writes with registers 0x04, 0x03, 0x03 set to the given values; 1, or -4.
  int WriteIndpTable(int board, int site, int value4, int value3a, int value3b);

  CInterFace_SW* binder_;
  CQRV_LoadMemory* record_;
  std::unique_ptr<HwState> state_;
  std::unique_ptr<PlayWorkers> workers_;
  std::unique_ptr<EncapsulationTable> table_;
  bool released_ = false;
  // One frame request at a time per board: sites sharing a board take whole frames in turn.
  std::array<std::mutex, kBoardCount> grabMutex_;
};

// Calls a facade function through its slot; an empty slot is a failure, never a call.
template <typename Fn, typename... A>
int BoardCall(Fn fn, A... args) {
  return fn ? static_cast<int>(fn(args...)) : 0;
}

}  // namespace hw
