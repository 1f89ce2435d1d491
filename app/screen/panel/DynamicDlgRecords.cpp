// What every run leaves behind: the site's test log (grid and CSV), its End cycle, the station's error list,
// and the lot-end summaries. Runners call in from their threads; files are written there and the windows
// get their rows through queued calls.
#include <unistd.h>

#include <QHeaderView>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "ControllerIni.h"
#include "CycleIni.h"
#include "CycleManager.h"
#include "CycleSettingManager.h"
#include "DynamicDlg.h"
#include "ErrorList.h"
#include "GridCtrl.h"
#include "ModelSettings.h"
#include "PlatformErrorLog.h"
#include "ProgramFolder.h"
#include "SiteCtrl.h"
#include "SiteLogTab.h"
#include "SiteNames.h"
#include "TestLogCsv.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr std::uint32_t kProgramFolderLogHardware[] = {20, 21};
constexpr int kProgramFolderLogDraw = 3;

// The error list's columns: the item's error text, its code, the count, the item name and the site or board
// the failures were counted for. A row is one failure: its item name, code and site or board.
constexpr int kErrorListWidths[] = {70, 50, 50, 100, 50};
enum ErrorListColumn : int { kErrorMsg = 0, kErrorCode = 1, kErrorCount = 2, kErrorItem = 3, kErrorKey = 4 };

QStringList Cells(std::initializer_list<std::string> texts) {
  QStringList cells;
  for (const std::string& text : texts) cells << QString::fromStdString(text);
  return cells;
}

ErrorListRow ShownErrorRow(const CGridCtrl& grid, int at) {
  const auto text = [&](int column) { return grid.GetItemText(at, column).toStdString(); };
  return {text(kErrorMsg), text(kErrorCode), std::atoi(text(kErrorCount).c_str()), text(kErrorItem), text(kErrorKey)};
}

int FindShownErrorRow(const CGridCtrl& grid, const ErrorListRow& row) {
  for (int at = 0; at < grid.GetItemCount(); ++at)
    if (ErrorList::SameFailure(ShownErrorRow(grid, at), row)) return at;
  return -1;
}

// The grid keeps the order the operator gave it: a count changes in its own row, a new failure is appended,
// and a row the list no longer holds (a new lot) goes.
void ShowErrorRows(CGridCtrl& grid, const std::vector<ErrorListRow>& rows) {
  for (int at = grid.GetItemCount() - 1; at >= 0; --at) {
    const ErrorListRow shown = ShownErrorRow(grid, at);
    if (std::none_of(rows.begin(), rows.end(), [&](const ErrorListRow& row) { return ErrorList::SameFailure(row, shown); }))
      grid.DeleteItem(at);
  }
  for (const ErrorListRow& row : rows) {
    int at = FindShownErrorRow(grid, row);
    if (at < 0) {
      at = grid.InsertItem(grid.GetItemCount(), QString::fromStdString(row.msg));
      grid.SetItemText(at, kErrorCode, QString::fromStdString(row.code));
      grid.SetItemText(at, kErrorItem, QString::fromStdString(row.itemName));
      grid.SetItemText(at, kErrorKey, QString::fromStdString(row.key));
    }
    grid.SetItemText(at, kErrorCount, QString::number(row.count));
  }
}

}  // namespace

// A result grid of the cycle window: coloured by its rows' results, and a double-click opens the item's settings
// while the items are loaded.
CGridCtrl* DynamicDlg::CycleGrid(QWidget* parent) {
  auto* grid = new CSiteCtrl(parent);
  grid->SetColorMode(1);
  SiteCtrlLinks links;
  links.items = &m_items;
  links.record = this;
  links.itemsLoaded = [this] { return m_bItemsLoaded.load() != 0; };
  links.loginLevel = [this] { return static_cast<unsigned>(LoginLevel()); };
  grid->SetLinks(std::move(links));
  return grid;
}

