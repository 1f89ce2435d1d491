// The lot counts of the sites: yield rows and average times, kept in the model's Config.ini [LOT_COUNT_<i>].
#include <QLabel>
#include <QPointer>
#include <cstdlib>

#include "FontStatic.h"
#include "GridCtrl.h"
#include "MainScreenLayout.h"
#include "ModelSettings.h"
#include "SiteModel.h"
#include "Util.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

std::string LotSection(int site) { return port::Format("LOT_COUNT_%d", site); }

CFontStatic* At(std::vector<CFontStatic*>* list, int site) {
  if (list == nullptr || site < 0 || site >= static_cast<int>(list->size())) return nullptr;
  return (*list)[static_cast<std::size_t>(site)];
}

}  // namespace

std::string MainScreenLayout::FormatYield(int pass, int total) {
  if (total <= 0) return "0%";
  const float percent = static_cast<float>(pass) / static_cast<float>(total) * 100.0f;
  std::string text = port::Format("%f", static_cast<double>(percent)).substr(0, 5);
  if (text == "100.0") text = "100";
  if (text == "0.000") text = "0";
  return text + "%";
}

void MainScreenLayout::StoreCounts(int site) {
  const YieldCounts counts = m_models[static_cast<std::size_t>(site)]->Counts();
  const std::string config = ModelSettings::GetConfigIniPath();
  const std::string section = LotSection(site);
  WriteIniStrings(section.c_str(),
                  {{"TOTAL", std::to_string(counts.total)},
                   {"PASS", std::to_string(counts.pass)},
                   {"FAIL", std::to_string(counts.fail)},
                   {"YIELD", FormatYield(counts.pass, counts.total)}},
                  config);
}

void MainScreenLayout::LoadYieldCounts(bool reset) {
  const std::lock_guard lock(m_statsLock);
  const std::string config = ModelSettings::GetConfigIniPath();
  for (int site = 0; site < GetSiteCount(); ++site) {
    SiteModel& model = *m_models[static_cast<std::size_t>(site)];
    const std::string section = LotSection(site);
    std::string& loadedYield = m_loadedYield[static_cast<std::size_t>(site)];
    if (reset) {
      model.SetCounts({});
      loadedYield.clear();
      m_times[static_cast<std::size_t>(site)] = {};
      WriteIniStrings(section.c_str(), {{"TOTAL", "0"}, {"PASS", "0"}, {"FAIL", "0"}, {"YIELD", "0"}}, config);
      continue;
    }
    model.SetCounts({ReadIniInt(section.c_str(), "TOTAL", 0, config), ReadIniInt(section.c_str(), "PASS", 0, config),
                     ReadIniInt(section.c_str(), "FAIL", 0, config)});
    loadedYield = ReadIniString(section.c_str(), "YIELD", "", config);
    if (loadedYield.empty()) loadedYield = "0%";
    SiteTimes& times = m_times[static_cast<std::size_t>(site)];
    times.itemTotalMs = ReadIniInt64(section.c_str(), "DLL_TOTAL_TIME", 0, config);
    times.threadTotalMs = ReadIniInt64(section.c_str(), "THREAD_TOTAL_TIME", 0, config);
  }
}

void MainScreenLayout::UpdateYield(bool pass, int site) {
  if (site < 0 || site >= GetSiteCount()) return;
  const std::lock_guard lock(m_statsLock);
  m_models[static_cast<std::size_t>(site)]->AddYield(pass);
  m_loadedYield[static_cast<std::size_t>(site)].clear();
  StoreCounts(site);
}

std::string MainScreenLayout::ShownYield(int site, const YieldCounts& counts) {
  const std::lock_guard lock(m_statsLock);
  const std::string& loaded = m_loadedYield[static_cast<std::size_t>(site)];
  return loaded.empty() ? FormatYield(counts.pass, counts.total) : loaded;
}

void MainScreenLayout::UpdateAverageTime(int site, const std::string& elapsedMs, bool reset) {
  if (site < 0 || site >= GetSiteCount()) return;
  {
    const std::lock_guard lock(m_statsLock);
    SiteTimes& times = m_times[static_cast<std::size_t>(site)];
    if (reset) {
      times = {};
    } else {
      for (const ItemRow& row : m_models[static_cast<std::size_t>(site)]->Rows())
        times.itemTotalMs += std::atoll(row.tact.c_str());
      times.threadTotalMs += std::atoll(elapsedMs.c_str());
      const std::string config = ModelSettings::GetConfigIniPath();
      WriteIniStrings(LotSection(site).c_str(),
                      {{"DLL_TOTAL_TIME", std::to_string(times.itemTotalMs)},
                       {"THREAD_TOTAL_TIME", std::to_string(times.threadTotalMs)}},
                      config);
    }
  }
  ShowAverages(site);
}

// The averages are per test of the lot: the totals over the yield list's Total.
void MainScreenLayout::ShowAverages(int site) {
  SiteTimes times;
  {
    const std::lock_guard lock(m_statsLock);
    times = m_times[static_cast<std::size_t>(site)];
  }
  const int total = m_models[static_cast<std::size_t>(site)]->Counts().total;
  const auto average = [total](std::int64_t totalMs) {
    return total == 0 ? 0.0 : static_cast<double>(totalMs) / total / 1000.0;
  };
  const char letter = static_cast<char>('A' + site);
  const QString dll = QString::fromStdString(port::Format("Average_%c\n%.1f s", letter, average(times.itemTotalMs)));
  const QString thread =
      QString::fromStdString(port::Format("Average_%c\n%.1f s", letter, average(times.threadTotalMs)));
  QPointer<CFontStatic> dllLabel = At(m_controls.averageDll, site);
  QPointer<CFontStatic> threadLabel = At(m_controls.averageThread, site);
  const std::string dllKey = port::Format("AVERAGE_DLL_%c", letter);
  const std::string threadKey = port::Format("AVERAGE_THREAD_%c", letter);
  port::ui::Post([dllLabel, threadLabel, dll, thread, dllKey, threadKey] {
    if (dllLabel) {
      dllLabel->setText(dll);
      ApplyControlFont(dllLabel, "USER_INIT", dllKey.c_str());
    }
    if (threadLabel) {
      threadLabel->setText(thread);
      ApplyControlFont(threadLabel, "USER_INIT", threadKey.c_str());
    }
  });
}

void MainScreenLayout::LoadErrorList(bool clear) {
  if (m_controls.errorList == nullptr || !clear) return;
  QPointer<CGridCtrl> list = m_controls.errorList;
  port::ui::Post([list] {
    if (list) list->DeleteAllItems();
  });
}

void MainScreenLayout::DeleteYieldLists() {
  if (m_controls.yieldLists == nullptr) return;
  for (CGridCtrl* yield : *m_controls.yieldLists) delete yield;
  m_controls.yieldLists->clear();
}
