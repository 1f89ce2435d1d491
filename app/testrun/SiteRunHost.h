#pragma once
// What a site's test thread needs of the site panel. The panel implements it (tests fake it); every call
// may come from a site's item loop, so an implementation changes models and queues view updates, and never
// touches a widget from the calling thread.
#include <string>
#include <vector>

#include "SiteModel.h"

// The end block of a run in the site's test log.
struct TestLogEnd {
  std::string lotTotal;   // the site's lot total count before this run
  int resultCode = 0;     // the code sent to the handler
  std::string label;      // the result label's text ("Msg")
  bool pass = false;
  std::string startStamp;  // "%04d/%02d/%02d %02d:%02d:%02d:%03d"
  std::string barcode;
  int para = 0;
};

class SiteRunHost {
 public:
  virtual ~SiteRunHost() = default;

  // --- panel state the loop reads
  virtual bool AllItemsLoaded() = 0;
  virtual bool OverrideStart() = 0;           // m_bOverride of the last handler start
  virtual bool TakeHomeRequest() = 0;         // reads and clears m_bHomeRequest
  virtual bool FinishAfterPass() = 0;         // m_bFinishAfterPass
  virtual bool SendResultFirst() = 0;         // Cycle.ini [CYCLE_SEND_RESULT] check
  virtual std::string ListLogFolder() = 0;    // DynamicDlg::GetListLogFolder
  virtual std::string ErrorCodePath() = 0;    // full path of the model's ErrorCode.ini

  // --- pre-checks and run start
  virtual bool CheckSystemVersion(int site) = 0;
  virtual bool CheckLogDirectories() = 0;
  virtual void CheckDeviceInit(int site) = 0;
  // Config.ini [PROTOCOL] ERROR_MSG of the current model.
  virtual void SetProtocolErrorMsg(const std::string& text) = 0;
  // Tab view shows only this site's view; the view leaves the captured-image display.
  virtual void ShowSiteView(int site) = 0;

  // --- the site's item registration
  // The checked entries of the site's registration, as fresh rows ("Ready", empty Code/Tact/Error Msg), each
  // with its entry's total attempts (0 and 1 both mean one call).
  virtual std::vector<ItemRow> LoadSiteItems(int site) = 0;

  // --- test log
  virtual void SetLogHeader(int site) = 0;
  virtual void ClearLog(int site) = 0;
  virtual void SetLogBody(int site, int row, int attempts, const ItemRow& item) = 0;
  virtual void SetLogEnd(int site, const TestLogEnd& end) = 0;

  // --- End cycle
  virtual void ReloadSiteCycleEnd(int site) = 0;
  // Powers the module down first with hardware type 20; returns the last item's result.
  virtual int RunCycleEnd(int site, int usb, int lotTotal, int server) = 0;

  // --- counts and views
  // Adds the run to the site's counts (SiteModel::AddYield) and stores them.
  virtual void UpdateYield(bool pass, int site) = 0;
  virtual void UpdateErrorList(int site, int usbOrPara) = 0;
  virtual void UpdateAverageTime(int site, const std::string& elapsedMs, bool reset) = 0;
  virtual void DrawSiteResult(int site, int usb, int code, const std::string& text) = 0;

  // --- reports to the handler (the protocol library, looked up on the record's protocol module)
  virtual void SendSiteResult(int site, int code) = 0;
  virtual void SendSiteStatus(int usb, int site) = 0;
};
