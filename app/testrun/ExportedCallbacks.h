#pragma once
// The program's exported callbacks reach the site panel through this target, which the panel registers
// once its runners exist and withdraws before they go. Exports called without a target, or with a site
// outside the configured sites, do nothing (and say so in the log).
#include <string>

class CQRV_LoadMemory;
class CTestThread;
class SiteModel;

class ExportTarget {
 public:
  virtual ~ExportTarget() = default;
  virtual CQRV_LoadMemory& Record() = 0;
  virtual int SiteCount() = 0;
  virtual CTestThread* Runner(int site) = 0;
  virtual SiteModel* Model(int site) = 0;
  // The list-log window's line adder (time stamp, list box, daily file).
  virtual void AddListLog(int site, std::string text) = 0;
  virtual void SetOverride(int overrideFlag) = 0;
  virtual void SelectSiteTab(int site) = 0;
  // DynamicDlg::StartSite; returns its status (0 started or queued).
  virtual int StartSite(int site, int usb, int server) = 0;
  // Sets the stop-all flag as a STOP of the operator or the handler, which also ends a repeated run.
  virtual void StopAll() = 0;
  virtual void SetFinishAfterPass() = 0;
  virtual int GetFpsDraw() = 0;
  virtual void DrawSiteLabel(int site) = 0;
};

// Registers (or with nullptr withdraws) the panel; withdrawing waits for exports that are running.
void SetExportTarget(ExportTarget* target);
