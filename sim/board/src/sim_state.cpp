#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "port/clock.h"
#include "immortal.h"
#include "sim_board.h"

namespace velkarasim {
namespace {

struct State {
  std::mutex lock;
  std::map<int, std::unique_ptr<Board>> boards;
  Faults everyBoard;
  std::vector<VelkaraSimEvent> events;
  bool environmentRead = false;
};

State& TheState() {
  static Immortal<State> state;
  return state.get();
}

int SensorAddressFromEnvironment() {
  const char* text = std::getenv("QRV_SIM_SENSOR_SLAVEADDR");
  if (!text || !*text) return -1;
  return static_cast<int>(std::strtol(text, nullptr, 16)) & 0x7F;
}

// A station run on simulated boards has no test to shape the stream; QRV_SIM_CRC_TRAILER=1 gives every
// board's receiver the per-line CRC trailer.
bool CrcTrailerFromEnvironment() {
  const char* text = std::getenv("QRV_SIM_CRC_TRAILER");
  return text != nullptr && std::strcmp(text, "1") == 0;
}

void ReadEnvironmentOnce(State& state) {
  if (state.environmentRead) return;
  state.environmentRead = true;
  if (const char* switches = std::getenv("QRV_SIM_FAULTS")) ApplyFaultSwitches(switches);
}

}  // namespace

std::mutex& StateLock() { return TheState().lock; }

Board& BoardAt(int index) {
  State& state = TheState();
  ReadEnvironmentOnce(state);
  auto& slot = state.boards[index];
  if (!slot) {
    slot = std::make_unique<Board>(index);
    slot->sensorAddress = SensorAddressFromEnvironment();
    slot->crcTrailer = CrcTrailerFromEnvironment();
  }
  return *slot;
}

Faults& FaultsOfEveryBoard() {
  State& state = TheState();
  ReadEnvironmentOnce(state);
  return state.everyBoard;
}

void ResetState() {
  State& state = TheState();
  state.boards.clear();
  state.everyBoard = Faults{};
  state.events.clear();
  state.environmentRead = false;
}

void ClearFaults() {
  State& state = TheState();
  state.environmentRead = true;
  state.everyBoard = Faults{};
  for (auto& [index, board] : state.boards) board->faults = Faults{};
}

VelkaraSimEvent MakeEvent(int board, int kind) {
  VelkaraSimEvent event{};
  event.board = board;
  event.kind = kind;
  event.timeNs = port::clock::Now().time_since_epoch().count();
  return event;
}

void Record(VelkaraSimEvent event) { TheState().events.push_back(event); }

int EventCountLocked() { return static_cast<int>(TheState().events.size()); }

bool EventAtLocked(int index, VelkaraSimEvent* event) {
  const State& state = TheState();
  if (index < 0 || index >= static_cast<int>(state.events.size()) || !event) return false;
  *event = state.events[static_cast<size_t>(index)];
  return true;
}

void ClearEventsLocked() { TheState().events.clear(); }

}  // namespace velkarasim
