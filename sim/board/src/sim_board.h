#pragma once
// One simulated board: register space, mailbox firmware, devices and the module behind it.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "VelkaraSim.h"
#include "sim_services.h"

namespace velkarasim {

inline constexpr uint64_t kIdentityOffset = 0x10000;
inline constexpr uint64_t kDoorbellOffset = 0x4A30010;
inline constexpr uint64_t kLinkResetOffset = 0x4A30028;
inline constexpr uint64_t kLineCounterOffset = 0x4A30068;
inline constexpr uint64_t kMailboxOffset = 0x4C00000;
inline constexpr size_t kMailboxSize = 0x20000;
inline constexpr uint64_t kFrameAddress = 0x81000000;
inline constexpr int kLinesPerCounterRead = 97;

struct Faults {
  bool dead = false;
  bool sensorNak = false;
  bool mailboxTimeout = false;
  bool dioTimeout = false;
  bool adcNeverReady = false;
  bool linkDown = false;
  bool mcuNoHandshake = false;
  bool mcuBadChecksum = false;
  bool mcuBadPage = false;
  bool overCurrent = false;  // the module draws ten times its dynamic current on every supply
  std::set<int> badCrcLines;
  ServiceFaults services;
};

// What a rendered frame depends on: the same key renders the same bytes.
struct FrameKey {
  int lanes = 0;
  bool crcTrailer = false;
  int bits = 0;
  int width = 0;
  int height = 0;
  std::set<int> badCrcLines;
  bool operator==(const FrameKey&) const = default;
};

struct Converter {
  int pointer = 0;
  uint8_t configHigh = 0;
  uint8_t configLow = 0;
  int pollsLeft = 0;
  uint16_t result = 0;
};

struct Board {
  explicit Board(int index);

  int index;
  Faults faults;
  int commandCount = 0;

  std::vector<uint8_t> mailbox = std::vector<uint8_t>(kMailboxSize);

  // Devices of the board.
  std::array<uint16_t, 8> supplyCode{};
  std::array<double, 8> dynamicMa{};
  std::array<double, 8> standbyUa{};
  uint16_t ioLevelCode = 0;
  bool ioLevelCodeSet = false;
  double clockMhz = 0;
  std::array<uint8_t, 8> pllRegisters{};
  std::array<uint32_t, 8> dioDirection{};
  std::array<uint32_t, 8> dioLatch{};
  std::array<uint32_t, 8> dioInputs{};
  std::map<int, Converter> converters;
  std::array<uint8_t, 256> rxEeprom{};
  BoardServices services;  // open/short bench and module pins, serial EEPROM, flash, eye scan, OIS sequencer
  std::shared_ptr<struct Actuators> actuators;  // the module's actuator controller and devices, made on first use

  // The module's sensor.
  int sensorAddress = -1;
  std::map<uint32_t, uint8_t> sensorRegisters;

  // Stream and frame memory.
  int lanes = 4;
  bool crcTrailer = false;
  int bits = 8;
  int width = 0;
  int height = 0;
  // The host set the receiver's resolution; until it does, the receiver takes the size of the stream.
  bool resolutionGiven = false;
  bool receiving = false;
  uint16_t frameInfo = 0;
  std::vector<uint8_t> frame;
  // The settings the frame memory was last rendered for; empty once anything else wrote it.
  std::optional<FrameKey> renderedFor;
  int counterSteps = 0;
  int linesReady = 0;

  double SupplyVolts(int channel) const;
  double IoLevelVolts() const;
  bool ModulePowered() const;
  bool SensorStreaming() const;
  // The size the sensor sends: its output size registers (x at 0x034C, y at 0x034E, 16 bits, high byte
  // first), 640 x 480 until they are written.
  int StreamWidth() const;
  int StreamHeight() const;
  // A receiver without a resolution from the host measures the stream: its size while the sensor streams,
  // nothing otherwise.
  void FollowStream();
  int SensorRegister16(uint32_t address, int unset) const;
  uint32_t DioLevels(int bank) const;
  uint32_t LineBytes() const;

  long Read(void* buffer, size_t count, uint64_t offset);
  long Write(const void* data, size_t count, uint64_t offset);
  long ReadFrame(void* buffer, size_t count, uint64_t address) const;
  void RingDoorbell();
};

// Process-wide state: boards by index, faults for every board, events. One lock guards it all, so
// the boards are safe to share between threads.
std::mutex& StateLock();
Board& BoardAt(int index);  // caller holds StateLock()
Faults& FaultsOfEveryBoard();
void ResetState();
void ClearFaults();
void Record(VelkaraSimEvent event);
VelkaraSimEvent MakeEvent(int board, int kind);
int EventCountLocked();
bool EventAtLocked(int index, VelkaraSimEvent* event);
void ClearEventsLocked();

// The faults in force on a board: its own and those set for every board.
Faults EffectiveFaults(const Board& board);
// Applies switches in the QRV_SIM_FAULTS syntax on top of the current faults; false on an unknown switch.
bool ApplyFaultSwitches(const std::string& switches);
// One switch on one board (-1: every board).
bool ApplyFault(int board, const std::string& name, const std::string& value, bool on);

// Firmware command handling (mailbox packet in board.mailbox).
void HandleCommand(Board& board);
// The module's I2C devices; false = no acknowledge.
bool I2cWrite(Board& board, int bus, int address7, const std::vector<uint8_t>& addressBytes,
              const uint8_t* data, int length);
bool I2cRead(Board& board, int bus, int address7, const std::vector<uint8_t>& addressBytes, uint8_t* out,
             int length);
// Renders the frame the receiver would store for the current stream settings.
void RenderFrame(Board& board);
uint16_t LineCrc(const uint8_t* data, size_t length);

}  // namespace velkarasim
