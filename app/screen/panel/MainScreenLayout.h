#pragma once
// The site panel's screen layout: creates the per-site controls for the configured sites, places and shows
// every control of the panel by its Controller.ini [USER_INTERFACE] entry, styles the labels from the
// Controller.ini fonts, fills the information labels, and keeps the lot counts (yield rows, average times) of
// the sites in the model's Config.ini.
// Widgets are touched on the UI thread only; the count updates may come from any site's thread.
#include <QPointer>
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "QRV_Types.h"

class CFontStatic;
class CGridCtrl;
class CSiteCtrl;
class CStaticImage;
class QLabel;
class QPushButton;
class QSlider;
class QTabBar;
class QWidget;
class SiteModel;
struct YieldCounts;

class MainScreenLayout {
 public:
  // The panel's fixed controls and the lists the per-site controls go into.
  struct Controls {
    CFontStatic* infoMsg = nullptr;
    CStaticImage* logo = nullptr;
    std::vector<CStaticImage*>* resultImages = nullptr;
    QPushButton* lotButton = nullptr;
    QPushButton* startButton = nullptr;
    QTabBar* siteTab = nullptr;
    std::vector<CFontStatic*>* resultLabels = nullptr;
    QSlider* zoomSlider = nullptr;
    QLabel* zoomText = nullptr;
    CFontStatic* userMsg = nullptr;
    std::vector<CSiteCtrl*>* itemLists = nullptr;
    CFontStatic* firmwareVersion = nullptr;
    std::vector<CGridCtrl*>* yieldLists = nullptr;
    QPushButton* stopButton = nullptr;
    CFontStatic* itemVersion = nullptr;
    std::vector<CFontStatic*>* averageDll = nullptr;
    std::vector<CFontStatic*>* averageThread = nullptr;
    CGridCtrl* errorList = nullptr;
    std::vector<CFontStatic*>* timeLabels = nullptr;
  };

  void SetOwner(QWidget* owner) { m_owner = owner; }
  // UI thread: one set of per-site controls for each model (the site count), their styles and texts, then
  // PlaceControls.
  void Init(const Controls& controls, const std::vector<SiteModel*>& models);

  int GetSiteCount() const { return static_cast<int>(m_models.size()); }

  // UI thread: every control moved to its rectangle (hidden ones too).
  void PlaceControls();
  // UI thread: every control shown or hidden by its shown flag.
  void ShowControls();
  // A dragged control's rectangle, stored shown under the control's key; ids of no control are ignored.
  void SaveControlRect(int id, const QrvRect& rect);
  // The [USER_INTERFACE] key of a control id, with the site's letter for per-site ids of the configured
  // sites; empty for any other id.
  static std::string ControlKey(int id, int siteCount);

  // UI thread. The font section names the Controller.ini section the fonts are read from.
  void StyleSiteMessage(const char* section, int site);
  void ShowInformationMsg(const char* section);
  void ShowUserMsg(const char* section);
  // The firmware-version label stays empty: no version is read for it, only its style.
  void ShowFirmwareVersion(const char* section);
  void ShowItemVersion(const char* section);
  void StyleTimeCounter(const char* section);
  void StyleAverageDll(const char* section);
  void StyleAverageThread(const char* section);
  // Every site's item list from the registration files again.
  void ReloadDllLists();
  // One font entry (<name>_FONT of the section) on one label.
  static void ApplyControlFont(CFontStatic* label, const char* section, const char* name);

  // UI thread: the site's controls from its model (label text, picture, time, counts).
  void RefreshSite(int site);

  // Counts: from any thread, each update whole under one lock.
  void LoadYieldCounts(bool reset);
  void UpdateYield(bool pass, int site);
  void UpdateAverageTime(int site, const std::string& elapsedMs, bool reset);
  void LoadErrorList(bool clear);
  // UI thread.
  void DeleteYieldLists();

  // The percentage in five characters, cut and never rounded ("66.66%", "0.500%", "100%"); "0%" without runs.
  static std::string FormatYield(int pass, int total);

 private:
  struct SiteTimes {
    std::int64_t itemTotalMs = 0;
    std::int64_t threadTotalMs = 0;
  };
  struct Placed {
    QWidget* control;
    std::string key;
  };

  std::vector<Placed> AllControls() const;
  void CreateSiteItemLists();
  void CreateTestStatePictures();
  void CreateSiteMessages(const char* section);
  void CreateYieldLists();
  static void FitRowUnderHeader(CGridCtrl& list, int height);
  void InitZoomSlider();
  void CreateSiteLabels(std::vector<CFontStatic*>* list, int firstId);
  void CreateTimeCounters(const char* section);
  void StyleSiteLabels(std::vector<CFontStatic*>* list, const char* keyFormat, const char* section);
  void StoreCounts(int site);
  std::string ShownYield(int site, const YieldCounts& counts);
  void ShowAverages(int site);

  QWidget* m_owner = nullptr;
  Controls m_controls;
  std::vector<SiteModel*> m_models;
  std::mutex m_statsLock;
  std::array<SiteTimes, kMaxSites> m_times{};
  // The Yield text the file held at the build, shown until the site's next test or the lot's reset; empty:
  // the text follows the counts.
  std::array<std::string, kMaxSites> m_loadedYield{};
};