void DynamicDlg::CreateRecordWindows() {
  const int sites = static_cast<int>(m_models.size());
  m_errorList = std::make_unique<ErrorList>(ModelSettings::GetConfigIniPath());
  m_errorList->Load();
  const auto place = [this] {
    const std::string config = ModelSettings::GetConfigIniPath();
    return TestLogPlace{TestLogBase(), ModelSettings::ReadLotNumber(), ReadIniString("LOG", "LineName", "", config),
                        ReadIniString("LOG", "MachineName", "", config)};
  };
  std::vector<QString> names;
  for (int site = 0; site < sites; ++site) {
    const std::string name = SiteNames::ReadSiteName(site);
    m_testLogs.push_back(std::make_unique<TestLogCsv>(name, place));
    names.push_back(QString::fromStdString(name));
  }
  m_pSiteLogTab = new SiteLogTab(this);
  m_pSiteLogTab->CreatePages(names);
  m_pSiteLogTab->SetHeaderHook([this](int site) { SetLogHeader(site); });

  m_cycles = std::make_unique<CycleRunner>(m_items, *this, [this] { return ErrorCodePath(); });
  m_cycles->SetFolders(ProgramFolder::Root(), cycleini::CyclePath());
  m_pCycleWindow =
      new CycleSettingManager(*m_cycles, names, [this](QWidget* parent) { return CycleGrid(parent); }, this);
  QPointer<CycleSettingManager> window = m_pCycleWindow;
  CycleRunner::Hooks hooks;
  hooks.changed = [window](int list) {
    port::ui::Post([window, list] {
      if (window) window->Refresh(list);
    });
  };
  hooks.showWindow = [window] {
    port::ui::Post([window] {
      if (!window) return;
      window->hide();
      window->show();
      window->raise();
    });
  };
  hooks.siteLog = [this](int site) { return TestLog(site); };
  hooks.siteLogSection = [this](int site) {
    PostLogRow(site, Cells({}));
    PostLogRow(site, Cells({"Cycle End"}));
  };
  m_cycles->SetHooks(std::move(hooks));
  m_cycles->ReadShowWindowFlags();
  m_cycles->LoadAllCycleLists(sites);
  // A header sort is the list's order from then on: in the counts stored and in the lot-end summaries.
  connect(m_gridList, &CGridCtrl::rowsSorted, this, [this] {
    std::vector<ErrorListRow> shown;
    for (int at = 0; at < m_gridList->GetItemCount(); ++at) shown.push_back(ShownErrorRow(*m_gridList, at));
    if (m_errorList) m_errorList->Reorder(shown);
  });
  ShowErrorList();
}

// After a Save the runner, the send-result option and the items follow the new Cycle.ini: the items are freed
// and loaded again, which runs the new Init list.
int DynamicDlg::OpenCycleManager() {
  CycleManager editor([this] { return IsAnySiteRunning() != 0; }, this);
  const int result = editor.exec();
  if (result != QDialog::Accepted || !m_cycles) return result;
  m_cycles->ReadShowWindowFlags();
  m_cycles->LoadAllCycleLists(static_cast<int>(m_models.size()));
  m_nSendResultMode.store(ReadIniInt("CYCLE_SEND_RESULT", "check", 0, cycleini::CyclePath()));
  if (FreeLibrary()) LoadLibrary();
  return result;
}

TestLogCsv* DynamicDlg::TestLog(int site) const {
  if (site < 0 || site >= static_cast<int>(m_testLogs.size())) return nullptr;
  return m_testLogs[static_cast<std::size_t>(site)].get();
}

std::string DynamicDlg::TestLogBase() {
  const std::uint32_t hardware = HardwareType;
  bool programFolder = m_nDrawMode.load() == kProgramFolderLogDraw;
  for (const std::uint32_t type : kProgramFolderLogHardware) programFolder = programFolder || hardware == type;
  return programFolder ? ProgramFolder::Root() : ModelSettings::GetListLogFolder();
}

bool DynamicDlg::TestLogFolderWritable() {
  const std::time_t now = std::time(nullptr);
  std::tm when{};
  localtime_r(&now, &when);
  const std::string folder = TestLogCsv::FolderFor(TestLogBase(), when);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (::access(folder.c_str(), W_OK) == 0) return true;
  LogPlatformError("%s [%d] ERROR : test log folder %s is not writable", __func__, __LINE__, folder.c_str());
  return false;
}

void DynamicDlg::PostLogRow(int site, const QStringList& cells) {
  QPointer<SiteLogTab> window = m_pSiteLogTab;
  port::ui::Post([window, site, cells] {
    if (window) window->AddLogRow(site, cells);
  });
}

void DynamicDlg::SetLogHeader(int site) {
  if (TestLogCsv* log = TestLog(site)) log->SetLogHeader();
}

void DynamicDlg::ClearLog(int site) {
  QPointer<SiteLogTab> window = m_pSiteLogTab;
  port::ui::Post([window, site] {
    if (window) window->ClearLog(site);
  });
}

void DynamicDlg::SetLogBody(int site, int row, int attempts, const ItemRow& item) {
  TestLogCsv* log = TestLog(site);
  if (log == nullptr) return;
  log->SetLogBody(row, attempts, item);
  QPointer<SiteLogTab> window = m_pSiteLogTab;
  const QStringList cells =
      Cells({item.item, item.code, item.result, item.errorMsg, std::to_string(attempts), item.tact, item.dllName});
  port::ui::Post([window, site, cells] {
    if (window) window->AddItemRow(site, cells);
  });
}

