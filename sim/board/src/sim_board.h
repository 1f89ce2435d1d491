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
#include <utility>
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
inline constexpr int kBoards = 4;
// A board carries a module on each channel; a site's calls reach the channel of its own index.
inline constexpr int kChannels = 8;

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
  bool nodeOpenFails = false;  // none of the board's driver nodes opens
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

// One channel of a board: the module on it and the board's firmware as that channel's calls see it. Its
// lock guards every field below; a thread that holds it may take the fault and event locks, never the
// state lock.
struct Board {
  Board(int index, int channel);

  const int index;
  const int channel;
  std::mutex lock;
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

// Process-wide state. The state lock guards the table of boards and the driver nodes; each channel has
// its own lock, so sites on different channels never wait for each other. Lock order: state, channel,
// then the fault or event lock.
std::mutex& StateLock();
// The channel of a board, made with all the board's channels on first use; null for an index or channel
// out of range. Caller holds StateLock().
std::shared_ptr<Board> BoardAt(int index, int channel);
// Every channel of a board (board -1: of every board), each under its own lock. Caller holds StateLock().
template <typename Fn>
void ForBoards(int board, Fn fn) {
  for (int i = board < 0 ? 0 : board; i < (board < 0 ? kBoards : board + 1); ++i)
    for (int c = 0; c < kChannels; ++c) {
      const std::shared_ptr<Board> b = BoardAt(i, c);
      if (!b) return;
      std::lock_guard lock(b->lock);
      fn(*b);
    }
}
// Channel 0 of a board, under its lock: what a test that runs no site reads back; a value-initialised
// result for a board out of range. Caller holds StateLock().
template <typename Fn>
auto OnBoard(int board, Fn fn) -> decltype(fn(std::declval<Board&>())) {
  const std::shared_ptr<Board> b = BoardAt(board, 0);
  if (!b) return {};
  std::lock_guard lock(b->lock);
  return fn(*b);
}
void ResetState();
// Clears every fault, those of QRV_SIM_FAULTS too (it is not read again until a reset). Caller holds
// StateLock().
void ClearFaults();
void ClearFaultTable();
void Record(VelkaraSimEvent event);
VelkaraSimEvent MakeEvent(int board, int kind);
int EventCount();
bool EventAt(int index, VelkaraSimEvent* event);
void ClearEvents();

// The faults in force on a board: its own and those set for every board.
std::shared_ptr<const Faults> EffectiveFaults(const Board& board);
// Applies switches in the QRV_SIM_FAULTS syntax on top of the current faults; false on an unknown switch.
bool ApplyFaultSwitches(const std::string& switches);
// One switch on one board (-1: every board).
bool ApplyFault(int board, const std::string& name, const std::string& value, bool on);
// Replaces the CRC lines of one board (-1: every board).
void SetBadCrcLines(int board, std::set<int> lines);

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
