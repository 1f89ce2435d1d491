// The site panel's tab view (one site at a time in draw mode 3) and its tab follower, the zoom slider, the
// commands of the site item lists and views that act through the panel, and the reload of freed items.
#include <QLabel>
#include <QSlider>
#include <QTabBar>
#include <algorithm>

#include "BaseDraw.h"
#include "ControllerIni.h"
#include "DynamicDlg.h"
#include "PanelOwner.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "SiteCtrl.h"
#include "StaticImage.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr int kTabViewDrawMode = 3;

template <typename Widget>
void SetVisible(const std::vector<Widget*>& controls, int site, bool visible) {
  if (site >= 0 && site < static_cast<int>(controls.size()) && controls[static_cast<std::size_t>(site)] != nullptr)
    controls[static_cast<std::size_t>(site)]->setVisible(visible);
}

bool ShownInLayout(const char* format, int site) {
  return ControllerIni::ReadUserInterfaceValue(port::Format(format, 'A' + site).c_str()) != 0;
}

}  // namespace


// Runs once at the end of the start-up, after the runners exist.
void DynamicDlg::ConnectViewCommands() {
  connect(m_tabSite, &QTabBar::currentChanged, this, [this] { OnTabSelChange(); });
  // The slider zooms while the mouse drags it; a position set from elsewhere (wheel, fit) zooms already.
  connect(m_sliderZoom, &QSlider::valueChanged, this, [this] {
    if (m_bZoomDrag != 0) ApplyZoom();
  });
  for (int site = 0; site < static_cast<int>(m_vecItemList.size()); ++site) {
    CSiteCtrl* list = m_vecItemList[static_cast<std::size_t>(site)];
    SiteCtrlLinks links;
    links.thread = SiteRunner(site);
    links.items = &m_items;
    links.record = this;
    links.errorCodePath = [this] { return ErrorCodePath(); };
    links.itemsLoaded = [this] { return m_bItemsLoaded.load() != 0; };
    links.showCapturedImage = [this, site](const std::string& itemName) {
      if (CBaseDraw* view = View(site)) view->DrawCaptureImage(itemName);
    };
    links.loginLevel = [this] { return static_cast<unsigned>(LoginLevel()); };
    list->SetLinks(std::move(links));
  }
  m_tabFollowThread = std::thread(&DynamicDlg::TabFollow, this);
  m_hTabFollowEvent.Set();
}

// A start after "Free Library" loads the items again first (on the UI thread, where loading runs the Init list).
void DynamicDlg::OnTabSelChange() {
  const int site = m_tabSite->currentIndex();
  m_nTabSite.store(std::max(0, site));
  ShowSitePanel(site);
}

void DynamicDlg::SetSiteControlsVisible(int site, bool visible) {
  if (CBaseDraw* view = View(site)) view->setVisible(visible);
  SetVisible(m_vecItemList, site, visible);
  SetVisible(m_vecTimeLabel, site, visible);
  SetVisible(m_vecAverageDll, site, visible);
  SetVisible(m_vecAverageThread, site, visible);
  SetVisible(m_vecResultImage, site, visible);
  SetVisible(m_vecResultLabel, site, visible);
  SetVisible(m_listYield, site, visible);
}

void DynamicDlg::ShowSitePanel(int site) {
  if (m_nDrawMode.load() != kTabViewDrawMode || site < 0 || site >= SiteCount()) return;
  for (int other = 0; other < SiteCount(); ++other)
    if (other != site) SetSiteControlsVisible(other, false);
  if (CBaseDraw* view = View(site)) view->show();
  SetVisible(m_vecAverageThread, site, ShownInLayout("AVERAGE_THREAD_%c", site));
  SetVisible(m_vecAverageDll, site, ShownInLayout("AVERAGE_DLL_%c", site));
  SetVisible(m_vecTimeLabel, site, ShownInLayout("TIME_COUNTER_%c", site));
  SetVisible(m_vecItemList, site, true);
  SetVisible(m_vecResultImage, site, true);
  SetVisible(m_vecResultLabel, site, true);
  SetVisible(m_listYield, m_tabSite->currentIndex(), true);
}

// A site's run starts on its runner's thread; in the tab view the operator then sees that site's view.
void DynamicDlg::ShowSiteView(int site) {
  if (m_nDrawMode.load() == kTabViewDrawMode) {
    std::weak_ptr<QPointer<DynamicDlg>> self = m_self;
    port::ui::Post([self, site] {
      if (const auto panel = self.lock(); panel && *panel) (*panel)->ShowOnlySiteView(site);
    });
  }
  if (CBaseDraw* view = View(site)) {
    view->SetCapturedImage(false);
    view->ClearResultText();
  }
}

void DynamicDlg::ShowOnlySiteView(int site) {
  for (int other = 0; other < SiteCount(); ++other)
    if (CBaseDraw* view = View(other)) view->setVisible(other == site);
}

// The event is set once, at the end of the start-up: one pass, then the follower waits until the panel closes.
// The pass itself runs on the UI thread, where the tab and the controls live.
void DynamicDlg::TabFollow() {
  for (;;) {
    m_hTabFollowEvent.Wait();
    if (m_bWorkersStop.load()) return;
    std::weak_ptr<QPointer<DynamicDlg>> self = m_self;
    port::ui::Post([self] {
      if (const auto panel = self.lock(); panel && *panel && !(*panel)->m_bClosing.load()) (*panel)->TabFollowPass();
    });
  }
}

void DynamicDlg::TabFollowPass() {
  if (m_nDrawMode.load() != kTabViewDrawMode || m_nPara != 1 || GetUSBID == nullptr) return;
  const unsigned usb = static_cast<unsigned>(GetUSBID());
  if (static_cast<unsigned>(SiteCount()) <= usb) return;
  m_tabSite->setCurrentIndex(static_cast<int>(usb));
  ShowSitePanel(static_cast<int>(usb));
}

void DynamicDlg::ApplyZoom() {
  const int zoom = m_sliderZoom->value() + 100;
  m_stZoom->setText(QString::number(zoom) + "%");
  if (auto* mainWindow = dynamic_cast<PanelOwner*>(parentWidget()))
    mainWindow->SetViewZoom(zoom);
  else if (SetZoom != nullptr)
    SetZoom(zoom);
}

// The slider's own handling moves it after this; the position it takes zooms through valueChanged.
void DynamicDlg::FollowZoomSlider(QEvent::Type type) {
  if (m_bUiEditMode.load() != 0) return;
  if (type == QEvent::MouseButtonPress) {
    ApplyZoom();
    m_bZoomDrag = 1;
  } else if (type == QEvent::MouseButtonRelease) {
    m_bZoomDrag = 0;
  }
}

bool DynamicDlg::OwnsKeyTarget(const QWidget* widget) const {
  if (widget == nullptr) return false;
  if (widget == this || isAncestorOf(widget)) return true;
  const std::lock_guard lock(m_viewLock);
  for (const QPointer<CBaseDraw>& view : m_views)
    if (view == widget) return true;
  return false;
}
