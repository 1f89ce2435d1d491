// "Save" and "User Save": the editor's lists and options into one section of Controller.ini, the windows
// moved to what was saved and the screen restyled from it.
#include <QComboBox>
#include <QCheckBox>

#include "ControllerIni.h"
#include "GridCtrl.h"
#include "LayoutEditorHost.h"
#include "IntegratedLog.h"
#include "UIManagerDlg.h"
#include "Util.h"
#include "util/CLocale.h"

namespace {

template <std::size_t N>
std::array<std::string, N> RowCells(const CGridCtrl* list, int row, int firstColumn) {
  std::array<std::string, N> cells;
  for (std::size_t i = 0; i < N; ++i) cells[i] = list->GetItemText(row, firstColumn + static_cast<int>(i)).toStdString();
  return cells;
}

std::string Text(const CGridCtrl* list, int row, int column) { return list->GetItemText(row, column).toStdString(); }

}  // namespace

// The cells are stored as typed; what could not place or style a control is held in bounds where the
// layout is read and applied.
void UIManagerDlg::SaveControllerSettings(const char* section) {
  for (CGridCtrl* list : {m_fontList, m_windowList, m_controlList}) list->CommitEdit();
  WriteControlRows(section);
  PlaceWindows(section);
  WriteOptions(section);
  m_panel.RestyleScreen(section);
  if (CIntegratedLog* listLog = m_panel.ListLogWindow()) listLog->SetLogMove(m_logMove.load());
}

void UIManagerDlg::WriteControlRows(const char* section) {
  const std::string path = ControllerIni::GetControllerIniPath();
  for (int row = 0; row < m_controlList->GetItemCount(); ++row) {
    const auto cells = RowCells<4>(m_controlList, row, 2);
    const std::string value = FormatCString("%d.%s.%s.%s.%s", m_controlList->GetCheck(row) ? 1 : 0, cells[0].c_str(),
                                            cells[1].c_str(), cells[2].c_str(), cells[3].c_str());
    WriteIniString(section, Text(m_controlList, row, 1).c_str(), value.c_str(), path);
  }
}

QrvRect UIManagerDlg::WindowRowRect(const char* key) const {
  for (int row = 0; row < m_windowList->GetItemCount(); ++row) {
    if (Text(m_windowList, row, 0) != key) continue;
    const auto cells = RowCells<4>(m_windowList, row, 1);
    return QrvRect{util::ToInt(cells[0].c_str()), util::ToInt(cells[1].c_str()), util::ToInt(cells[2].c_str()),
                   util::ToInt(cells[3].c_str())};
  }
  return QrvRect{};
}

// The main window is stored where it really is, whatever its row says; the site panel and the list log go
// where their rows say.
void UIManagerDlg::PlaceWindows(const char* section) {
  if (QWidget* main = MainWindow()) {
    const QRect frame = main->frameGeometry();
    ControllerIni::WriteRect(section, "VIEW_SIZE", ToRect(frame));
    PlaceMainWindow(frame);
  }
  const QrvRect sub = WindowRowRect("VIEW_SIZE_SUB");
  DockPanel(ControllerIni::BoundRect(sub));
  ControllerIni::WriteRect(section, "VIEW_SIZE_SUB", sub);

  const QrvRect log = WindowRowRect("LISTLOG_SIZE");
  const QrvRect placed = ControllerIni::BoundRect(log);
  CIntegratedLog* listLog = m_panel.ListLogWindow();
  if (listLog != nullptr && placed.left >= 0 && placed.top >= 0 && placed.right > placed.left &&
      placed.bottom > placed.top)
    listLog->setGeometry(ToQRect(placed));
  ControllerIni::WriteRect(section, "LISTLOG_SIZE", log);
}

void UIManagerDlg::WriteOptions(const char* section) {
  const std::string path = ControllerIni::GetControllerIniPath();
  const std::pair<const char*, const QCheckBox*> flags[] = {{"LOG_MOVE", m_checkLogMove},
                                                           {"BASE_DRAW", m_checkResultDraw},
                                                           {"SITE_DRAW", m_checkSite},
                                                           {"PARA_DRAW", m_checkPara},
                                                           {"FPS_DRAW", m_checkFpsDraw}};
  for (const auto& [key, check] : flags) WriteIniInt(section, key, check->isChecked() ? 1 : 0, path);
  const char* alignKeys[] = {"SITE_DRAW_1", "SITE_DRAW_2", "SITE_DRAW_3"};
  for (std::size_t i = 0; i < m_align.size(); ++i) WriteIniInt(section, alignKeys[i], m_align[i]->currentIndex(), path);

  for (int row = 0; row < m_fontList->GetItemCount(); ++row) {
    const auto c = RowCells<9>(m_fontList, row, 1);
    const std::string value = FormatCString("%s.%s.%s.%s.%s.%s.%s.%s.%s", c[0].c_str(), c[1].c_str(), c[2].c_str(),
                                            c[3].c_str(), c[4].c_str(), c[5].c_str(), c[6].c_str(), c[7].c_str(),
                                            c[8].c_str());
    WriteIniString(section, (Text(m_fontList, row, 0) + "_FONT").c_str(), value.c_str(), path);
  }
}
