#pragma once
// The model's error-code table (ErrorCode.ini): an item's code to the operator's text, to the code
// reported to the handler, and the stop code of a stopped run. Every lookup reads the files again, so a
// saved edit takes effect at the next lookup. A plain class: the item loops use it on their own threads.
#include <functional>
#include <string>

enum ItemErrorCode : int {
  kCodePass = 0,
  kCodeDllPath = -1,
  kCodeDllLoadLibrary = -2,
  kCodeSimulationPath = -3,
  kCodeHandlerCode = -4,
  kCodeBoardInUse = -5,
  kCodeNoCallCount = -6,  // a cycle row whose call count is 0 or no number: its item was not called
};

// The text of a run refused because the hardware setup dialog holds the site's board.
inline constexpr const char* kBoardInUseText = "Board in use by the setup dialog";

inline constexpr int kDefaultStopCode = 999;

class ErrorCodeTable {
 public:
  // An item's codes are three-digit numbers; an item's section never lists more entries than this.
  static constexpr int kMaxCodes = 10000;

  // errorCodePath gives the full path of the current model's ErrorCode.ini at each lookup.
  explicit ErrorCodeTable(std::function<std::string()> errorCodePath);

  std::string GetErrorCodeText(const std::string& dllName, int code) const;
  // Replaces code by the handler code of the first enabled entry for it; true when one matched.
  bool GetHandlerCode(const std::string& dllName, int& code) const;
  std::string GetMessageFileText(int code) const;
  int GetStopCode() const;
  std::string GetErrorCodePath() const { return m_errorCodePath(); }

 private:
  struct Entry {
    bool found = false;
    std::string handlerCode;
    std::string text;
  };
  Entry FindEntry(const std::string& dllName, int code) const;

  std::function<std::string()> m_errorCodePath;
};
