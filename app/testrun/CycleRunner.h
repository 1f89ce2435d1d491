#pragma once
// Runs the model's cycle lists: the Init list after each load of the items, and each site's End list after
// every test of that site, up to eight at once on the sites' threads. A run keeps the list it started with and
// writes its results into it under one lock; a re-read of Cycle.ini replaces whole lists, so a list read again
// while a site runs it changes nothing under that run and serves the next one. The window that shows the lists
// learns of a change through the hooks, which are called on the running thread and must only queue work for
// the UI thread.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CycleIni.h"
#include "ErrorCodeTable.h"
#include "TestLogCsv.h"

class CQRV_LoadMemory;
class ItemLibraryMap;

// Row states of a cycle list.
enum CycleRowState : int { kCycleReady = 0, kCycleTesting = 1, kCyclePass = 2, kCycleFail = 3 };

class CycleRunner {
 public:
  // Which list: the Init list, the Close list, or the End list of a site (kEnd + site index).
  enum List : int { kInit = -2, kClose = -1, kEnd = 0 };

  struct Hooks {
    std::function<void(int list)> changed;          // the list's rows changed
    std::function<void()> showWindow;               // a failing row asks for the window
    std::function<TestLogCsv*(int site)> siteLog;    // the site's test log, or null
    std::function<void(int site)> siteLogSection;    // the End section line went into the site's test log
  };

  CycleRunner(const ItemLibraryMap& items, CQRV_LoadMemory& record, std::function<std::string()> errorCodePath);

  void SetHooks(Hooks hooks);
  // root: the program folder (the Cycle folder lies under it); path: the model's Cycle.ini.
  void SetFolders(std::string root, std::string cyclePath);

  void ReadShowWindowFlags();
  void LoadAllCycleLists(int siteCount);
  void ReloadSiteCycleEnd(int site);
  // Runs the list; the result of the last row run, 0 when every row passed. ran, when given, receives the
  // rows as the run left them, also when the list was read again during the run.
  int RunCycle(int list, int usb, int site, int lotTotal, int server, std::vector<CycleRow>* ran = nullptr);

  std::vector<CycleRow> Rows(int list) const;
  int SiteCount() const;

 private:
  using RowList = std::shared_ptr<std::vector<CycleRow>>;

  RowList ReadCycleRows(int list) const;
  RowList Current(int list) const;
  std::vector<CycleRow> Copy(const RowList& rows) const;
  CycleRow CopyRow(const RowList& rows, int row) const;
  void SetCycleRowState(int list, const RowList& rows, int row, int state, int code);
  void SetCell(int list, const RowList& rows, int row, std::string CycleRow::*cell, std::string text);
  int RunRow(int list, const RowList& rows, int row, const CycleRow& current, int board, int site, int lotTotal,
             int server, int running);
  bool ShowFlag(int list) const;
  void Changed(int list);

  const ItemLibraryMap& m_items;
  CQRV_LoadMemory& m_record;
  ErrorCodeTable m_errorCodes;
  Hooks m_hooks;
  std::string m_root;
  std::string m_cyclePath;
  // Guards the list pointers and every row behind them, the lists that runs still hold included.
  mutable std::mutex m_lock;
  RowList m_init = std::make_shared<std::vector<CycleRow>>();
  RowList m_close = std::make_shared<std::vector<CycleRow>>();
  std::vector<RowList> m_end;
  int m_showInit = 0;
  int m_showEnd = 0;
  int m_showClose = 0;
};
