#pragma once
// VelkaraSim.so: simulated grabber boards (driver nodes and firmware) with the camera module behind them.
// The driver interface reaches it through the node functions only; tests use the rest to set faults,
// shape the module and read what the boards saw.
#include <cstddef>
#include <cstdint>

#define VELKARASIM_API extern "C" __attribute__((visibility("default")))

// ---- Driver nodes ("sim:<n>_user", "sim:<n>_c2h_0", ...): -1 / negative results are failures. ----
// A board carries a camera module on each of its channels 0 to 7, each with its own supplies, pins, sensor,
// receiver and frame memory; a transfer names the channel it reaches (the driver interface passes the
// calling site's index, 0 for a thread that runs no site). Faults belong to the board and hit every
// channel. The test control and observation calls below shape every channel and read channel 0.
VELKARASIM_API int VelkaraSim_NodeOpen(const char* path);
VELKARASIM_API long VelkaraSim_NodeRead(int node, int channel, void* buffer, size_t count, uint64_t offset);
VELKARASIM_API long VelkaraSim_NodeWrite(int node, int channel, const void* data, size_t count, uint64_t offset);
VELKARASIM_API int VelkaraSim_NodeClose(int node);

// ---- Test control ----
// Forgets every board, fault and event; QRV_SIM_FAULTS is read again on the next board use.
VELKARASIM_API void VelkaraSim_Reset();
// Replaces all faults by a spec in the QRV_SIM_FAULTS syntax: switches separated by ';' or blanks,
// "dead_board=1;sensor_nak;mailbox_timeout=0;bad_crc_lines=3,7". A switch without "=board" hits every board.
// Switches: dead_board, sensor_nak, mailbox_timeout, dio_timeout, adc_never_ready, link_down, over_current,
// node_open_fails (no driver node of the board opens), bad_crc_lines ("=3,7@1": lines 3 and 7 on board 1 only).
VELKARASIM_API int VelkaraSim_SetFaults(const char* spec);
// One switch on one board (board -1: every board); on 0 clears it.
VELKARASIM_API int VelkaraSim_SetFault(int board, const char* name, int on);
VELKARASIM_API void VelkaraSim_SetBadCrcLines(int board, const int* lines, int count);

// Module shape. Sensor address: 7-bit; -1 answers at any address no other device of the bus claims
// (the default, unless QRV_SIM_SENSOR_SLAVEADDR is set).
VELKARASIM_API void VelkaraSim_SetSensorAddress(int board, int address7);
// Lanes the module sends on (lines are padded to a multiple of them) and whether each line ends in its CRC
// trailer (lines packed as MIPI RAW8/RAW10/RAW12 by the configured bit depth). The sensor's register 0x3100
// bit 0 switches the trailer too: a register script that writes it shapes the stream as this call does.
VELKARASIM_API void VelkaraSim_SetStream(int board, int lanes, int crcTrailer);
// Supply current model: dynamic in mA and standby in uA while the supply is on.
VELKARASIM_API void VelkaraSim_SetSupplyCurrent(int board, int channel, double dynamicMa, double standbyUa);
// Levels that the module drives on a bank's input pins.
VELKARASIM_API void VelkaraSim_SetDioInputs(int board, int bank, uint32_t levels);

// ---- Observation ----
VELKARASIM_API double VelkaraSim_SupplyVolts(int board, int channel);
VELKARASIM_API double VelkaraSim_IoLevelVolts(int board);  // 0 while the level is off
VELKARASIM_API double VelkaraSim_ClockMhz(int board);      // 0 while the clock is off
VELKARASIM_API uint32_t VelkaraSim_DioLatch(int board, int bank);
VELKARASIM_API uint32_t VelkaraSim_DioDirection(int board, int bank);
VELKARASIM_API int VelkaraSim_SensorRegister(int board, uint32_t reg);  // -1 never written
VELKARASIM_API int VelkaraSim_SensorStreaming(int board);
// One sample of the test pattern (before packing).
VELKARASIM_API uint32_t VelkaraSim_PatternSample(int x, int y, int bits);
// Mailbox commands the board has taken (doorbells rung), for tests that check "no traffic".
VELKARASIM_API int VelkaraSim_CommandCount(int board);

enum VelkaraSimEventKind {
  kSimEventSupply = 1,   // channel, value = volts (0 = off)
  kSimEventIoLevel = 2,  // value = volts (0 = off)
  kSimEventClock = 3,    // value = MHz (0 = off)
  kSimEventI2cWrite = 4, // bus, address (7-bit), data = register bytes then data bytes
  kSimEventDioWrite = 5, // channel = bank, value = latch
  kSimEventStream = 6,   // value = 1 on, 0 off
};
enum VelkaraSimBus { kSimBusSys = 1, kSimBusMcu, kSimBusRpt, kSimBusOs, kSimBusSfp, kSimBusRxE2p, kSimBusPll,
                     kSimBusDac, kSimBusAdc, kSimBusPwr };

