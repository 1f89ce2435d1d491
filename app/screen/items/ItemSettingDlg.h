#pragma once
// The "Spec Setting" page of one site: the items switched on for the site, in run order, as DllManager.ini
// held them when the page was built. A double click opens the item's own settings window for this site,
// through the library the station has loaded.
#include <QWidget>
#include <functional>
#include <string>

class CGridCtrl;
class ItemLibraryMap;

struct ItemSettingLinks {
  const ItemLibraryMap* items = nullptr;
  // The site panel's items-loaded flag.
  std::function<bool()> itemsLoaded;
};

class ItemSettingDlg : public QWidget {
  Q_OBJECT

 public:
  enum Column { kColItem, kColCode, kColResult, kColVersion, kColDll };

  // siteLetter 'A'..'H'.
  ItemSettingDlg(int siteLetter, ItemSettingLinks links, QWidget* parent = nullptr);

  int Site() const { return m_siteLetter - 'A'; }
  CGridCtrl* List() const { return m_list; }
  void LoadItems();
  // Calls the item's settings entry with the page's site; does nothing (false) while the items are not
  // loaded or when the item's load status is not 0.
  bool OpenItemSettings(const std::string& dll);

 private:
  void InitColumns();

  const ItemSettingLinks m_links;
  const int m_siteLetter;
  CGridCtrl* m_list = nullptr;
};
