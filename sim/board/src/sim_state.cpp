#include <array>
#include <cstdlib>
#include <memory>
#include <new>

#include "port/clock.h"
#include "immortal.h"
#include "sim_board.h"

namespace velkarasim {
namespace {

// A long station run records events that no test reads; past this many the newest are dropped, so the
// record stays bounded and the indices a test reads stay stable.
constexpr std::size_t kMaxEvents = 1u << 16;

struct State {
  std::mutex lock;
  std::array<std::array<std::shared_ptr<Board>, kChannels>, kBoards> boards;
  bool environmentRead = false;
};

struct EventRecord {
  std::mutex lock;
  std::vector<VelkaraSimEvent> events;
};

State& TheState() {
  static Immortal<State> state;
  return state.get();
}

EventRecord& Events() {
  static Immortal<EventRecord> record;
  return record.get();
}

int SensorAddressFromEnvironment() {
  const char* text = std::getenv("QRV_SIM_SENSOR_SLAVEADDR");
  if (!text || !*text) return -1;
  return static_cast<int>(std::strtol(text, nullptr, 16)) & 0x7F;
}

void ReadEnvironmentOnce(State& state) {
  if (state.environmentRead) return;
  state.environmentRead = true;
  if (const char* switches = std::getenv("QRV_SIM_FAULTS")) ApplyFaultSwitches(switches);
}

}  // namespace

std::mutex& StateLock() { return TheState().lock; }

std::shared_ptr<Board> BoardAt(int index, int channel) {
  if (index < 0 || index >= kBoards || channel < 0 || channel >= kChannels) return nullptr;
  State& state = TheState();
  ReadEnvironmentOnce(state);
  auto& channels = state.boards[static_cast<size_t>(index)];
  if (!channels[0]) {
    for (int c = 0; c < kChannels; ++c) {
      auto board = std::make_shared<Board>(index, c);
      board->sensorAddress = SensorAddressFromEnvironment();
      channels[static_cast<size_t>(c)] = std::move(board);
    }
  }
  return channels[static_cast<size_t>(channel)];
}

void ResetState() {
  State& state = TheState();
  for (auto& channels : state.boards) channels = {};
  ClearFaultTable();
  ClearEvents();
  state.environmentRead = false;
}

void ClearFaults() {
  TheState().environmentRead = true;
  ClearFaultTable();
}

VelkaraSimEvent MakeEvent(int board, int kind) {
  VelkaraSimEvent event{};
  event.board = board;
  event.kind = kind;
  event.timeNs = port::clock::Now().time_since_epoch().count();
  return event;
}

void Record(VelkaraSimEvent event) {
  EventRecord& record = Events();
  std::lock_guard lock(record.lock);
  if (record.events.size() < kMaxEvents) record.events.push_back(event);
}

int EventCount() {
  EventRecord& record = Events();
  std::lock_guard lock(record.lock);
  return static_cast<int>(record.events.size());
}

bool EventAt(int index, VelkaraSimEvent* event) {
  EventRecord& record = Events();
  std::lock_guard lock(record.lock);
  if (index < 0 || index >= static_cast<int>(record.events.size()) || !event) return false;
  *event = record.events[static_cast<size_t>(index)];
  return true;
}

void ClearEvents() {
  EventRecord& record = Events();
  std::lock_guard lock(record.lock);
  record.events.clear();
}

}  // namespace velkarasim
