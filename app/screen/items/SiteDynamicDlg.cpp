#include "SiteDynamicDlg.h"

#include "GridCtrl.h"
#include "port/text.h"

SiteDynamicDlg::SiteDynamicDlg(int siteLetter, QWidget* parent)
    : DllRegistrationLists(SiteRules(siteLetter - 'A'), "1111", parent),
      m_section(ItemRegistration::SiteSection(siteLetter - 'A')),
      m_siteLetter(siteLetter) {
  ListAvailableDlls();
  LoadRegisteredDlls();
}

DllRegistrationLists::Rules SiteDynamicDlg::SiteRules(int site) {
  Rules rules;
  rules.pinnedIndex = [site](const std::string& item) { return ItemRegistration::ReadPinnedIndexText(site, item); };
  rules.pinnedVersion = [site](const std::string& item) { return ItemRegistration::ReadPinnedVersion(site, item); };
  return rules;
}

void SiteDynamicDlg::LoadRegisteredDlls() {
  Registered()->DeleteAllItems();
  for (const DllEntry& entry : ItemRegistration::ReadSiteEntries(Site())) AppendRegistered(entry);
}

std::string SiteDynamicDlg::CheckDllList() const {
  const std::vector<DllEntry> entries = Entries();
  for (std::size_t row = 0; row < entries.size(); ++row) {
    const std::string reason = ItemRegistration::CheckEntry(entries[row]);
    if (!reason.empty()) return port::Format("row %zu: %s", row + 1, reason.c_str());
  }
  return {};
}

int SiteDynamicDlg::SaveDllList(std::string* error) { return ItemRegistration::SaveDllList(Site(), Entries(), error); }
