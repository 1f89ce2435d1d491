#pragma once
// "Controller Setting": the editor of the operator screen's layout in the model's Controller.ini. One editor
// lives for the whole run, created hidden by the site panel; its boxes hold the live drawing options that
// the site views and the image library ask for from any thread, so each box is mirrored into an atomic.
// Edits stay in the lists until "Save" ([USER_INTERFACE]) or "User Save" ([USER_INIT]), which store them as
// typed.
#include <QDialog>
#include <QRect>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "LayoutEditorHost.h"
#include "QRV_Types.h"

class CGridCtrl;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

class UIManagerDlg : public QDialog {
  Q_OBJECT

 public:
  enum ViewSizeMode : int { kSmallSize = 0, kBigSize = 1, kFullShow = 2, kFullHide = 3, kUserSize = 4 };

  explicit UIManagerDlg(LayoutEditorHost& panel);

  void OnInitDialog();
  // Reloads the window list and the control list from [USER_INTERFACE].
  void RefreshLists();
  // Writes the lists and options to the section and restyles the screen from it.
  void SaveControllerSettings(const char* section);
  // 0 takes the view-size list's selection; 1 to 4 as ViewSizeMode.
  void ApplyViewMode(int mode);
  // Appends the label's font row, creating its [USER_INIT] key from the defaults when missing.
  void WriteDefaultFont(const char* label, int size, std::uint32_t back, std::uint32_t text, int italic, int border);
  void OnListDoubleClick(CGridCtrl* list, int row, int column);
  void OnErrorListStandard(int standard);
  // "Close" and the window's close box: the panel leaves its editing mode and the editor hides.
  void OnClose();

  // Live values, any thread.
  int ErrorListStandard() const { return m_errorListStandard.load(); }
  int LogMove() const { return m_logMove.load(); }
  int ResultDraw() const { return m_resultDraw.load(); }
  int FpsDraw() const { return m_fpsDraw.load(); }
  int SiteDraw() const { return m_siteDraw.load(); }
  int ParaDraw() const { return m_paraDraw.load(); }
  // The three SITE_DRAW_n choices, each an index of ControllerIni::SiteDrawAlignments().
  std::array<int, 3> SiteDrawAlignment() const;
  DrawOptions LiveDrawOptions() const;

  CGridCtrl* FontList() const { return m_fontList; }
  CGridCtrl* WindowList() const { return m_windowList; }
  CGridCtrl* ControlList() const { return m_controlList; }
  QComboBox* ViewSizeList() const { return m_viewSize; }

 protected:
  void reject() override { OnClose(); }
  void closeEvent(QCloseEvent* event) override;

 private:
  // UIManagerDlg.cpp
  void CreateControls();
  QGroupBox* CreateOptionBoxes();
  QGroupBox* CreateSiteDrawBox(QWidget* parent);
  QCheckBox* AddCheck(QWidget* parent, const char* text, int id, std::atomic<int>& mirror);
  void CreateListColumns();
  void ReadDrawOptions();
  void OpenSiteNames();

  // UIManagerDlgSave.cpp
  void WriteControlRows(const char* section);
  void PlaceWindows(const char* section);
  void WriteOptions(const char* section);
  // The four numbers of a window-list row.
  QrvRect WindowRowRect(const char* key) const;

  // UIManagerDlgViewMode.cpp
  void ApplyPreset(const char* preset);
  void ApplyFullScreen(int mode);
  // The site panel's owner; null for a panel without a main window.
  QWidget* MainWindow() const;
  // Places the main window's frame (not its client area) at the rectangle.
  void PlaceMainWindow(const QRect& frame);
  void DockPanel(const QrvRect& sub);
  static QRect ToQRect(const QrvRect& rect);
  static QrvRect ToRect(const QRect& rect);

  LayoutEditorHost& m_panel;
  std::atomic<int> m_errorListStandard{0};
  std::atomic<int> m_logMove{0};
  std::atomic<int> m_resultDraw{0};
  std::atomic<int> m_fpsDraw{0};
  std::atomic<int> m_siteDraw{0};
  std::atomic<int> m_paraDraw{0};
  std::array<std::atomic<int>, 3> m_siteDrawAlign{};

  QButtonGroup* m_standard = nullptr;
  QCheckBox* m_checkLogMove = nullptr;
  QCheckBox* m_checkResultDraw = nullptr;
  QCheckBox* m_checkFpsDraw = nullptr;
  QCheckBox* m_checkSite = nullptr;
  QCheckBox* m_checkPara = nullptr;
  std::array<QComboBox*, 3> m_align{};
  QComboBox* m_viewSize = nullptr;
  CGridCtrl* m_fontList = nullptr;
  CGridCtrl* m_windowList = nullptr;
  CGridCtrl* m_controlList = nullptr;
  QPushButton* m_userSave = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_close = nullptr;
};
