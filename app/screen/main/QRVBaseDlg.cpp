#include "QRVBaseDlg.h"

#include <QCloseEvent>
#include <algorithm>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QWheelEvent>

#include "BaseDraw.h"
#include "CommandMenuBar.h"
#include "ModelSettings.h"
#include "ControllerIni.h"
#include "DynamicDlg.h"
#include "IntegratedLog.h"
#include "PlatformLog.h"
#include "ProgramFolder.h"
#include "QRV_InterFace_SW.h"
#include "QRV_Messages.h"
#include "UIManagerDlg.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"
#include "port/window_message.h"

namespace {

constexpr int kSizeMoveEndMs = 300;
constexpr int kMinZoom = 100;
constexpr int kMaxZoom = 200;
// The site panel's window frame beside its client width.
constexpr int kPanelFrameMargin = 10;

// Cells of sites A, B, C, ... in the two-row grid, by site count and layout mode; null: no such layout.
const int* GridCells(int siteCount, int drawMode) {
  // Each layout is one decimal digit: a mode from the file outside them must not reach the key's sum.
  if (drawMode < 0 || drawMode > 9) return nullptr;
  static constexpr int k4Mode0[] = {0, 1, 3, 2}, k4Mode1[] = {0, 1, 2, 3}, k4Mode2[] = {0, 2, 1, 3},
                       k4Mode4[] = {1, 3, 0, 2};
  static constexpr int k6Mode0[] = {0, 1, 2, 5, 4, 3}, k6Mode1[] = {0, 1, 2, 3, 4, 5},
                       k6Mode2[] = {0, 3, 1, 4, 2, 5};
  static constexpr int k8Mode0[] = {0, 1, 2, 3, 7, 6, 5, 4}, k8Mode1[] = {0, 1, 2, 3, 4, 5, 6, 7},
                       k8Mode2[] = {0, 4, 1, 5, 2, 6, 3, 7}, k8Mode5[] = {0, 1, 2, 3, 6, 7, 4, 5},
                       k8Mode8[] = {0, 1, 4, 5, 2, 3, 6, 7};
  switch (siteCount * 10 + drawMode) {
    case 40: case 45: return k4Mode0;
    case 41: case 46: return k4Mode1;
    case 42: case 47: return k4Mode2;
    case 44: return k4Mode4;
    case 60: case 65: return k6Mode0;
    case 61: case 66: return k6Mode1;
    case 62: case 67: return k6Mode2;
    case 80: return k8Mode0;
    case 81: case 86: return k8Mode1;
    case 82: case 87: return k8Mode2;
    case 85: return k8Mode5;
    case 88: return k8Mode8;
    default: return nullptr;
  }
}

QRect ToQRect(const QrvRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

CQRVBaseDlg::CQRVBaseDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("102");
  setWindowTitle("Tarvesta SYSTEM");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  m_sizeMoveEnd = new QTimer(this);
  m_sizeMoveEnd->setSingleShot(true);
  m_sizeMoveEnd->setInterval(kSizeMoveEndMs);
  connect(m_sizeMoveEnd, &QTimer::timeout, this, [this] { OnExitSizeMove(); });
  OnInitDialog();
  port::RegisterMessageHandler(this, [this](unsigned message, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    if (message == kWmRefAutoChange) OnRefAutoChange();
    return 0;
  });
}

CQRVBaseDlg::~CQRVBaseDlg() {
  port::UnregisterMessageHandler(this);
  Shutdown();
}

void CQRVBaseDlg::OnInitDialog() {
  SetMainTitle();
  CreateMenuBar();
  CreateChildWindows();
  WireMenuCommands();
  m_pSitePanel->show();
  DockSitePanel();
  // One device for all sites: the panel starts on site A's controls.
  if (m_pSitePanel->GetPara() == 1) m_pSitePanel->ShowSitePanel(0);
}

void CQRVBaseDlg::SetMainTitle() {
  const std::string program = port::JoinPath(ProgramFolder::Root(), "QRVBase.exe");
  const std::string version = port::Format("%s(Debug:%s)", GetVersionInfoString(program, "FileVersion").c_str(),
                                           __DATE__);
  std::string title = port::Format("Tarvesta System %s_x64 - %s", version.c_str(), ModelSettings::ReadModelName().c_str());
  if (const std::string boards = DynamicDlg::SimulatedBoards(); !boards.empty())
    title += port::Format(" - SIMULATED BOARDS (QRV_SIM_BOARDS=%s)", boards.c_str());
  setWindowTitle(QString::fromStdString(title));
}

void CQRVBaseDlg::CreateChildWindows() {
  RestoreFrameGeometry();
  m_pPlatformLog = new CQRVPlatformLog(this);
  m_pPlatformLog->hide();
  m_pSitePanel = std::make_unique<DynamicDlg>(this);
  m_pSitePanel->OnInitDialog();

  // The panel's site count is the one the station can run; views are made for exactly those sites.
  m_nViewCount = m_pSitePanel->SiteCount();
  std::vector<CBaseDraw*> views;
  for (int site = 0; site < m_nViewCount; ++site) {
    auto* view = new CBaseDraw(site, m_pSitePanel->m_pInterFaceSW, m_pSitePanel.get(), this);
    view->SetZoomText(m_pSitePanel->ZoomText());
    view->SetDoubleClickHandler([this](int enlarged) {
      if (!m_bEnlarged) {
        // The context menu has entries for sites A to D only.
        if (enlarged < kMenuSites) m_nLastSiteCmd = kSiteCommand + enlarged;
        EnlargeSiteView(enlarged);
      } else {
        RestoreSiteViews();
      }
    });
    m_pSiteView[static_cast<std::size_t>(site)] = view;
    views.push_back(view);
  }
  PlaceSiteViews();
  for (int site = 0; site < m_nViewCount; ++site)
    m_pSiteView[static_cast<std::size_t>(site)]->setVisible(m_pSitePanel->DrawMode() != 3 || site == 0);
  m_pSitePanel->AttachSiteViews(views);
  // Every start takes the user's layout ([USER_INIT]) as the working one; the frame is then restored from it.
  if (UIManagerDlg* editor = m_pSitePanel->LayoutEditor()) editor->ApplyViewMode(UIManagerDlg::kUserSize);
  RestoreFrameGeometry();
}

// VIEW_SIZE is the frame's rectangle: a top-level's position is its frame's, and its size is the client's.
// Until the window is framed the margins are unknown, so the client takes the frame's size at first and
// gives the margins back once they are known; restoring the client rectangle instead moved the window by
// the frame at every start.
// A layout saved on a larger screen would leave the panel out of reach: the frame shrinks to the screen.
// An offscreen run has no screen to fit.
void CQRVBaseDlg::RestoreFrameGeometry() {
  m_savedFrame = ToQRect(ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE"));
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen")) {
    const QrvRect sub = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
    m_savedFrame = FitFrameToScreen(m_savedFrame, sub.right + kPanelFrameMargin, screen->availableGeometry());
  }
  m_bFrameFitPending = true;
  move(m_savedFrame.topLeft());
  resize(m_savedFrame.size());
}

void CQRVBaseDlg::FitClientToSavedFrame() {
  if (!m_bFrameFitPending || !isVisible() || isMaximized()) return;
  const QSize margins = frameGeometry().size() - size();
  if (margins.width() <= 0 && margins.height() <= 0) return;
  m_bFrameFitPending = false;
  resize(m_savedFrame.size() - margins);
  move(m_savedFrame.topLeft());
}

CBaseDraw* CQRVBaseDlg::SiteView(int site) const {
  return site >= 0 && site < m_nViewCount ? m_pSiteView[static_cast<std::size_t>(site)].data() : nullptr;
}

QRect CQRVBaseDlg::FitFrameToScreen(const QRect& frame, int reserveRight, const QRect& available) {
  if (available.isEmpty()) return frame;
  const int width = std::max(1, std::min(frame.width(), available.width() - reserveRight));
  const int height = std::max(1, std::min(frame.height(), available.height()));
  const int left = std::clamp(frame.left(), available.left(), std::max(available.left(), available.right() + 1 - reserveRight - width));
  const int top = std::clamp(frame.top(), available.top(), std::max(available.top(), available.bottom() + 1 - height));
  return QRect(left, top, width, height);
}

QrvRect CQRVBaseDlg::CalcGridCellRect(int siteCount, int cell, int width, int height) {
  const int columns = siteCount / 2;
  if (columns <= 0) return {};
  const int left = width / columns * (cell % columns);
  const int top = cell / columns == 0 ? 0 : height / 2;
  return {left, top, left + width / columns, top + height / 2};
}

QrvRect CQRVBaseDlg::CalcSiteViewRect(int siteCount, int site, int drawMode, int width, int height) {
  const QrvRect whole{0, 0, width, height};
  switch (siteCount) {
    case 1:
      return whole;
    case 2:
      return site == 0 ? QrvRect{0, 0, width / 2, height} : QrvRect{width / 2, 0, width, height};
    case 3: {
      const int third = width / 3;
      if (site == 2) return {2 * third, 0, width, height};
      return {third * site, 0, third * site + third, height};
    }
    case 4:
    case 6:
    case 8: {
      if (drawMode == 3) return whole;
      const int* cells = GridCells(siteCount, drawMode);
      if (cells == nullptr || site < 0 || site >= siteCount) return {};
      return CalcGridCellRect(siteCount, cells[site], width, height);
    }
    default:
      return {};
  }
}

void CQRVBaseDlg::PlaceSiteViews() {
  if (!m_pSitePanel) return;
  if (m_bEnlarged) {
    // A window manager maximises after the request: the enlarged view follows the new size.
    if (CBaseDraw* view = SiteView(m_nEnlargedSite)) view->setGeometry(ImageArea());
    return;
  }
  const QRect area = ImageArea();
  for (int site = 0; site < m_nViewCount; ++site) {
    if (CBaseDraw* view = SiteView(site))
      view->setGeometry(ToQRect(CalcSiteViewRect(m_nViewCount, site, m_pSitePanel->DrawMode(), area.width(),
                                                 area.height()))
                            .translated(area.topLeft()));
  }
}

// Also while a view is enlarged: the maximised window then puts the panel beyond its right edge, off the view.
void CQRVBaseDlg::DockSitePanel() {
  if (!m_pSitePanel) return;
  const QRect r = frameGeometry();
  const QrvRect s = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
  m_pSitePanel->move(r.right() + 1 + s.left, r.top() + s.top);
  m_pSitePanel->resize(std::max(1, s.right - s.left), std::max(1, r.height() + s.bottom));
}

// With its "Log Move Location" on, the list log lies below the main window, as wide as it and the docked panel.
void CQRVBaseDlg::DockListLog() {
  if (!m_pSitePanel) return;
  CIntegratedLog* listLog = m_pSitePanel->ListLogWindow();
  if (listLog == nullptr || listLog->GetLogMove() == 0) return;
  const QRect r = frameGeometry();
  const QrvRect s = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
  listLog->move(r.left(), r.bottom() + 1);
  listLog->resize(std::max(1, r.width() + (s.right - s.left) + kPanelFrameMargin), listLog->height());
}

void CQRVBaseDlg::RedrawView(int site) {
  if (CBaseDraw* view = SiteView(site)) view->Redraw();
}

void CQRVBaseDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FitClientToSavedFrame();
}

void CQRVBaseDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FitClientToSavedFrame();
  if (!m_pSitePanel) return;
  DockSitePanel();
  DockListLog();
  PlaceSiteViews();
  m_pSitePanel->StoreViewRects();
  for (int site = 0; site < m_nViewCount; ++site) RedrawView(site);
  m_sizeMoveEnd->start();
}

void CQRVBaseDlg::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  FitClientToSavedFrame();
  DockSitePanel();
  DockListLog();
  if (m_pSitePanel) m_sizeMoveEnd->start();
}

void CQRVBaseDlg::OnExitSizeMove() {
  if (m_bEnlarged || !m_pSitePanel) return;
  const QRect r = frameGeometry();
  ControllerIni::WriteRect("USER_INTERFACE", "VIEW_SIZE", QrvRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  DockSitePanel();
  if (UIManagerDlg* editor = m_pSitePanel->LayoutEditor()) editor->RefreshLists();
}

void CQRVBaseDlg::SetViewZoom(int zoom) {
  m_nZoom = zoom;
  if (m_pSitePanel && m_pSitePanel->SetZoom != nullptr) m_pSitePanel->SetZoom(zoom);
  for (int site = 0; site < m_nViewCount; ++site) RedrawView(site);
}

void CQRVBaseDlg::wheelEvent(QWheelEvent* event) {
  if (ControllerIni::ReadUserInterfaceValue("ZOOM_SLIDER") != 0 && m_pSitePanel) {
    int zoom = m_pSitePanel->ZoomSlider()->value() + kMinZoom;
    zoom += event->angleDelta().y() < 0 ? 1 : -1;
    if (zoom >= kMinZoom && zoom <= kMaxZoom) {
      SetViewZoom(zoom);
      m_pSitePanel->ShowZoom(m_nZoom);
    }
  }
  QDialog::wheelEvent(event);
}

void CQRVBaseDlg::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  if (m_nViewCount >= 1 && m_nViewCount <= kMenuSites) {
    for (int site = 0; site < m_nViewCount; ++site) {
      QAction* action = menu.addAction(QString(QChar('A' + site)));
      action->setData(kSiteCommand + site);
      action->setCheckable(m_bEnlarged);
      action->setChecked(m_bEnlarged && m_nLastSiteCmd == kSiteCommand + site);
    }
  }
  if (m_bEnlarged) menu.addAction("return")->setData(kReturnCommand);
  if (menu.isEmpty()) return;
  const QAction* chosen = menu.exec(event->globalPos());
  if (chosen == nullptr) return;
  const int command = chosen->data().toInt();
  if (command == kReturnCommand) {
    RestoreSiteViews();
  } else {
    m_nLastSiteCmd = command;
    EnlargeSiteView(command - kSiteCommand);
  }
}

