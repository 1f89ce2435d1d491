// The view-size modes: a preset layout copied into the working one, or the main window over the screen.
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

#include "ControllerIni.h"
#include "GridCtrl.h"
#include "LayoutEditorHost.h"
#include "UIManagerDlg.h"
#include "Util.h"

namespace {

// What the full-screen modes leave below the main window for a task bar that stays shown.
constexpr int kTaskbarHeight = 30;
constexpr int kPanelGap = 10;

}  // namespace

void UIManagerDlg::ApplyViewMode(int mode) {
  switch (mode == 0 ? m_viewSize->currentIndex() : mode) {
    case kSmallSize:
      ApplyPreset("SMALL_INIT");
      break;
    case kBigSize:
      ApplyPreset("BIG_INIT");
      break;
    case kUserSize:
      ApplyPreset("USER_INIT");
      break;
    case kFullShow:
      ApplyFullScreen(kFullShow);
      break;
    case kFullHide:
      ApplyFullScreen(kFullHide);
      break;
    default:
      return;
  }
  m_panel.PlaceAndStyleControls();
}

void UIManagerDlg::ApplyPreset(const char* preset) {
  const QrvRect view = ControllerIni::ReadRect(preset, "VIEW_SIZE");
  ControllerIni::WriteRect("USER_INTERFACE", "VIEW_SIZE", view);
  const QrvRect sub = ControllerIni::ReadRect(preset, "VIEW_SIZE_SUB");
  ControllerIni::WriteRect("USER_INTERFACE", "VIEW_SIZE_SUB", sub);
  if (QWidget* main = MainWindow()) {
    PlaceMainWindow(ToQRect(view));
    main->raise();
  }
  DockPanel(sub);

  const std::string path = ControllerIni::GetControllerIniPath();
  for (int row = 0; row < m_controlList->GetItemCount(); ++row) {
    const std::string key = ControllerIni::ReadControlName(row);
    WriteIniString("USER_INTERFACE", key.c_str(), ReadIniString(preset, key.c_str(), "-1", path).c_str(), path);
  }
  RefreshLists();
  SetTaskbarAlwaysOnTop();
}

void UIManagerDlg::ApplyFullScreen(int mode) {
  const QrvRect sub = ControllerIni::ReadRect("USER_INTERFACE", "VIEW_SIZE_SUB");
  QWidget* main = MainWindow();
  const QScreen* screen = main != nullptr && main->screen() != nullptr ? main->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->geometry() : QRect();
  const int width = area.width() - (sub.right - sub.left) - sub.left - kPanelGap;
  const int height = mode == kFullHide ? area.height() : area.height() - kTaskbarHeight;
  if (main != nullptr) {
    PlaceMainWindow(QRect(area.topLeft(), QSize(width, height)));
    main->raise();
  }
  if (mode == kFullHide)
    SetTaskbarAutoHide();
  else
    SetTaskbarAlwaysOnTop();
  if (main != nullptr) ControllerIni::WriteRect("USER_INTERFACE", "VIEW_SIZE", ToRect(main->frameGeometry()));
  RefreshLists();
  ControllerIni::WriteWindowLevel(mode);
}

QWidget* UIManagerDlg::MainWindow() const { return m_panel.PanelWidget().parentWidget(); }

void UIManagerDlg::PlaceMainWindow(const QRect& frame) {
  QWidget* main = MainWindow();
  if (main == nullptr) return;
  const QSize margins = main->frameGeometry().size() - main->size();
  main->move(frame.topLeft());
  main->resize((frame.size() - margins).expandedTo(QSize(1, 1)));
}

void UIManagerDlg::DockPanel(const QrvRect& sub) {
  const QWidget* main = MainWindow();
  if (main == nullptr) return;
  const QrvRect docked = ControllerIni::DockedPanelRect(ToRect(main->frameGeometry()), sub);
  QWidget& panel = m_panel.PanelWidget();
  panel.move(docked.left, docked.top);
  panel.resize(std::max(1, docked.right - docked.left), std::max(1, docked.bottom - docked.top));
}

QRect UIManagerDlg::ToQRect(const QrvRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

QrvRect UIManagerDlg::ToRect(const QRect& rect) {
  return QrvRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}