struct VelkaraSimEvent {
  int board;
  int kind;
  int64_t timeNs;  // port::clock time (virtual in tests that switch it on)
  int channel;
  int bus;
  int address;
  double value;
  int length;  // bytes in data (at most 64 kept)
  uint8_t data[64];
};
VELKARASIM_API int VelkaraSim_EventCount();
VELKARASIM_API int VelkaraSim_GetEvent(int index, VelkaraSimEvent* event);
VELKARASIM_API void VelkaraSim_ClearEvents();

// ---- The module's actuator controller (framed protocol at 0xB0, boot loaders at 0xB0 and 0x60) and its
// devices on the sensor bus (front end, step devices 0xE8/0xEA/0xEC/0x40). Fault switches:
// mcu_no_handshake (the ready and download-ready lines never rise), mcu_bad_checksum (every frame body is
// refused as corrupted), mcu_bad_page (byte 3 of page 0's read-back comes back inverted). ----
// The ready lines stay low this long after each transfer (default 0).
VELKARASIM_API void VelkaraSim_SetMcuBusyMs(int board, int ms);
// Data of a query (group, id); null or length 0 restores the default.
VELKARASIM_API void VelkaraSim_SetMcuReply(int board, int group, int id, const uint8_t* data, int length);
// Status word of the acknowledgement of accepted commands (default 0).
VELKARASIM_API void VelkaraSim_SetMcuStatus(int board, uint32_t status);
// The read-back of page `page` comes back with byte `byte` inverted (page -1: none).
VELKARASIM_API void VelkaraSim_SetMcuBadPage(int board, int page, int byte);
// The next read request of this sweep chunk is refused once.
VELKARASIM_API void VelkaraSim_FailMcuChunkOnce(int board, int chunk);
// A device that does not acknowledge (bus as VelkaraSimBus).
VELKARASIM_API void VelkaraSim_SetI2cNak(int board, int bus, int address7, int on);
// Front-end address and one register's reading before and after its set-up writes (reg -1: address only).
VELKARASIM_API void VelkaraSim_SetFrontEnd(int board, int address7, int reg, int before, int after);
// Data after the command word of the last frame with (group, id); -1 when none came. Copies at most capacity.
VELKARASIM_API int VelkaraSim_McuReceived(int board, int group, int id, uint8_t* out, int capacity);
// The downloaded sweep pattern (chunk k at 5000 x k), its length.
VELKARASIM_API int VelkaraSim_McuPattern(int board, uint8_t* out, int capacity);
// Flash written by the boot loader at 0xB0 or 0x60 (8-bit), from its base, its length.
VELKARASIM_API int VelkaraSim_McuFlash(int board, int address8, uint8_t* out, int capacity);
VELKARASIM_API int VelkaraSim_McuBootFinished(int board, int address8);
// 0 unsupplied, 1 held in reset, 2 running, 3 in its boot loader.
VELKARASIM_API int VelkaraSim_McuState(int board);
// The record bytes and 16-bit value the controller records for sweep point `index` of `kind`.
VELKARASIM_API void VelkaraSim_McuSweepPoint(int index, int kind, uint8_t* out);

// ---- Board services: the open/short bench and the module's connector pins 1 to 27, the serial-number
// EEPROMs, the configuration flash, the eye scan and the OIS sequencer. Fault switches: open_pins=5,9,
// short_pins=3 and leaky_pins=12 (pin lists, every board), os_eeprom_nak (the bench's calibration EEPROM does
// not acknowledge), flash_bad_bit (one programmed bit flips, so verify finds a mismatch), eye_scan_stuck (the
// scan's busy byte never clears); adc_never_ready also holds the bench's converter. ----
enum VelkaraSimPinState { kSimPinGood = 0, kSimPinOpen = 1, kSimPinShort = 2 };
VELKARASIM_API void VelkaraSim_SetModulePin(int board, int pin, int state);
// Leakage of a pin, in converter counts per volt of the leakage source.
VELKARASIM_API void VelkaraSim_SetPinLeakage(int board, int pin, double countsPerVolt);
// The bench EEPROM's source polynomial c3, c2, c1, c0 (default 0, 0, 1000, 500).
VELKARASIM_API void VelkaraSim_SetOsCalibration(int board, const double* coefficients);
// The open cells of the scan memory (rows 0-253, columns 0-63), default rows 100-150, columns 10-42.
VELKARASIM_API void VelkaraSim_SetEyeOpening(int board, int firstRow, int lastRow, int firstColumn, int lastColumn);
// Flash contents (rxSide 0 host, else receiver); programs counts the program commands taken.
VELKARASIM_API int VelkaraSim_ReadFlash(int board, int rxSide, uint32_t offset, void* out, size_t count);
VELKARASIM_API int VelkaraSim_FlashPrograms(int board, int rxSide);
// The host serial-number EEPROM from byte 0.
VELKARASIM_API int VelkaraSim_HostSerialEeprom(int board, uint8_t* out, int count);
// The OIS sequencer's delays as the board holds them; the result is the number of resets taken.
VELKARASIM_API int VelkaraSim_OisTiming(int board, uint32_t* delayA, uint32_t* delayB, uint32_t* stepDelay);
// The 32-byte header of the last sequencer transaction; the result is the number of transactions run.
VELKARASIM_API int VelkaraSim_OisLastHeader(int board, uint8_t* out);
