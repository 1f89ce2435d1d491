#pragma once
// Copies item library files into the program's Dll folder for the registration windows. A file takes the
// place of one of the same name (in any letter case) by a rename, so a reader never sees half a file and a
// library the station has loaded keeps running from the file it was loaded from.
#include <string>
#include <vector>

struct DllImportResult {
  // The files were chosen from the Dll folder itself: nothing was copied.
  bool samePath = false;
  int copied = 0;
  // One line per file that was left out, naming it and why.
  std::vector<std::string> refused;
};

class ItemImport {
 public:
  static DllImportResult ImportDllFiles(const std::vector<std::string>& files, const std::string& dllFolder);
};
