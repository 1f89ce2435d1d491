#pragma once
// The display names of the sites, Config.ini [SITE_NAME] "0".."n-1" of the current model: tab captions
// and a part of the test-log file name. A missing name reads "-1" and is shown as it is.
#include <string>
#include <vector>

class SiteNames {
 public:
  static std::string ReadSiteName(int siteIndex);
  static void WriteSiteName(int siteIndex, const std::string& name);
  // One name per site of [SITE] site; no sites when that key is missing.
  static std::vector<std::string> ReadAll();
  // Writes [SITE_NAME] "0".."n-1" from the list; keys of further sites are left alone.
  static void SaveAll(const std::vector<std::string>& names);
};
