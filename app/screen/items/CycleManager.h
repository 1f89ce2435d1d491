#pragma once
// The cycle editor ("Cycle Manager"): the DLLs of the Cycle folder, the Init list, one End list per site and
// the Close list, their "ShowWIndow" options and the send-result option; Save writes Cycle.ini, and is
// refused while a site runs.
#include <QDialog>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CycleIni.h"

class CCycleGridCtrl;
class CGridCtrl;
class QCheckBox;
class QTabWidget;
class QVBoxLayout;

class CycleManager : public QDialog {
  Q_OBJECT

 public:
  // anySiteRunning: asked before every Save.
  explicit CycleManager(std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  void ListCycleDlls();
  void LoadCycleList(CGridCtrl* list, const std::string& phase, char siteLetter);
  void InsertCheckedDlls(CGridCtrl* target);
  // False (and the dialog stays open) while a site runs, and, after a message naming them, when changed rows
  // would not read back as they stand. Entries of the file that are shown but were not changed are written
  // back as the file held them, missing and garbled ones too.
  bool SaveCycleLists();

  CGridCtrl* DllList() const { return m_dllList; }
  CGridCtrl* InitList() const { return m_initList; }
  CGridCtrl* CloseList() const { return m_closeList; }
  CCycleGridCtrl* EndList(int site) const;
  QTabWidget* SiteTab() const { return m_siteTab; }
  QCheckBox* Option(int id) const;

 private:
  static CGridCtrl* SetUpList(CGridCtrl* list, const QString& id);
  void AddArea(QVBoxLayout* layout, const QString& title, QWidget* list, const std::function<CGridCtrl*()>& target,
               const int (&ids)[4], int optionId);
  static CycleEntry RowEntry(const CGridCtrl* list, int row);
  // The text to store for each row, or the faults of the changed rows that cannot be stored.
  std::vector<std::optional<std::string>> Texts(const CGridCtrl* list, const QString& area,
                                                std::vector<std::string>& faults) const;
  std::string ItemName(const std::string& dll) const;

  const std::function<bool()> m_anySiteRunning;
  const std::string m_path;
  CGridCtrl* m_dllList = nullptr;
  CGridCtrl* m_initList = nullptr;
  CGridCtrl* m_closeList = nullptr;
  QTabWidget* m_siteTab = nullptr;
  std::vector<CCycleGridCtrl*> m_endLists;
  // The entries as the file held them; a loaded row's item data is its entry number plus one.
  std::map<const CGridCtrl*, std::vector<StoredCycleEntry>> m_stored;
};
