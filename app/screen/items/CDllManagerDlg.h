#pragma once
// "DLL Manager", the station-wide single list of item libraries kept in DllManager.ini's older sections
// ([QRV_DLL_LOAD], [QRV_DLL_LOAD_CHECK], [QRV_DLL_COUNT]) with the unlettered pins of ItemVersion.ini. It
// works like a site's registration page; no site run reads its list.
#include <QDialog>
#include <functional>
#include <string>

#include "DllRegistrationLists.h"

class CDllManagerDlg : public QDialog {
  Q_OBJECT

 public:
  // anySiteRunning: asked at every save; empty: no site runs.
  explicit CDllManagerDlg(std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  static std::string GetDllManagerIniPath();
  void LoadRegisteredDlls();
  // Writes the list once every row is checked; with closeAfter the window then closes with Accepted. False at
  // once while a site tests, and after saying why when a row cannot be stored.
  bool SaveRegisteredDlls(int closeAfter);
  // The hidden second "Delete": after a Yes, every checked available DLL leaves the registered list and the
  // Dll folder, and the list is saved after each.
  void DeleteDllFiles();

  DllRegistrationLists* Lists() const { return m_lists; }

 private:
  const std::function<bool()> m_anySiteRunning;
  DllRegistrationLists* m_lists = nullptr;
};
