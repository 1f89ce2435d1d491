#pragma once
// What the layout editor acts on in the screen it edits: the site panel's place and drawing switches, the
// list-log window and the styling of the panel's controls from a section of Controller.ini. The site panel
// implements it, so the editor never reaches into the panel's own classes.
#include <array>

class CIntegratedLog;
class QWidget;

// The editor's drawing options as its boxes and lists hold them now, saved or not.
struct DrawOptions {
  bool siteDraw = false;
  bool resultDraw = false;
  bool fpsDraw = false;
  bool paraDraw = false;
  // The three site-label alignment choices, each an index of ControllerIni::SiteDrawAlignments().
  std::array<int, 3> siteAlignment{};
};

class LayoutEditorHost {
 public:
  // The panel's widget: the editor's parent, docked inside the main window.
  virtual QWidget& PanelWidget() = 0;
  // UI thread, at every change of a box or list; the views read the values from the panel on any thread.
  virtual void SetDrawOptions(const DrawOptions& options) = 0;
  // The editor closed: controls are no longer dragged.
  virtual void EndControllerSetting() = 0;
  virtual CIntegratedLog* ListLogWindow() const = 0;
  // Shows, places and styles every control of the panel from the section, as a start would.
  virtual void RestyleScreen(const char* section) = 0;
  // Places the controls again and restyles the site messages from [USER_INIT].
  virtual void PlaceAndStyleControls() = 0;

 protected:
  ~LayoutEditorHost() = default;
};
