#pragma once
// The site panel: the station's run controls, and at the same time the platform record that every library
// and test item receives. It loads the system libraries and the test items, owns one runner per site, the
// start dispatcher, the handler's and the keypad's commands, and tears all of it down in order.
//
// Threads: widgets are touched on the UI thread only. Site runners, protocol workers and the start
// dispatcher reach the panel through SiteRunHost, ExportTarget and StartSite; those change models and flags
// and queue view updates.
#include <QDialog>
#include <QEvent>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "CurrentLibrary.h"
#include "CycleRunner.h"
#include "CycleSettingManager.h"
#include "ErrorList.h"
#include "ExportedCallbacks.h"
#include "LayoutEditorHost.h"
#include "MainScreenLayout.h"
#include "PlatformLoadlibrary.h"
#include "QRV_PlatformMemory.h"
#include "SiteLogTab.h"
#include "SiteModel.h"
#include "SiteRunHost.h"
#include "TestLogCsv.h"
#include "TestThread.h"
#include "port/event.h"

class CBaseDraw;
class CommandMenuBar;
class CPfMemoryDlg;
class CFontStatic;
class CGridCtrl;
class CIntegratedLog;
class CSiteCtrl;
class CStaticImage;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class QTabBar;
class QTimer;
class SiteSpecTabDlg;
class UIManagerDlg;