// The window keeps its flags: changing them on the shown main window hides it, and hiding it ends its exec(),
// which ends the program. Maximising alone gives the view the whole image area.
void CQRVBaseDlg::EnlargeSiteView(int site) {
  CBaseDraw* enlarged = SiteView(site);
  if (enlarged == nullptr) return;
  for (int other = 0; other < m_nViewCount; ++other)
    if (CBaseDraw* view = SiteView(other)) view->setVisible(other == site);
  m_bEnlarged = true;
  m_nEnlargedSite = site;
  showMaximized();
  enlarged->setGeometry(ImageArea());
  m_pSitePanel->StoreViewRect(site);
  if (m_pSitePanel->SetFullView != nullptr) m_pSitePanel->SetFullView(1, site);
  RedrawView(site);
}

void CQRVBaseDlg::RestoreSiteViews() {
  showNormal();
  m_bEnlarged = false;
  m_nEnlargedSite = -1;
  if (m_pSitePanel && m_pSitePanel->SetFullView != nullptr) m_pSitePanel->SetFullView(0, 0);
  PlaceSiteViews();
  if (m_pSitePanel) m_pSitePanel->StoreViewRects();
  for (int site = 0; site < m_nViewCount; ++site)
    if (CBaseDraw* view = SiteView(site)) view->show();
  DockSitePanel();
}