void DynamicDlg::SetLogEnd(int site, const TestLogEnd& end) {
  TestLogCsv* log = TestLog(site);
  if (log == nullptr) return;
  const int itemMs = log->ItemTimeMs();
  const int cycleMs = log->CycleTimeMs();
  log->SetLogEnd(end);
  PostLogRow(site, Cells({}));
  PostLogRow(site, Cells({"Test Start Time", end.startStamp}));
  PostLogRow(site, Cells({"Result Handler Code", std::to_string(end.resultCode)}));
  PostLogRow(site, Cells({"Msg", end.label}));
  PostLogRow(site, Cells({"Result", end.pass ? "PASS" : "FAIL"}));
  PostLogRow(site, Cells({"Test Item", std::to_string(itemMs) + " ms", "Cycle End", std::to_string(cycleMs) + " ms",
                          "Total Time", std::to_string(itemMs + cycleMs) + " ms"}));
}

void DynamicDlg::ReloadSiteCycleEnd(int site) {
  if (m_cycles) m_cycles->ReloadSiteCycleEnd(site);
}

// The grid shows each End row's own time, as the file does: its Tact less the Tact of the row before.
int DynamicDlg::RunCycleEnd(int site, int usb, int lotTotal, int server) {
  if (!m_cycles) return 0;
  std::vector<CycleRow> ran;
  const int result = m_cycles->RunCycle(CycleRunner::kEnd + site, usb, site, lotTotal, server, &ran);
  int before = 0;
  int index = 0;
  for (const CycleRow& row : ran) {
    const int tact = std::atoi(row.tact.c_str());
    PostLogRow(site, Cells({std::to_string(index++), row.item, row.code, row.result, row.errorMsg, row.retryCount,
                            std::to_string(tact - before), row.dllName}));
    before = tact;
  }
  return result;
}

void DynamicDlg::UpdateErrorList(int site, int usbOrPara) {
  SiteModel* model = Model(site);
  if (model == nullptr || !m_errorList) return;
  const int key = ControllerIni::ReadErrorListStandard() == 1 ? usbOrPara : site;
  m_errorList->Update(model->Rows(), std::to_string(key));
  ShowErrorList();
}

// The rows are read inside the posted call, on the UI thread: calls posted by sites that end together, or before
// a lot change, may run in any order, and each shows the list as it is when it runs, never an older copy.
void DynamicDlg::ShowErrorList() {
  QPointer<DynamicDlg> self = this;
  QPointer<CGridCtrl> list = m_gridList;
  port::ui::Post([self, list] {
    if (!self || !list) return;
    CGridCtrl& grid = *list;
    if (grid.GetColumnCount() == 0) {
      const char* last = ControllerIni::ReadErrorListStandard() == 1 ? "USB" : "SITE";
      const char* titles[] = {"Msg", "Code", "Count", "Item Name", last};
      for (int column = kErrorMsg; column <= kErrorKey; ++column)
        grid.InsertColumn(column, QString::fromUtf8(titles[column]), Qt::AlignLeft, kErrorListWidths[column]);
      grid.SetHeaderSort(1);
      // Rows as tall as their text: the list's strip below the sites shows several failures at once.
      grid.verticalHeader()->setMinimumSectionSize(0);
      grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 4);
    }
    ShowErrorRows(grid, self->m_errorList ? self->m_errorList->Rows() : std::vector<ErrorListRow>());
  });
}

// The lot that ends gets its yield and error-list summaries in every site's test log before the counts go.
void DynamicDlg::WriteLotEndSummaries() {
  const std::vector<ErrorListRow> errors = m_errorList ? m_errorList->Rows() : std::vector<ErrorListRow>();
  for (int site = 0; site < static_cast<int>(m_testLogs.size()); ++site) {
    TestLogCsv* log = TestLog(site);
    const YieldCounts counts = m_models[static_cast<std::size_t>(site)]->Counts();
    log->SetLogYieldEnd(counts, MainScreenLayout::FormatYield(counts.pass, counts.total));
    log->SetLogErrorListEnd(errors);
  }
}

// The new lot's files start at once, each with its header, so a lot shows in the log folder from its change;
// the test log window passes over every site's page on the way.
void DynamicDlg::StartLotTestLogs() {
  for (int site = 0; site < static_cast<int>(m_testLogs.size()); ++site) {
    if (m_pSiteLogTab)
      m_pSiteLogTab->SelectSite(site);
    else
      SetLogHeader(site);
  }
}
