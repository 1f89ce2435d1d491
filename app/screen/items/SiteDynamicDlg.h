#pragma once
// The "Dll Manager" page of one site: its registered item libraries, read from and written to the site's
// section of DllManager.ini, with the positions and versions ItemVersion.ini pins for them.
#include <string>

#include "DllRegistrationLists.h"

class SiteDynamicDlg : public DllRegistrationLists {
  Q_OBJECT

 public:
  // siteLetter 'A'..'H'.
  explicit SiteDynamicDlg(int siteLetter, QWidget* parent = nullptr);

  int Site() const { return m_siteLetter - 'A'; }
  const std::string& Section() const { return m_section; }
  void LoadRegisteredDlls();
  // Empty when every registered row can be stored, else the first reason one cannot.
  std::string CheckDllList() const;
  // Writes the registered rows to the site's section; 0 with the reason in *error when refused.
  int SaveDllList(std::string* error);

 private:
  static Rules SiteRules(int site);

  const std::string m_section;
  const int m_siteLetter;
};
