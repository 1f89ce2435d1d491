#pragma once
// VelkaraSim.so: simulated grabber boards (driver nodes and firmware) with the camera module behind them.
// The driver interface reaches it through the node functions only; tests use the rest to set faults,
// shape the module and read what the boards saw.
#include <cstddef>
#include <cstdint>

#define VELKARASIM_API extern "C" __attribute__((visibility("default")))

// ---- Driver nodes ("sim:<n>_user", "sim:<n>_c2h_0", ...): -1 / negative results are failures. ----
VELKARASIM_API int VelkaraSim_NodeOpen(const char* path);
VELKARASIM_API long VelkaraSim_NodeRead(int node, void* buffer, size_t count, uint64_t offset);
VELKARASIM_API long VelkaraSim_NodeWrite(int node, const void* data, size_t count, uint64_t offset);
VELKARASIM_API int VelkaraSim_NodeClose(int node);

// ---- Test control ----
// Forgets every board, fault and event; QRV_SIM_FAULTS is read again on the next board use.
VELKARASIM_API void VelkaraSim_Reset();
// Replaces all faults by a spec in the QRV_SIM_FAULTS syntax: switches separated by ';' or blanks,
// "dead_board=1;sensor_nak;mailbox_timeout=0;bad_crc_lines=3,7". A switch without "=board" hits every board.
// Switches: dead_board, sensor_nak, mailbox_timeout, dio_timeout, adc_never_ready, link_down, bad_crc_lines.
VELKARASIM_API int VelkaraSim_SetFaults(const char* spec);
// One switch on one board (board -1: every board); on 0 clears it.
VELKARASIM_API int VelkaraSim_SetFault(int board, const char* name, int on);
VELKARASIM_API void VelkaraSim_SetBadCrcLines(int board, const int* lines, int count);

// Module shape. Sensor address: 7-bit; -1 answers at any address no other device of the bus claims
// (the default, unless QRV_SIM_SENSOR_SLAVEADDR is set).
VELKARASIM_API void VelkaraSim_SetSensorAddress(int board, int address7);
// Lanes the module sends on (lines are padded to a multiple of them) and whether the receiver appends
// the per-line CRC trailer (lines packed as MIPI RAW8/RAW10/RAW12 by the configured bit depth).
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