class DynamicDlg : public QDialog, public CQRV_LoadMemory, public SiteRunHost, public ExportTarget,
                   public LayoutEditorHost {
  Q_OBJECT

 public:
  static constexpr int kTimerId = 100;
  static constexpr int kTimerPeriodMs = 1000;
  // Lot numbers come from the operator and the handler; they are kept to this many bytes.
  static constexpr std::size_t kMaxLotNumber = 64;

  // Builds the record (which loads the utility library of the station folder) and the panel's controls.
  explicit DynamicDlg(QWidget* parent = nullptr);
  ~DynamicDlg() override;

  // ---- construction and initialisation (DynamicDlg.cpp)
  // The whole start-up: settings, libraries, site controls, test items, runners, dispatcher, timer.
  int OnInitDialog();
  void BindSetLog();
  void ReadPlatformConfig();
  void ReadSiteSettings();
  void CreateChildWindows();
  void CreateSiteThreads();
  // The main window hands over its site views; then their rectangles, surfaces and windows reach the record.
  void AttachSiteViews(const std::vector<CBaseDraw*>& views);
  void StoreViewRects();
  void StoreViewRect(int site);
  void StoreViewHandles();
  int DrawMode() const { return m_nDrawMode; }
  // Any thread: the layout editor's drawing options as it last handed them over (its live values).
  DrawOptions LiveDrawOptions() const;
  void SetDrawOptions(const DrawOptions& options) override;
  // The zoom slider and text follow a zoom set elsewhere (the main window's wheel).
  void ShowZoom(int zoom);
  // "" on real boards; the QRV_SIM_BOARDS value when the station runs on simulated boards.
  static std::string SimulatedBoards();

  // ---- start dispatch, start and stop, reports (DynamicDlgStart.cpp)
  void OnBnClickedStart();
  void OnBnClickedStop();
  int StartSite(int site, int usb, int server) override;
  int IsAnySiteRunning();
  void ClearStopFlag();
  void SetRepeatRun(int repeatMode, unsigned repeatCount);
  void SendSiteStatus(int usb, int site) override;
  void SendSiteResult(int site, int code) override;
  void DrawSiteResult(int site, int usb, int code, const std::string& text) override;

  // ---- lot change and the checks before a run (DynamicDlgLot.cpp)
  void ChangeLotNumber();
  void OnMenuLotNumber() { ChangeLotNumber(); }
  // The operator's confirmed lot: stored, counts and times of the lot reset. Deferred while a site runs.
  void ApplyOperatorLot(const std::string& lot);
  bool CheckSystemVersion(int site) override;
  void CheckDeviceInit(int site) override;
  bool CheckLogDirectories() override;
  std::string ListLogFolder() override;
  // A lot text made safe to store in an ini value and to use in a file name, and bounded.
  static std::string SanitizeLotNumber(const std::string& text);
  std::optional<std::string> PendingLot() const;

  // ---- settings windows (DynamicDlgSettings.cpp); each returns its dialog's result
  // "Config"; after OK the model's settings are read again and the item settings pages rebuilt.
  int OpenConfig();
  // A double click on "Info Msg" is the main window's "Config".
  void OnInfoMsgDblClk();
  // "Communication"; after OK the keypad switch is read again and the handler-link library loaded anew.
  int OpenCommunication();
  // "Error Code Edit": the runs read the saved table again at their next failure.
  int OpenErrorCode();
  // After the Config dialog stored another model: the record's model, paths and names, the main window's title.
  void ReloadConfig();
  // After the Config dialog's Save: para, draw type, log folders and names of the current model.
  void ReadModelSettings();

  // ---- handler and keypad commands (DynamicDlgCommands.cpp)
  std::intptr_t OnProtocolCommand(const char* text);
  // A key pressed in the panel (virtual-key code); true when the panel's own keyboard handling is skipped.
  bool PreTranslateKey(int virtualKey);

  // ---- shutdown and timer (DynamicDlgShutdown.cpp)
  // Stops and joins every thread, unloads the test items and libraries in order; runs once.
  void OnDestroy();
  void OnTimer(int id);

  // ---- SiteRunHost (DynamicDlgSiteHost.cpp)
  bool AllItemsLoaded() override;
  bool OverrideStart() override { return m_bOverride.load() != 0; }
  bool TakeHomeRequest() override { return m_bHomeRequest.exchange(0) != 0; }
  bool FinishAfterPass() override { return m_bFinishAfterPass.load() != 0; }
  bool SendResultFirst() override { return m_nSendResultMode != 0; }
  std::string ErrorCodePath() override;
  void SetProtocolErrorMsg(const std::string& text) override;
  void ShowSiteView(int site) override;  // DynamicDlgTabView.cpp
  std::vector<ItemRow> LoadSiteItems(int site) override;
  void SetLogHeader(int site) override;
  void ClearLog(int site) override;
  void SetLogBody(int site, int row, int attempts, const ItemRow& item) override;
  void SetLogEnd(int site, const TestLogEnd& end) override;
  void ReloadSiteCycleEnd(int site) override;
  int RunCycleEnd(int site, int usb, int lotTotal, int server) override;
  void UpdateYield(bool pass, int site) override;
  void UpdateErrorList(int site, int usbOrPara) override;
  void UpdateAverageTime(int site, const std::string& elapsedMs, bool reset) override;

  // ---- ExportTarget (DynamicDlgSiteHost.cpp)
  CQRV_LoadMemory& Record() override { return *this; }
  int SiteCount() override { return static_cast<int>(m_vecTestThread.size()); }
  // Refused (null) once the panel closes; the panel itself keeps reaching its runners through SiteRunner.
  CTestThread* Runner(int site) override;
  SiteModel* Model(int site) override;
  void AddListLog(int site, std::string text) override;
  void SetOverride(int overrideFlag) override { m_bOverride.store(overrideFlag != 0 ? 1 : 0); }
  void SelectSiteTab(int site) override;
  void SetFinishAfterPass() override { m_bFinishAfterPass.store(1); }
  void StopAll() override;
  int GetFpsDraw() override { return LiveDrawOptions().fpsDraw ? 1 : 0; }
  void DrawSiteLabel(int site) override;

  // ---- tab view, zoom and the item lists' commands (DynamicDlgTabView.cpp)
  // In the tab view (draw mode 3) only the site's view and controls are shown; elsewhere nothing happens.
  void ShowSitePanel(int site);
  void OnTabSelChange();
  // The zoom slider's position + 100 percent, shown in the zoom text and handed to the site views.
  void ApplyZoom();
  // UI thread. One pass of the tab follower: in the tab view with one shared device, its site's tab and controls.
  void TabFollowPass();
  QLabel* ZoomText() const { return m_stZoom; }
  QSlider* ZoomSlider() const { return m_sliderZoom; }
  QTabBar* SiteTab() const { return m_tabSite; }

  // Controls the tests and the main window reach.
  QPushButton* StartButton() const { return m_btnStart; }
  QPushButton* StopButton() const { return m_btnStop; }
  QPushButton* LotButton() const { return m_btnLot; }
  CFontStatic* ResultLabel(int site) const;
  CSiteCtrl* ItemList(int site) const;
  MainScreenLayout& Layout() { return m_Layout; }
  const ItemLibraryMap& Items() const { return m_items; }
  SiteLogTab* TestLogWindow() const { return m_pSiteLogTab; }
  CycleSettingManager* CycleWindow() const { return m_pCycleWindow; }
  const ErrorList* Errors() const { return m_errorList.get(); }
  TestLogCsv* TestLog(int site) const;
  // The cycle editor, modal; after a Save the cycle runner, the send-result option and the cycle items
  // follow the new Cycle.ini and the Init list runs again. Returns the dialog's result.
  int OpenCycleManager();
  // "Free Library" and "Load Library": every test item and cycle item unloaded, or loaded again with the Init
  // list run; each does nothing when the items are already so. While a site is testing both do nothing and
  // return false. (DynamicDlgLibraries.cpp)
  bool FreeLibrary();
  bool LoadLibrary();
  // "Current Library": the item-library window, brought to the front.
  void OpenCurrentLibrary();
  CurrentLibrary* CurrentLibraryWindow() const { return m_pCurrentLibrary; }
  bool IsInitialised() const { return m_bInitialised; }

  // ---- item windows (DynamicDlgItemWindows.cpp)
  // "Dll Manager", modal. After Apply the site item lists, the "Spec Setting" pages and the test items
  // follow the new registration, in this order; nothing is reloaded while a site tests.
  // Returns the dialog's result.
  int OpenSiteManager();
  // "Spec Setting", modeless, built on first use and shown.
  SiteSpecTabDlg* OpenSpecSetting();
  // The single-list item manager, modal; no run reads its list. Returns the dialog's result.
  int OpenDllManager();
  // The "Spec Setting" pages read the registration again (after it or the model changed).
  void RebuildSpecSetting();
  bool IsDestroyed() const { return m_bDestroyed; }

  // ---- menus, login and test modes (DynamicDlgMenu.cpp)
  CommandMenuBar* PanelMenuBar() const { return m_menuBar; }
  // The level logged in: 0 Operator, 1 Maintenance, 2 Engineer (a pending re-apply of the rights aside).
  int LoginLevel() const;
  int IsLoggedIn() const { return m_bLoggedIn.load(); }
  // The [MENU_ENABLE] rights of the login on the main window's and the panel's menu bars.
  void ApplyMenuRights();
  void LoginAndApplyRights();
  void RunTestModeDialog();
  int RepeatMode() const { return m_nRepeatMode.load(); }
  unsigned RepeatCount() const { return m_nRepeatCount.load(); }
  void ShowListLogWindow();
  // "PF Memory": the platform-memory viewer refilled from the record and brought up.
  void ShowPfMemory();
  CPfMemoryDlg* PfMemoryWindow() const;
  // ---- the screen-layout editor and the editing mode (DynamicDlgLayoutEdit.cpp)
  // "Controller Setting": the editing mode on and the editor shown; false when there is no editor.
  bool OpenControllerSetting();
  // The editor closed: controls are no longer dragged.
  void EndControllerSetting() override;
  bool IsUiEditMode() const { return m_bUiEditMode.load() != 0; }
  UIManagerDlg* LayoutEditor() const;
  CIntegratedLog* ListLogWindow() const override;
  QWidget& PanelWidget() override;
  void RestyleScreen(const char* section) override;
  void PlaceAndStyleControls() override;

 protected:
  // Esc never closes the panel.
  void reject() override {}
  bool eventFilter(QObject* watched, QEvent* event) override;
  // With the keypad commands on, Enter and Esc are the focused control's, never the panel's buttons'.
  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // DynamicDlg.cpp
  void CreateControls();
  void CreateSiteModels(int siteCount);
  void ReportSimulation();
  std::string ReadRecordIni(const char* section, const char* key, const char* defaultText, const std::string& path);
  int ReadRecordIniInt(const char* section, const char* key, int defaultValue, const std::string& path);
  void QueueSiteRefresh(int site);
  CBaseDraw* View(int site) const;

  CTestThread* SiteRunner(int site) const;
  bool AnySiteRunningNow() const;

  // DynamicDlgLayoutEdit.cpp
  void CreateLayoutEditor();
  // In the editing mode a left-button drag moves the panel's control under the mouse and stores its
  // rectangle; the control itself never sees the press, so a dragged button is not clicked.
  bool FilterControlDrag(QObject* watched, QEvent* event);

  // DynamicDlgStart.cpp
  void StartDispatcher();
  void StartSites(bool onlyTabSite);
  void Log(int site, const char* format, ...) const __attribute__((format(printf, 3, 4)));
  void ShowStopOnSite(int site);

  // DynamicDlgSettings.cpp
  // Start-up with the stored model's folder missing: the Config dialog in model-only mode until a model is chosen.
  void ChooseModelAtStartUp();
  // Test items keep the protocol library's table: they are unloaded before it and loaded again after it.
  bool ReloadProtocolLibrary();

  // DynamicDlgLot.cpp
  void ResetLot(bool clearErrorGrid, bool keepStoredErrorRows = false);
  void ApplyPendingLot();
  void ApplyHandlerLot(const std::string& lot);

  // DynamicDlgLibraries.cpp
  void CreateLibraryWindow();
  void FreeItemLibraries();
  void LoadItemLibraries();
  // True when the items are loaded and no load or free is under way; loads freed items first.
  bool EnsureItemsLoaded();

  // DynamicDlgRecords.cpp
  CGridCtrl* CycleGrid(QWidget* parent);
  void CreateRecordWindows();
  std::string TestLogBase();
  bool TestLogFolderWritable();
  void PostLogRow(int site, const QStringList& cells);
  void ShowErrorList();
  void WriteLotEndSummaries();
  void StartLotTestLogs();

  // DynamicDlgTabView.cpp
  void ConnectViewCommands();
  void TabFollow();
  bool OwnsKeyTarget(const QWidget* widget) const;
  void FollowZoomSlider(QEvent::Type type);
  void SetSiteControlsVisible(int site, bool visible);
  void ShowOnlySiteView(int site);

  // DynamicDlgMenu.cpp
  void CreateMenuBar();

  // DynamicDlgShutdown.cpp
  void StopPanelWorkers();
  void StopHandlerServers();
  void JoinSiteRunners();

  // ---- state read by several threads
  std::atomic<int> m_nSendResultMode{0};
  std::atomic<int> m_bItemsLoaded{1};
  // Set while the UI thread loads or frees the items. An item's create hook may show a message box, whose
  // event loop can deliver a start: that start is refused rather than loading the items a second time.
  std::atomic<bool> m_bItemsLoading{false};
  std::atomic<int> m_bHomeRequest{0};
  std::atomic<int> m_bFinishAfterPass{0};
  std::atomic<int> m_bKeyUse{0};
  std::atomic<unsigned> m_nRepeatCount{1};
  std::atomic<int> m_bUiEditMode{0};
  std::atomic<int> m_bLoggedIn{0};
  std::atomic<int> m_bOverride{0};
  std::atomic<int> m_nDrawMode{0};
  mutable std::mutex m_drawLock;
  DrawOptions m_drawOptions;
  std::atomic<int> m_nRepeatMode{0};
  std::atomic<int> m_nTabSite{0};
  std::atomic<bool> m_bClosing{false};
  std::atomic<bool> m_bWorkersStop{false};
  // Counts the STOPs: a site whose run begins clears the stop-all flag, so a repeated run that looked at the
  // flag alone could miss a STOP that came just before a site began.
  std::atomic<unsigned> m_nStopRequests{0};
  bool m_bInitialised = false;
  bool m_bDestroyed = false;
  std::array<int, 10> m_nKeyCode{};

  // Held shared while a report calls into the protocol library, exclusively while it is unloaded.
  mutable std::shared_mutex m_protocolLock;
  // A lot change that waits for the running sites to finish.
  mutable std::mutex m_lotLock;
  std::optional<std::string> m_pendingLot;
  bool m_pendingLotFromHandler = false;

  std::thread m_pStartThread;
  port::Event m_hStartDispatchEvent;
  std::thread m_tabFollowThread;
  port::Event m_hTabFollowEvent;
  // 1 while the left button, pressed on the zoom slider, is held.
  int m_bZoomDrag = 0;
  int m_nTimer = 0;

  // ---- sites: models outlive the runners that change them
  std::vector<std::unique_ptr<SiteModel>> m_models;
  std::array<std::atomic<bool>, kMaxSites> m_refreshQueued{};
  ItemLibraryMap m_items;
  // The vector keeps its size for the panel's life; a runner's slot is emptied under the lock when it goes.
  mutable std::mutex m_runnerLock;
  std::vector<std::unique_ptr<CTestThread>> m_vecTestThread;
  // ---- what runs leave behind: one test log per site, the station's error list, the cycle lists
  std::vector<std::unique_ptr<TestLogCsv>> m_testLogs;
  std::unique_ptr<ErrorList> m_errorList;
  std::unique_ptr<CycleRunner> m_cycles;
  mutable std::mutex m_viewLock;
  std::vector<QPointer<CBaseDraw>> m_views;

  // ---- windows and controls (owned by the panel's widget tree)
  QPointer<CIntegratedLog> m_pIntegratedLog;
  QPointer<SiteLogTab> m_pSiteLogTab;
  QPointer<CycleSettingManager> m_pCycleWindow;
  CommandMenuBar* m_menuBar = nullptr;
  QPointer<CPfMemoryDlg> m_pPfMemoryDlg;
  QPointer<CurrentLibrary> m_pCurrentLibrary;
  QPointer<SiteSpecTabDlg> m_pSpecWindow;
  MainScreenLayout m_Layout;
  std::vector<CStaticImage*> m_vecResultImage;
  std::vector<CSiteCtrl*> m_vecItemList;
  std::vector<CFontStatic*> m_vecResultLabel;
  std::vector<CFontStatic*> m_vecTimeLabel;
  std::vector<CFontStatic*> m_vecAverageDll;
  std::vector<CFontStatic*> m_vecAverageThread;
  QPushButton* m_btnLot = nullptr;
  QPushButton* m_btnStart = nullptr;
  QPushButton* m_btnStop = nullptr;
  CFontStatic* m_stInfoMsg = nullptr;
  QLabel* m_stZoom = nullptr;
  CFontStatic* m_stUserMsg = nullptr;
  CFontStatic* m_stFirmwareVersion = nullptr;
  CFontStatic* m_stItemVersion = nullptr;
  CStaticImage* m_imgLogo = nullptr;
  QTabBar* m_tabSite = nullptr;
  QSlider* m_sliderZoom = nullptr;
  std::vector<CGridCtrl*> m_listYield;
  CGridCtrl* m_gridList = nullptr;
  std::shared_ptr<QPointer<DynamicDlg>> m_self;
  // The editor lives as long as the panel; the drag state belongs to the editing mode.
  QPointer<UIManagerDlg> m_pUIManagerDlg;
  QPointer<QWidget> m_pDragCtrl;
  QPoint m_ptDragStart;
  bool m_bDragging = false;
};
