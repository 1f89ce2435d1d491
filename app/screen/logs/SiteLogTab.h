#pragma once
// The "Test Log" window: one SiteLogCtrl page per site. The site panel creates it hidden and queues every
// row to it on the UI thread.
#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

class QTabWidget;
class SiteLogCtrl;

class SiteLogTab : public QDialog {
  Q_OBJECT

 public:
  explicit SiteLogTab(QWidget* parent = nullptr);

  void CreatePages(const std::vector<QString>& siteNames);
  int SiteCount() const { return static_cast<int>(m_pages.size()); }
  SiteLogCtrl* Page(int site) const;
  // The file side of a page: computes the site's test log path and starts the file with its header.
  void SetHeaderHook(std::function<void(int site)> hook) { m_header = std::move(hook); }
  // Shows the site's page and starts its file (the file of a new lot, day or site name).
  void SelectSite(int site);
  void ClearLog(int site);
  void AddLogRow(int site, const QStringList& cells);
  void AddItemRow(int site, const QStringList& cells);

 private:
  QTabWidget* m_tab = nullptr;
  std::vector<SiteLogCtrl*> m_pages;
  std::function<void(int)> m_header;
};
