#pragma once
// Copies item library files into the program's Dll folder for the registration windows. A file takes the
// place of one of the same name (in any letter case) by a rename, so a reader never sees half a file; a
// library the station has loaded from the Dll folder is never replaced under it.
#include <functional>
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
  // isLoaded: whether the station holds a library of that DLL file name (any letter case) from the Dll folder;
  // empty when nothing is loaded.
  static DllImportResult ImportDllFiles(const std::vector<std::string>& files, const std::string& dllFolder,
                                        const std::function<bool(const std::string&)>& isLoaded);
};