void CQRVBaseDlg::RequestExit() {
  m_bExitConfirmed = true;
  close();
}

void CQRVBaseDlg::OnRefAutoChange() {
  m_bRefAutoChange = true;
  close();
}

bool CQRVBaseDlg::ConfirmExit() {
  if (m_bExitConfirmed) return true;
  return port::MessageBox(m_bRefAutoChange ? "Ref Auto Change?" : "Do you want exit?", "Question",
                          port::kMbYesNo | port::kMbIconQuestion) == port::kIdYes;
}

void CQRVBaseDlg::closeEvent(QCloseEvent* event) {
  if (!ConfirmExit()) {
    event->ignore();
    return;
  }
  Shutdown();
  QDialog::closeEvent(event);
}

// The panel goes first: it stops the sites and unloads the libraries that draw into the views.
void CQRVBaseDlg::Shutdown() {
  if (!m_pSitePanel) return;
  port::ui::SetClosing(true);
  m_sizeMoveEnd->stop();
  m_pSitePanel->OnDestroy();
  m_pSitePanel.reset();
  for (QPointer<CBaseDraw>& view : m_pSiteView) {
    delete view.data();
    view = nullptr;
  }
  m_nViewCount = 0;
}

// Enter and Esc never end the main window.
void CQRVBaseDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
