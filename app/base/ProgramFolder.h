#pragma once
// The program folder without a trailing separator: the base of every relative settings path. It is the
// folder of the program's file unless a caller (start-up, a test's station copy) sets another one.
#include <string>

class ProgramFolder {
 public:
  static std::string Root();
  // The empty text returns to the folder of the program's file.
  static void SetRoot(const std::string& root);
};
