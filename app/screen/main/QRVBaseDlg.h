#pragma once
// The main window: the image area of the station, one view per site tiled by the site count and the model's
// layout mode, with the site panel docked at its right edge. Closing it asks first; its end ends the program.
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <array>
#include <memory>
#include <string>

#include "PanelOwner.h"
#include "QRV_Types.h"

class CBaseDraw;
class CommandMenuBar;
class CQRVPlatformLog;
class DynamicDlg;
class QTimer;

class CQRVBaseDlg : public QDialog, public PanelOwner {
  Q_OBJECT

 public:
  static constexpr int kSiteCommand = 32864;
  static constexpr int kReturnCommand = 32868;
  // Site counts up to this have site entries in the context menu.
  static constexpr int kMenuSites = 4;

  explicit CQRVBaseDlg(QWidget* parent = nullptr);
  ~CQRVBaseDlg() override;

  // Closes without the question, as if it had been answered Yes.
  void RequestExit();
  // WM_REF_AUTO_CHANGE: the close question becomes "Ref Auto Change?", then the window is asked to close.
  void OnRefAutoChange();

  void SetMainTitle() override;
  void SetViewZoom(int zoom) override;
  void EnlargeSiteView(int site);
  void RestoreSiteViews();
  // The rectangle of a site's view in a client area of width x height; empty for layouts that do not exist.
  static QrvRect CalcSiteViewRect(int siteCount, int site, int drawMode, int width, int height);
  static QrvRect CalcGridCellRect(int siteCount, int cell, int width, int height);
  // A saved frame made smaller and moved, where needed, so that it and the site panel docked at its right
  // (reserveRight pixels) lie within the available screen area; an empty area keeps the frame.
  static QRect FitFrameToScreen(const QRect& frame, int reserveRight, const QRect& available);

  DynamicDlg* SitePanel() const { return m_pSitePanel.get(); }
  CBaseDraw* SiteView(int site) const;
  int ViewCount() const { return m_nViewCount; }
  bool IsEnlarged() const { return m_bEnlarged; }
  int Zoom() const { return m_nZoom; }

  // ---- the menu bar (QRVBaseDlgMenu.cpp)
  CommandMenuBar* MenuBar() const { return m_menuBar; }
  // The client area below the menu bar, which the site views tile.
  QRect ImageArea() const;
  CQRVPlatformLog* PlatformLog() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnInitDialog();
  void CreateChildWindows();
  bool ConfirmExit();
  void DockSitePanel();
  void DockListLog();
  void PlaceSiteViews();
  void RedrawView(int site);
  void OnExitSizeMove();
  void RestoreFrameGeometry();
  void FitClientToSavedFrame();
  void Shutdown();

  // QRVBaseDlgMenu.cpp
  void CreateMenuBar();
  void WireMenuCommands();
  void OnMenuDcSave();
  void OnMenuImageFit();
  void OnMenuUserSpec();
  static std::string UserSpecLibraryName();

  bool m_bExitConfirmed = false;
  bool m_bRefAutoChange = false;
  int m_nZoom = 0;
  int m_nLastSiteCmd = 0;
  QRect m_savedFrame;
  bool m_bFrameFitPending = false;
  bool m_bEnlarged = false;
  int m_nEnlargedSite = -1;
  int m_nViewCount = 0;
  std::array<QPointer<CBaseDraw>, kMaxSites> m_pSiteView{};
  std::unique_ptr<DynamicDlg> m_pSitePanel;
  QPointer<CQRVPlatformLog> m_pPlatformLog;
  // Moves and resizes end when none came for a while: then the window's rectangle is stored.
  QTimer* m_sizeMoveEnd = nullptr;
  CommandMenuBar* m_menuBar = nullptr;
};
