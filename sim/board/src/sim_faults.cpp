// Fault switches: "dead_board=1;sensor_nak;over_current=0;bad_crc_lines=3,7" ("bad_crc_lines=3,7@1" hits board 1
// only).
#include <array>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sstream>

#include "immortal.h"
#include "sim_board.h"

namespace velkarasim {
namespace {

bool SetSwitch(Faults& faults, const std::string& name, const std::string& value, bool on) {
  if (name == "dead_board") faults.dead = on;
  else if (name == "sensor_nak") faults.sensorNak = on;
  else if (name == "mailbox_timeout") faults.mailboxTimeout = on;
  else if (name == "dio_timeout") faults.dioTimeout = on;
  else if (name == "adc_never_ready") faults.adcNeverReady = on;
  else if (name == "link_down") faults.linkDown = on;
  else if (name == "mcu_no_handshake") faults.mcuNoHandshake = on;
  else if (name == "mcu_bad_checksum") faults.mcuBadChecksum = on;
  else if (name == "mcu_bad_page") faults.mcuBadPage = on;
  else if (name == "over_current") faults.overCurrent = on;
  else if (name == "node_open_fails") faults.nodeOpenFails = on;
  else if (name == "bad_crc_lines") {
    faults.badCrcLines.clear();
    if (!on) return true;
    std::istringstream list(value);
    std::string line;
    while (std::getline(list, line, ',')) {
      if (!line.empty()) faults.badCrcLines.insert(std::atoi(line.c_str()));
    }
  } else if (!SetServiceSwitch(faults.services, name, value, on)) {
    return false;
  }
  return true;
}

}  // namespace

namespace {

// Faults by board, with the merged faults of each board kept until a switch changes.
struct FaultTable {
  std::mutex lock;
  std::array<Faults, kBoards> own;
  Faults every;
  std::array<std::shared_ptr<const Faults>, kBoards> merged;
};

FaultTable& Table() {
  static Immortal<FaultTable> table;
  return table.get();
}

Faults Merge(Faults faults, const Faults& every) {
  faults.dead |= every.dead;
  faults.sensorNak |= every.sensorNak;
  faults.mailboxTimeout |= every.mailboxTimeout;
  faults.dioTimeout |= every.dioTimeout;
  faults.adcNeverReady |= every.adcNeverReady;
  faults.linkDown |= every.linkDown;
  faults.mcuNoHandshake |= every.mcuNoHandshake;
  faults.mcuBadChecksum |= every.mcuBadChecksum;
  faults.mcuBadPage |= every.mcuBadPage;
  faults.overCurrent |= every.overCurrent;
  faults.nodeOpenFails |= every.nodeOpenFails;
  faults.badCrcLines.insert(every.badCrcLines.begin(), every.badCrcLines.end());
  MergeServiceFaults(faults.services, every.services);
  return faults;
}

// Changes the faults of one board (-1: every board); false when the board is out of range.
template <typename Fn>
bool EditFaults(int board, Fn edit) {
  if (board >= kBoards) return false;
  FaultTable& table = Table();
  std::lock_guard lock(table.lock);
  table.merged = {};
  return edit(board < 0 ? table.every : table.own[static_cast<size_t>(board)]);
}

}  // namespace

std::shared_ptr<const Faults> EffectiveFaults(const Board& board) {
  FaultTable& table = Table();
  std::lock_guard lock(table.lock);
  std::shared_ptr<const Faults>& merged = table.merged[static_cast<size_t>(board.index)];
  if (!merged) merged = std::make_shared<const Faults>(Merge(table.own[static_cast<size_t>(board.index)], table.every));
  return merged;
}

void ClearFaultTable() {
  FaultTable& table = Table();
  std::lock_guard lock(table.lock);
  table.own = {};
  table.every = Faults{};
  table.merged = {};
}

bool ApplyFault(int board, const std::string& name, const std::string& value, bool on) {
  return EditFaults(board, [&](Faults& faults) { return SetSwitch(faults, name, value, on); });
}

void SetBadCrcLines(int board, std::set<int> lines) {
  EditFaults(board, [&](Faults& faults) {
    faults.badCrcLines = std::move(lines);
    return true;
  });
}

bool ApplyFaultSwitches(const std::string& switches) {
  bool known = true;
  std::string normalised = switches;
  for (char& c : normalised) {
    if (c == ';') c = ' ';
  }
  std::istringstream words(normalised);
  std::string word;
  while (words >> word) {
    const auto equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : word.substr(equals + 1);
    // The CRC switch takes lines and, after '@', the one board they are bad on; the others take the board.
    const auto at = value.find('@');
    if (name == "bad_crc_lines" && at != std::string::npos) {
      known &= ApplyFault(std::atoi(value.c_str() + at + 1), name, value.substr(0, at), true);
    } else if (name == "bad_crc_lines" || IsPinListSwitch(name) || value.empty()) {
      known &= ApplyFault(-1, name, value, true);
    } else {
      known &= ApplyFault(std::atoi(value.c_str()), name, value, true);
    }
  }
  return known;
}

}  // namespace velkarasim
