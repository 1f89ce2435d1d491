#pragma once
// The board's services beside the frame path: the open/short bench with the module's connector pins
// behind it, the host serial-number EEPROM, the configuration flash, the link eye scan and the OIS
// sequencer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "port/clock.h"

namespace velkarasim {

struct Board;

inline constexpr int kModulePins = 27;  // connector pins 1 to 27
inline constexpr size_t kFlashBytes = 4u << 20;
inline constexpr int kEyeRows = 254;
inline constexpr int kEyeColumns = 64;
inline constexpr uint64_t kEyeBusyOffset = 0x4C0000C;
inline constexpr uint64_t kEyeMemoryOffset = 0x4C40000;
inline constexpr size_t kEyeMemoryBytes = 0xFE00;

enum PinState { kPinGood = 0, kPinOpen = 1, kPinShort = 2 };

struct ServiceFaults {
  std::set<int> openPins;   // open_pins=5,9
  std::set<int> shortPins;  // short_pins=3
  std::set<int> leakyPins;  // leaky_pins=12
  bool osEepromNak = false;
  bool flashBadBit = false;
  bool eyeScanStuck = false;
};

struct OsConverter {
  int pointer = 0;
  uint8_t configHigh = 0;
  uint8_t configLow = 0;
  int pollsLeft = 0;
  uint16_t result = 0;
};

struct OsBench {
  std::array<uint8_t, 5> pinRelays{};    // expander 0x44, register 0x88
  std::array<uint8_t, 5> guardRelays{};  // expander 0x4E, register 0x88
  uint16_t dacCode = 0;
  uint8_t calibratedCode = 0;
  std::array<double, 4> calibration{0.0, 0.0, 1000.0, 500.0};  // c3, c2, c1, c0 of the calibrated source
  OsConverter converter;
};

struct ModulePin {
  int state = kPinGood;
  double diodeVolts = 0.0;
  double leakageCountsPerVolt = 0.0;
};

struct FlashState {
  std::array<std::vector<uint8_t>, 2> memory;  // host, receiver; erased (0xFF) on first use
  std::array<int, 2> programs{};
};

struct EyeScanState {
  int firstRow = 100;
  int lastRow = 150;
  int firstColumn = 10;
  int lastColumn = 42;
  std::set<int> initialisedLanes;
  bool busy = false;
  bool lanePrepared = false;
  port::clock::TimePoint readyAt{};
  std::vector<uint8_t> memory = std::vector<uint8_t>(kEyeMemoryBytes);
};

struct OisState {
  uint32_t delayA = 0;
  uint32_t delayB = 0;
  uint32_t stepDelay = 0;
  int resets = 0;
  int runs = 0;
  std::array<uint8_t, 32> lastHeader{};  // of the last transaction
};

struct BoardServices {
  BoardServices();
  OsBench os;
  std::array<ModulePin, kModulePins + 1> pins;  // index = pin number, 0 unused
  std::array<uint8_t, 256> hostEeprom{};
  uint8_t hostEepromPointer = 0;
  FlashState flash;
  EyeScanState eye;
  OisState ois;
};

// Firmware commands of these services; false when the packet is not one of them.
bool HandleServiceCommand(Board& board);
bool HandleFlashCommand(Board& board, uint8_t selector, uint8_t opcode);
bool HandleEyeScanCommand(Board& board, uint8_t selector, uint8_t opcode);
bool HandleOisCommand(Board& board, uint8_t selector, uint8_t opcode);
// Mailbox packet fields (little-endian) and the status byte of the reply.
uint32_t MailboxU32(const Board& board, size_t at);
uint16_t MailboxU16(const Board& board, size_t at);
void FinishService(Board& board, bool ok);
// The open/short bus: bench devices by address, anything else is the external repeater.
bool OsBusWrite(Board& board, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int length);
bool OsBusRead(Board& board, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int length);
// The host serial-number EEPROM on the current-measurement bus (answers while its pin is low).
bool HostEepromWrite(Board& board, const uint8_t* data, int length);
bool HostEepromRead(Board& board, uint8_t* out, int length);
// Register reads served by the eye scan (busy byte, scan memory); patches what the mailbox gave.
void ServiceRead(Board& board, uint8_t* out, size_t count, uint64_t offset);
// Host-to-card DMA into card memory.
long WriteCardMemory(Board& board, const void* data, size_t count, uint64_t address);

// Fault switches of these services.
bool SetServiceSwitch(ServiceFaults& faults, const std::string& name, const std::string& value, bool on);
bool IsPinListSwitch(const std::string& name);
void MergeServiceFaults(ServiceFaults& into, const ServiceFaults& every);

}  // namespace velkarasim
