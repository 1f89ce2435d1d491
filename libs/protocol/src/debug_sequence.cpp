#include "debug_sequence.h"

#include <algorithm>
#include <cctype>

#include "port/clock.h"
#include "port/ini.h"
#include "port/text.h"
#include "protocol_packet.h"
#include "text_rules.h"
#include "util/CountRule.h"

namespace protocol {
namespace {

std::string SectionOf(int list) { return port::Format("SIMUL_SEQUENEC_%c", SiteLetter(list)); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The n-th ','-item of the value's text before any '@'.
std::string Item(std::string_view value, std::size_t n) {
  const auto items = SplitList(value.substr(0, value.find('@')));
  return n < items.size() ? items[n] : std::string();
}

// The number after '=' in the n-th item ("UP_DOWN=0" gives 0).
double NumberAfterEquals(std::string_view value, std::size_t n) {
  const std::string item = Item(value, n);
  const std::size_t eq = item.find('=');
  return ParseDouble(eq == std::string::npos ? item : item.substr(eq + 1));
}

double Keyed(std::string_view value, std::string_view key) { return ParseDouble(KeyedItem(value, key)); }
int KeyedInt(std::string_view value, std::string_view key) { return ParseInt(KeyedItem(value, key)); }

void RunRow(const SequenceRow& row, const SequenceTarget& t, int index) {
  const std::string_view v = row.value;
  const int timeout = ParseInt(Item(v, 0));
  const ProtocolFunctionTable& table = *t.table;
  const auto f = std::string_view(row.function);
  if (f == "Sleep") return port::clock::SleepMs(timeout);
  if (f == "Status") {
    t.statusRow->store(index);
    t.testerState->store(ParseInt(Item(v, 1)));
    return;
  }
  if (f == "MoveCylinder") (void)table.MoveCylinder(t.server, timeout, timeout);
  if (f == "MoveChart") {
    (void)table.MoveFocusChart(t.server, static_cast<float>(Keyed(v, "X")), static_cast<float>(Keyed(v, "Y")),
                               static_cast<float>(Keyed(v, "Z")), timeout);
  }
  if (f == "MoveFocusZ") {
    (void)table.MoveFocusZ(t.server, static_cast<int>(NumberAfterEquals(v, 1)), NumberAfterEquals(v, 2), timeout);
  }
  if (f == "MoveXY") (void)table.MoveXY(t.server, KeyedInt(v, "X"), KeyedInt(v, "Y"), timeout);
  if (f == "MoveRotation") {
    (void)table.MoveRotation(t.server, NumberAfterEquals(v, 1), timeout, static_cast<int>(NumberAfterEquals(v, 2)));
  }
  if (f == "ConeLoad") (void)table.GetLoadResult(t.server, timeout);
  if (f == "Tilt") {
    (void)table.MoveTilt(t.server, static_cast<float>(Keyed(v, "X")), static_cast<float>(Keyed(v, "Y")), timeout);
  }
  if (f == "Tilt2") (void)table.MoveTilt2(t.server, KeyedInt(v, "Axis"), static_cast<float>(Keyed(v, "Angle")), timeout);
  if (f == "Tilt3") {
    (void)table.MoveTilt3(t.server, KeyedInt(v, "Axis"), static_cast<float>(Keyed(v, "X")),
                          static_cast<float>(Keyed(v, "Y")), timeout);
  }
  if (f == "Dispenser") (void)table.DisPensing(t.server, timeout);
  if (f == "IO") (void)table.SetIO_Onoff(t.server, timeout, KeyedInt(v, "IO"), KeyedInt(v, "OnOff"));
  if (f == "MoterLocation") (void)table.GetMoterLocation(t.server, KeyedInt(v, "Axis"), timeout);
}

}  // namespace

const std::vector<std::string>& SequenceFunctions() {
  static const std::vector<std::string> functions = {
      "Sleep", "Status", "MoveCylinder", "MoveChart", "MoveFocusZ", "MoveXY",        "MoveRotation", "ConeLoad",
      "Tilt",  "Tilt2",  "Tilt3",        "Dispenser", "FocusAngle", "IO",            "MoterLocation", "ReturnCode"};
  return functions;
}

std::string DefaultSequenceValue(std::string_view function) {
  static const std::vector<std::pair<std::string_view, std::string_view>> defaults = {
      {"Sleep", "3000"},
      {"Status", "1000,2"},
      {"MoveCylinder", "0"},
      {"MoveChart", "3000,X=10,Y=20,Z=10"},
      {"MoveFocusZ", "3000,UP_DOWN=0,LOCATION=0.1"},
      {"MoveXY", "3000,X=10,Y=10"},
      {"MoveRotation", "3000,Rotation=5,Speed=10"},
      {"ConeLoad", "3000"},
      {"Tilt", "3000,X=0.1,Y=0.1"},
      {"Tilt2", "3000,Axis=0,Angle=0.1"},
      {"Tilt3", "3000,Axis=0,X=0.1,Y=0.1"},
      {"Dispenser", "3000"},
      {"IO", "3000,IO=1,OnOff=1"},
      {"MoterLocation", "3000,Axis=0"},
      {"ReturnCode", "3"},
  };
  for (const auto& [name, value] : defaults) {
    if (name == function) return std::string(value);
  }
  return std::string(function);
}

std::string KeyedItem(std::string_view value, std::string_view key) {
  for (const auto& item : SplitList(value.substr(0, value.find('@')))) {
    const std::size_t eq = item.find('=');
    if (eq != std::string::npos && std::string_view(item).substr(0, eq) == key) return item.substr(eq + 1);
  }
  return {};
}

void DebugSequences::Load(const std::string& ini) {
  std::array<Sequence, kSequenceLists> lists;
  for (int list = 0; list < kSequenceLists; ++list) {
    const std::string section = SectionOf(list);
    const int count = std::max(util::ini::ReadCount(ini, section.c_str(), "SEQ_COUNT", 0, kMaxSequenceRows), 0);
    for (int row = 0; row < count; ++row) {
      const std::string text = port::ini::ReadString(ini, section, std::to_string(row), "NULL");
      const std::size_t at = text.find('@');
      lists[list].push_back({text.substr(0, at), at == std::string::npos ? std::string() : text.substr(at + 1)});
    }
  }
  const std::lock_guard lock(mutex_);
  lists_ = std::move(lists);
}

void DebugSequences::Save(const std::string& ini) const {
  const std::lock_guard lock(mutex_);
  for (int list = 0; list < kSequenceLists; ++list) {
    const std::string section = SectionOf(list);
    port::ini::WriteString(ini, section.c_str(), "SEQ_COUNT", std::to_string(lists_[list].size()).c_str());
    for (std::size_t row = 0; row < lists_[list].size(); ++row) {
      const auto& r = lists_[list][row];
      port::ini::WriteString(ini, section.c_str(), std::to_string(row).c_str(), (r.function + "@" + r.value).c_str());
    }
  }
}

Sequence DebugSequences::Rows(int list) const {
  const std::lock_guard lock(mutex_);
  return list >= 0 && list < kSequenceLists ? lists_[list] : Sequence{};
}

void DebugSequences::SetRows(int list, Sequence rows) {
  if (list < 0 || list >= kSequenceLists) return;
  const std::lock_guard lock(mutex_);
  lists_[list] = std::move(rows);
}

std::optional<int> DebugSequences::ReturnCode(int list) const {
  for (const auto& row : Rows(list)) {
    if (StartsWithNoCase(row.function, "ReturnCode")) return ParseInt(row.value);
  }
  return std::nullopt;
}

void RunDebugSequence(const Sequence& rows, const SequenceTarget& target) {
  target.statusRow->store(0);
  for (std::size_t i = 0; i < rows.size() && target.record->GetStopButtonFlag() == 0; ++i) {
    RunRow(rows[i], target, static_cast<int>(i));
  }
}

}  // namespace protocol
