#pragma once
// The body of both item registration windows: the item libraries of the Dll folder above, with Import and
// Insert; the registered libraries below, with Up, Down and Delete, a check box that switches an entry on or
// off and a Retry Count edited in place. Selected rows can also be dragged from the upper list onto the lower
// one. The window around it reads the registered rows from its file and writes them back.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ItemRegistration.h"

class CGridCtrl;
class QPushButton;

class DllRegistrationLists : public QWidget {
  Q_OBJECT

 public:
  enum AvailableColumn { kAvailCheck, kAvailItem, kAvailVersion, kAvailSize, kAvailUpdate, kAvailDll, kAvailComment };
  enum RegisteredColumn { kRegCheck, kRegIndex, kRegItem, kRegVersion, kRegRetry, kRegDll, kRegComment };

  // What differs between the per-site page and the station-wide list.
  struct Rules {
    // DLLs without an "ItemName" are offered too.
    bool offerUnnamed = false;
    // A single click, not a double click, toggles the check box of an available row.
    bool toggleOnClick = false;
    // A drop onto the registered list takes the checked available rows, as "Insert" does, not the selected ones.
    bool dropTakesChecked = false;
    // The pinned position ("0" when none) and version of an item name.
    std::function<std::string(const std::string& itemName)> pinnedIndex;
    std::function<std::string(const std::string& itemName)> pinnedVersion;
  };

  DllRegistrationLists(Rules rules, const QString& registeredId, QWidget* parent = nullptr);

  void ListAvailableDlls();
  // A registered row for an entry of the file, with the pins and version strings of its item.
  void AppendRegistered(const DllEntry& entry);
  // "Insert" (fromDrop 0) takes the checked available rows, a drop (1) the selected ones; a DLL that is
  // registered already, in any letter case, is skipped. New rows are off, with Retry Count "1".
  void InsertDlls(int fromDrop);
  // A drag from the available list dropped onto the registered list.
  void OnDrop();
  // "Import": the file dialog, then ImportFiles.
  void ImportDllFiles();
  // Copies the files into the Dll folder over those of their names and lists the folder again.
  void ImportFiles(const std::vector<std::string>& files);
  // The registered rows in list order, with an edit in progress taken in.
  std::vector<DllEntry> Entries() const;

  CGridCtrl* Available() const { return m_available; }
  CGridCtrl* Registered() const { return m_registered; }
  QPushButton* Button(int id) const;
  static std::string DllFolder();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void InitColumns();
  void CreateLayout();
  void ToggleAvailableCheck(int column);
  void AppendRow(const DllEntry& entry, const std::string& itemName, const std::string& comment);
  bool IsRegistered(const QString& dll) const;

  const Rules m_rules;
  CGridCtrl* m_available = nullptr;
  CGridCtrl* m_registered = nullptr;
};
