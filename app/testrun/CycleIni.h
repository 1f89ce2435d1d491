#pragma once
// The model's cycle lists in Cycle.ini: the Init list, one End list per site and the Close list, with their
// "ShowWIndow" options and the send-result option. Readers load what they can and name each entry they
// skipped, so that a hand-edited file never drops an item without a word.
#include <optional>
#include <string>
#include <vector>

struct CycleEntry {
  std::string dll;
  bool checked = false;
  std::string retry;
  bool operator==(const CycleEntry&) const = default;
};

struct CycleListLoad {
  std::vector<CycleEntry> entries;
  std::vector<std::string> skipped;  // one message per entry that was not taken
};

// An entry as the file holds it, for the editor, which keeps what it cannot show: the fields as the readers
// take them, the stored text (none when the key is missing) and why that text is no well-formed entry.
struct StoredCycleEntry {
  CycleEntry entry;
  std::optional<std::string> text;
  std::string fault;
};

namespace cycleini {

// "Ref/<model>/Cycle.ini", relative to the program folder.
std::string CyclePath();
// "<letter>.CYCLE_END_DLL" for "END", "CYCLE_<phase>_DLL" otherwise.
std::string SectionOf(const std::string& phase, char siteLetter);

// One entry: "<dll>,<checked>,<retry>"; a missing key reads "0" (DLL "0", not checked).
CycleEntry ReadCycleEntry(const std::string& path, const std::string& section, int entry);
// Every entry of the section, unchecked ones too; entries that are missing or garbled are skipped and named.
CycleListLoad LoadCycleList(const std::string& path, const std::string& section);
// The entries the runner takes: the checked ones whose DLL is in cycleFolder; the others are named.
CycleListLoad LoadCheckedEntries(const std::string& path, const std::string& section, const std::string& cycleFolder);

// Every entry from 0 to Count - 1, missing and garbled ones too.
std::vector<StoredCycleEntry> ReadStoredEntries(const std::string& path, const std::string& section);
// "<dll>,<checked>,<retry>".
std::string EntryText(const CycleEntry& entry);
// Why the entry would not read back as it is (a comma in the DLL name, a retry count that is not a number),
// or empty text.
std::string WriteFault(const CycleEntry& entry);

void SaveCycleList(const std::string& path, const std::string& section, const std::vector<CycleEntry>& entries);
// "Count" and one key per text in order; a key without text is left as the file has it.
void SaveCycleTexts(const std::string& path, const std::string& section,
                    const std::vector<std::optional<std::string>>& texts);

}  // namespace cycleini
