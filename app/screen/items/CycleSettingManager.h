#pragma once
// The "Cycle Spec" window: the rows of the Init list, of every site's End list and of the Close list as the
// cycle runner last ran them. Created hidden with the site panel; a failing row brings it up when its list
// asks for it. UI thread only: the runner queues Refresh calls.
#include <QDialog>
#include <functional>
#include <vector>

class CGridCtrl;
class CycleRunner;
class QTabWidget;

class CycleSettingManager : public QDialog {
  Q_OBJECT

 public:
  // Makes each result grid; the site panel gives its item lists in their cycle colour mode, which colour a row
  // by its result and open the item's settings on a double-click. Plain grids when not given.
  using GridFactory = std::function<CGridCtrl*(QWidget* parent)>;

  CycleSettingManager(const CycleRunner& runner, const std::vector<QString>& siteNames, GridFactory makeGrid = {},
                      QWidget* parent = nullptr);

  // Shows the list's rows again (CycleRunner::kInit, kClose, or kEnd + site).
  void Refresh(int list);
  CGridCtrl* Grid(int list) const;
  QTabWidget* SiteTab() const { return m_siteTab; }

 private:
  CGridCtrl* CreateGrid(QWidget* parent, const QString& id) const;

  const CycleRunner& m_runner;
  const GridFactory m_makeGrid;
  CGridCtrl* m_init = nullptr;
  CGridCtrl* m_close = nullptr;
  QTabWidget* m_siteTab = nullptr;
  std::vector<CGridCtrl*> m_end;
};
