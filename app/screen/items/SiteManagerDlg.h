#pragma once
// "Dll Manager": one registration page per site and the "Item version use" switch. Apply writes the switch,
// then every page's list, each list checked before any is written; while a site tests the lists stay as
// they are and the window stays open with its edits.
#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QTabWidget;
class SiteDynamicDlg;

class SiteManagerDlg : public QDialog {
  Q_OBJECT

 public:
  // anySiteRunning: asked at every Apply; empty: no site runs.
  explicit SiteManagerDlg(std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  // Closes with Accepted once every list is written; otherwise says why and stays open.
  void OnApply();

  QCheckBox* VersionUse() const { return m_versionUse; }
  QTabWidget* Tabs() const { return m_tab; }
  int PageCount() const { return static_cast<int>(m_pages.size()); }
  SiteDynamicDlg* Page(int site) const;

 private:
  bool SaveAllLists();

  const std::function<bool()> m_anySiteRunning;
  QCheckBox* m_versionUse = nullptr;
  QTabWidget* m_tab = nullptr;
  std::vector<SiteDynamicDlg*> m_pages;
};
