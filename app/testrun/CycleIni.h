#pragma once
// The model's cycle lists in Cycle.ini: the Init list, one End list per site and the Close list, with their
// "ShowWIndow" options and the send-result option. The editor and the runner read every entry through one
// reader, so that a row the editor shows checked is a row the runner runs.
#include <optional>
#include <string>
#include <vector>

struct CycleEntry {
  std::string dll;
  bool checked = false;
  std::string retry;
  bool operator==(const CycleEntry&) const = default;
};

// An entry as the file holds it, for the editor, which keeps what it cannot show: the fields as the reader
// takes them and the stored text (none when the key is missing).
struct StoredCycleEntry {
  CycleEntry entry;
  std::optional<std::string> text;
};

namespace cycleini {

// A cycle list holds item libraries, as a site's item list does (ItemRegistration::kMaxEntries).
inline constexpr int kMaxCycleEntries = 1000;

// "Ref/<model>/Cycle.ini", relative to the program folder.
std::string CyclePath();
// "<letter>.CYCLE_END_DLL" for "END", "CYCLE_<phase>_DLL" otherwise.
std::string SectionOf(const std::string& phase, char siteLetter);

// Every entry from 0 to Count - 1 (at most kMaxCycleEntries), unchecked ones too, in run order, the count and
// the entries from one version of the file. An entry, "<dll>,<checked>,<retry>", is split at commas and taken by
// position: the checked flag by the text-to-integer rule, a missing field as empty text, a missing key as "0"
// (DLL "0", not checked).
std::vector<CycleEntry> ReadCycleList(const std::string& path, const std::string& section);
// The same entries with their stored texts.
std::vector<StoredCycleEntry> ReadStoredEntries(const std::string& path, const std::string& section);
// "<dll>,<checked>,<retry>".
std::string EntryText(const CycleEntry& entry);
// Why the entry would not read back as it is (a comma in the DLL name), or empty text.
std::string WriteFault(const CycleEntry& entry);

void SaveCycleList(const std::string& path, const std::string& section, const std::vector<CycleEntry>& entries);
// "Count" and one key per text in order; a key without text is left as the file has it.
void SaveCycleTexts(const std::string& path, const std::string& section,
                    const std::vector<std::optional<std::string>>& texts);

}  // namespace cycleini
