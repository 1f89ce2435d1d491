#include "SiteNames.h"

#include <algorithm>

#include "ModelSettings.h"
#include "QRV_Types.h"
#include "Util.h"

std::string SiteNames::ReadSiteName(int siteIndex) {
  return ReadIniString("SITE_NAME", std::to_string(siteIndex).c_str(), "-1", ModelSettings::GetConfigIniPath());
}

void SiteNames::WriteSiteName(int siteIndex, const std::string& name) {
  WriteIniString("SITE_NAME", std::to_string(siteIndex).c_str(), name.c_str(), ModelSettings::GetConfigIniPath());
}

std::vector<std::string> SiteNames::ReadAll() {
  const int count = std::clamp(ModelSettings::ReadSiteCount(-1), 0, kMaxSites);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(ReadSiteName(i));
  return names;
}

void SiteNames::SaveAll(const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) WriteSiteName(static_cast<int>(i), names[i]);
}
