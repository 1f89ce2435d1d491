#pragma once
// "Spec Setting": one page per site listing the items switched on for it; a double click opens an item's
// own settings window for that site. The window lives hidden and is shown on demand; its pages are built
// again when the registration or the model changed.
#include <QDialog>
#include <vector>

#include "ItemSettingDlg.h"

class QTabWidget;

class SiteSpecTabDlg : public QDialog {
  Q_OBJECT

 public:
  explicit SiteSpecTabDlg(ItemSettingLinks links, QWidget* parent = nullptr);
  ~SiteSpecTabDlg() override;

  // One tab and page per site of Config.ini, the first one shown.
  void BuildPages();
  void ClearPages();

  QTabWidget* Tabs() const { return m_tab; }
  int PageCount() const { return static_cast<int>(m_pages.size()); }
  ItemSettingDlg* Page(int site) const;

 private:
  const ItemSettingLinks m_links;
  QTabWidget* m_tab = nullptr;
  std::vector<ItemSettingDlg*> m_pages;
};
