#include "CycleIni.h"

#include <cstdlib>

#include "ModelSettings.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"

namespace cycleini {
namespace {

std::vector<std::string> SplitFields(const std::string& value) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (std::string::size_type comma; (comma = value.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(value.substr(start, comma - start));
  fields.push_back(value.substr(start));
  return fields;
}

CycleEntry EntryOf(const std::string& text) {
  const std::vector<std::string> fields = SplitFields(text);
  CycleEntry entry;
  entry.dll = fields[0];
  entry.checked = fields.size() > 1 && std::atoi(fields[1].c_str()) != 0;
  if (fields.size() > 2) entry.retry = fields[2];
  return entry;
}

}  // namespace

std::string CyclePath() { return port::JoinPath(ModelSettings::GetModelFolder(), "Cycle.ini"); }

std::string SectionOf(const std::string& phase, char siteLetter) {
  if (phase == "END") return port::Format("%c.CYCLE_END_DLL", siteLetter);
  return "CYCLE_" + phase + "_DLL";
}

std::vector<CycleEntry> ReadCycleList(const std::string& path, const std::string& section) {
  std::vector<CycleEntry> entries;
  for (StoredCycleEntry& stored : ReadStoredEntries(path, section)) entries.push_back(std::move(stored.entry));
  return entries;
}

std::vector<StoredCycleEntry> ReadStoredEntries(const std::string& path, const std::string& section) {
  // The count and the entries come from one version of the file: a list saved meanwhile is not mixed in.
  const util::ini::Snapshot file = ReadIniSnapshot(path);
  std::vector<StoredCycleEntry> stored;
  const int count = file.Count(section.c_str(), "Count", 0, kMaxCycleEntries);
  for (int entry = 0; entry < count; ++entry) {
    const std::string key = std::to_string(entry);
    const std::string text = file.Text(section.c_str(), key.c_str(), "0", kIniTextBuffer);
    StoredCycleEntry read{EntryOf(text), std::nullopt};
    // A missing key reads as its default, whichever default is given.
    if (text != "0" || !file.Text(section.c_str(), key.c_str(), "", kIniTextBuffer).empty()) read.text = text;
    stored.push_back(std::move(read));
  }
  return stored;
}

std::string EntryText(const CycleEntry& entry) {
  return port::Format("%s,%d,%s", entry.dll.c_str(), entry.checked ? 1 : 0, entry.retry.c_str());
}

std::string WriteFault(const CycleEntry& entry) {
  if (entry.dll.find(',') != std::string::npos) return "a comma in the DLL name \"" + entry.dll + "\"";
  return {};
}

void SaveCycleList(const std::string& path, const std::string& section, const std::vector<CycleEntry>& entries) {
  std::vector<std::optional<std::string>> texts;
  for (const CycleEntry& entry : entries) texts.emplace_back(EntryText(entry));
  SaveCycleTexts(path, section, texts);
}

void SaveCycleTexts(const std::string& path, const std::string& section,
                    const std::vector<std::optional<std::string>>& texts) {
  // One write: a runner that reads the list meanwhile gets the old list or the new one, never half of each.
  port::ini::KeyValues values{{"Count", std::to_string(texts.size())}};
  for (std::size_t n = 0; n < texts.size(); ++n)
    if (texts[n]) values.emplace_back(std::to_string(n), *texts[n]);
  WriteIniStrings(section.c_str(), values, path);
}

}  // namespace cycleini
