#pragma once
// The model's cycle lists in Cycle.ini: the Init list, one End list per site and the Close list, with their
// "ShowWIndow" options and the send-result option. Readers load what they can and name each entry they
// skipped, so that a hand-edited file never drops an item without a word.
#include <string>
#include <vector>

struct CycleEntry {
  std::string dll;
  bool checked = false;
  std::string retry;
};

struct CycleListLoad {
  std::vector<CycleEntry> entries;
  std::vector<std::string> skipped;  // one message per entry that was not taken
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

void SaveCycleList(const std::string& path, const std::string& section, const std::vector<CycleEntry>& entries);

}  // namespace cycleini
