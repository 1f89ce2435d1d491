#pragma once
// The module's actuator electronics: the framed controller on the MCU bus with its boot loaders, and the
// front end and stabilisation devices on the sensor bus. Everything here runs under StateLock().
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "port/clock.h"

namespace velkarasim {

struct Board;

inline constexpr int kMcuAddress7 = 0xB0 >> 1;
inline constexpr int kBootAddress7 = 0x60 >> 1;

// Bank 4 pins as the module sees them.
inline constexpr int kActuatorBank = 4;
inline constexpr uint32_t kReadyBit = 1u << 2;
inline constexpr uint32_t kNrstBit = 1u << 3;
inline constexpr uint32_t kDownloadReadyBit = 1u << 6;
inline constexpr uint32_t kBootBit = 1u << 7;

struct BootLoader {
  uint32_t base = 0;
  std::array<uint8_t, 6> start{};
  std::array<uint8_t, 6> finish{};
  bool shiftedReadBack = false;

  bool active = false;
  bool started = false;
  bool finished = false;
  uint32_t pageAddress = 0;
  uint16_t pageLength = 0;  // 0: no address frame taken
  std::vector<uint8_t> page;
  std::vector<uint8_t> flash;  // from base, committed pages only
};

struct FramedController {
  enum class Stage { kHead, kBody, kReply };
  Stage stage = Stage::kHead;
  uint16_t length = 0;
  std::vector<uint8_t> reply;
  uint32_t status = 0;
  std::map<uint16_t, std::vector<uint8_t>> replies;   // group << 8 | id: query data set by tests
  std::map<uint16_t, std::vector<uint8_t>> received;  // group << 8 | id: data of the last command
  std::vector<uint8_t> pattern;
  // The sweep the controller records.
  uint16_t sweepKind = 0;
  uint16_t sweepPoints = 0;
  std::set<int> failChunksOnce;
};

struct Actuators {
  Actuators();

  bool running = false;   // supplied and out of reset
  bool powered = false;   // supplied
  bool bootLevel = false;
  port::clock::TimePoint busyUntil{};
  int busyMs = 0;
  FramedController framed;
  BootLoader framedBoot;  // behind 0xB0, handshake on the ready line
  BootLoader otherBoot;   // at 0x60, handshake on the download-ready line
  int badPage = -1;
  int badByte = 3;
  std::set<std::pair<int, int>> naks;  // bus, 7-bit address

  // Sensor-bus devices.
  int frontEndAddress7 = 0x72;
  std::map<uint16_t, uint16_t> frontEndRegisters;
  std::map<uint16_t, std::pair<uint16_t, uint16_t>> frontEndReadings;  // before, after the set-up writes
  uint16_t stepKind = 0;
  std::vector<uint8_t> stepCommand;
  uint16_t triggers = 0;
};

Actuators& ActuatorsOf(Board& board);
bool Naks(Board& board, int bus, int address7);

// Pin hooks of the digital-I/O commands.
void ActuatorPinsChanged(Board& board);
void ActuatorPinsBeforeRead(Board& board);
bool ReadyHigh(Board& board);
void MarkBusy(Board& board);

// MCU bus at 0xB0 and 0x60.
bool McuWrite(Board& board, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int length);
bool McuRead(Board& board, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int length);
bool FramedWrite(Board& board, const uint8_t* data, int length);
bool FramedRead(Board& board, uint8_t* out, int length);
bool BootWrite(Board& board, BootLoader& loader, int reg, const uint8_t* data, int length);
bool BootRead(Board& board, BootLoader& loader, int reg, uint8_t* out, int length);
void EnterBoot(BootLoader& loader);

// Sensor bus: true when the address belongs to an actuator device (then *handled holds the answer).
bool ActuatorBusWrite(Board& board, int address7, const std::vector<uint8_t>& reg, const uint8_t* data, int length,
                      bool* handled);
bool ActuatorBusRead(Board& board, int address7, const std::vector<uint8_t>& reg, uint8_t* out, int length,
                     bool* handled);

// Record sizes of the sweep kinds; 0 for an unknown kind.
int SweepRecordSize(int kind);
// Deterministic content of a recorded sweep point.
void SweepPoint(int index, int recordSize, uint8_t* out);

}  // namespace velkarasim
