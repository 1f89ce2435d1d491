#pragma once
// The "Cycle Spec" window: the rows of the Init list, of every site's End list and of the Close list as the
// cycle runner last ran them. Created hidden with the site panel; a failing row brings it up when its list
// asks for it. UI thread only: the runner queues Refresh calls.
#include <QDialog>
#include <vector>

class CGridCtrl;
class CycleRunner;
class QTabWidget;

class CycleSettingManager : public QDialog {
  Q_OBJECT

 public:
  CycleSettingManager(const CycleRunner& runner, const std::vector<QString>& siteNames, QWidget* parent = nullptr);

  // Shows the list's rows again (CycleRunner::kInit, kClose, or kEnd + site).
  void Refresh(int list);
  CGridCtrl* Grid(int list) const;
  QTabWidget* SiteTab() const { return m_siteTab; }

 private:
  static CGridCtrl* CreateGrid(QWidget* parent, const QString& id);

  const CycleRunner& m_runner;
  CGridCtrl* m_init = nullptr;
  CGridCtrl* m_close = nullptr;
  QTabWidget* m_siteTab = nullptr;
  std::vector<CGridCtrl*> m_end;
};
