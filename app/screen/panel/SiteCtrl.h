#pragma once
// A site's item list on the main screen: one row per checked registration entry, in run order, coloured
// by its state, with column 0 coloured by the item version check. The rows live in the site's SiteModel,
// which the site's test thread changes from its own thread; the list repaints from the model on the UI
// thread after the model's queued update. The same class, without a site and a model, is the cycle
// runner's result grid (colour mode 1).
#include <QColor>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GridCtrl.h"
#include "SiteModel.h"

class CQRV_LoadMemory;
class CTestThread;
class ItemLibraryMap;
class QMenu;

// What the list's mouse commands act on. The site panel sets them once the site's runner exists; a list
// without them ignores double-clicks and menu commands.
struct SiteCtrlLinks {
  CTestThread* thread = nullptr;
  const ItemLibraryMap* items = nullptr;
  CQRV_LoadMemory* record = nullptr;
  // Full path of the model's ErrorCode.ini, for the message of a single-item test.
  std::function<std::string()> errorCodePath;
  // The site panel's items-loaded flag (cycle-runner grids open an item's settings only while loaded).
  std::function<bool()> itemsLoaded;
  // "Before Image": the site's view shows the picture captured for that item name.
  std::function<void(const std::string& itemName)> showCapturedImage;
  // The login level the commands go by; the record's level when not given.
  std::function<unsigned()> loginLevel;
};

class CSiteCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  enum Column { kColIndex, kColItem, kColCode, kColTact, kColResult, kColDll, kColVersion, kColErrorMsg, kColBreak };

  // The cycle runner's grids, tied to no site.
  explicit CSiteCtrl(QWidget* parent = nullptr);
  // A main-screen list: siteLetter 'A'..'H'; the model is the site's and outlives the list.
  CSiteCtrl(int siteLetter, SiteModel* model, QWidget* parent = nullptr);
  ~CSiteCtrl() override;

  // 0: main-screen site list; 1: cycle-runner grid.
  void SetColorMode(int mode);
  int GetColorMode() const { return m_siteColorMode; }
  void InitColumns();

  // Any thread with a model (the model's update repaints the list; a site that runs keeps its rows and shows
  // these once its run has ended); the UI thread without one.
  void LoadSiteItems();
  void SetRowResult(int row, int state, std::string code, std::string message, int redraw);

  // For SiteModel::SetUpdateHook (alone or combined with other views' hooks): queues one repaint from the
  // model on the UI thread; calls while one is queued add nothing. Safe after the list is gone.
  std::function<void()> UpdateHook() const;
  // UI thread: the rows as the model holds them now.
  void Refresh();

  QColor CellBackground(int row, int column) const override;

  void SetLinks(SiteCtrlLinks links) { m_links = std::move(links); }

  // Double-click on a row: nothing for an operator; a single-item test of the row (main-screen list)
  // or the item's settings (cycle-runner grid, column 2 names the DLL).
  void OnDoubleClick(int row);
  bool SingleItemRunning() const { return m_singleItemRunning.load(); }
  // Waits for a running single-item test to end.
  void JoinSingleItem();

  // Which of "Spec", "Before Image", "Site Test", "Site Play" a login level may use: QRV_Config.ini
  // [MENU_ENABLE] OP_Site / MT_Site / EN_Site, written back so that a missing key appears with its default.
  static std::array<bool, 4> ReadMenuRights(unsigned loginLevel);
  // The right-click menu for the row at the selection mark, enabled by the record's login level.
  std::unique_ptr<QMenu> CreateItemMenu();
  void OnSpec();
  void OnBeforeImage();
  void OnSiteTest();
  void OnSitePlay();

  int Site() const { return m_site; }
  SiteModel* Model() const { return m_model; }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct RefreshLink;
  void ShowRows(const std::vector<ItemRow>& rows);
  void UpdateVersionColours(const std::vector<ItemRow>& rows);

  int m_site = -1;
  int m_siteLetter = 0;
  int m_siteColorMode = 0;
  int m_shownCurrentRow = -1;  // the model's current row as last shown
  int m_clickedRow = -1;       // the row of the last double-click
  SiteModel* m_model = nullptr;
  std::vector<QColor> m_versionColours;
  std::shared_ptr<RefreshLink> m_link;
  SiteCtrlLinks m_links;
  std::atomic<bool> m_singleItemRunning{false};
  std::thread m_singleItemWorker;

  void SingleItemTestThread(int row);
  unsigned LoginLevel() const;
  std::string SelectedDll() const;
};
