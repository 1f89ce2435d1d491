// The site panel's editing mode: the screen-layout editor it owns, and dragging its controls to new places
// while the editor is open.
#include <QMouseEvent>

#include "DynamicDlg.h"
#include "IntegratedLog.h"
#include "UIManagerDlg.h"

void DynamicDlg::CreateLayoutEditor() {
  m_pUIManagerDlg = new UIManagerDlg(*this);
  m_pUIManagerDlg->hide();
}

bool DynamicDlg::OpenControllerSetting() {
  if (!m_pUIManagerDlg) return false;
  m_bUiEditMode.store(1);
  m_pUIManagerDlg->show();
  m_pUIManagerDlg->raise();
  m_pUIManagerDlg->activateWindow();
  return true;
}

void DynamicDlg::EndControllerSetting() {
  m_bUiEditMode.store(0);
  m_bDragging = false;
}

UIManagerDlg* DynamicDlg::LayoutEditor() const { return m_pUIManagerDlg.data(); }

CIntegratedLog* DynamicDlg::ListLogWindow() const { return m_pIntegratedLog.data(); }

QWidget& DynamicDlg::PanelWidget() { return *this; }

void DynamicDlg::RestyleScreen(const char* section) {
  MainScreenLayout& layout = m_Layout;
  layout.ShowControls();
  for (int site = 0; site < layout.GetSiteCount(); ++site) layout.StyleSiteMessage(section, site);
  layout.ShowUserMsg(section);
  layout.ShowInformationMsg(section);
  layout.ShowFirmwareVersion(section);
  layout.ShowItemVersion(section);
  layout.StyleAverageThread(section);
  layout.StyleAverageDll(section);
  layout.StyleTimeCounter(section);
  layout.PlaceControls();
}

void DynamicDlg::PlaceAndStyleControls() {
  MainScreenLayout& layout = m_Layout;
  layout.PlaceControls();
  layout.ShowControls();
  for (int site = 0; site < SiteCount(); ++site) layout.StyleSiteMessage("USER_INIT", site);
}

namespace {

// The panel's own child under the point: the control that moves, whichever of its parts was hit.
QWidget* PanelChildAt(QWidget* panel, const QPoint& at) {
  if (!panel->rect().contains(at)) return nullptr;
  QWidget* child = panel->childAt(at);
  while (child != nullptr && child->parentWidget() != panel) child = child->parentWidget();
  return child != nullptr ? child : panel;
}

}  // namespace

bool DynamicDlg::FilterControlDrag(QObject* watched, QEvent* event) {
  if (!m_pUIManagerDlg || m_bUiEditMode.load() == 0) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint at = mapFromGlobal(mouse->globalPosition().toPoint());

  if (type == QEvent::MouseMove) {
    if (!m_bDragging) return false;
    if (m_pDragCtrl) {
      m_pDragCtrl->move(m_pDragCtrl->pos() + (at - m_ptDragStart));
      m_pDragCtrl->lower();
      m_pDragCtrl->update();
    }
    m_ptDragStart = at;
    return true;
  }
  if (mouse->button() != Qt::LeftButton) return false;
  if (type != QEvent::MouseButtonRelease) {
    m_ptDragStart = at;
    m_pDragCtrl = PanelChildAt(this, at);
    m_bDragging = m_pDragCtrl && m_pDragCtrl != this;
    return true;
  }
  m_bDragging = false;
  if (m_pDragCtrl) {
    m_ptDragStart = QPoint();
    update();
    // The layout file keeps client-area rectangles, which begin below the panel's menu bar.
    const QRect r = m_pDragCtrl->geometry().translated(-contentsRect().topLeft());
    m_Layout.SaveControlRect(m_pDragCtrl->objectName().toInt(),
                             QrvRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    m_pUIManagerDlg->RefreshLists();
  }
  return true;
}
