#pragma once
// A headless site panel for the loop tests: item rows with their retry counts, every screen operation and
// report recorded, and a wait for the end of a site's runs.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <string>
#include <vector>

#include "SiteRunHost.h"

struct Report {
  int site;
  int code;
  std::string label;
};

class FakeSiteHost : public SiteRunHost {
 public:
  explicit FakeSiteHost(std::string errorCodePath) : m_errorCodePath(std::move(errorCodePath)) {}

  // Registration of a site: one row per DLL, with its retry count.
  void Register(int site, std::vector<std::pair<std::string, int>> dllsAndRetries) {
    std::lock_guard lock(m_lock);
    m_registration[site] = std::move(dllsAndRetries);
  }
  void SetModel(int site, SiteModel* model) { m_models[site] = model; }

  std::atomic<bool> allLoaded{true};
  std::atomic<bool> systemVersionOk{true};
  std::atomic<bool> logDirectoriesOk{true};
  std::atomic<bool> overrideStart{false};
  std::atomic<bool> finishAfterPass{false};
  std::atomic<bool> sendResultFirst{false};
  std::atomic<bool> homeRequest{false};
  std::string listLogFolder;

  bool AllItemsLoaded() override { return allLoaded; }
  bool OverrideStart() override { return overrideStart; }
  bool TakeHomeRequest() override { return homeRequest.exchange(false); }
  bool FinishAfterPass() override { return finishAfterPass; }
  bool SendResultFirst() override { return sendResultFirst; }
  std::string ListLogFolder() override { return listLogFolder; }
  std::string ErrorCodePath() override { return m_errorCodePath; }
  bool CheckSystemVersion(int) override { return systemVersionOk; }
  bool CheckLogDirectories() override { return logDirectoriesOk; }
  // Runs on the site's thread before each row's item, with how many rows the site has started; null for none.
  std::function<void(int site, int itemsStarted)> beforeItem;
  void CheckDeviceInit(int site) override {
    int started = 0;
    {
      std::lock_guard lock(m_lock);
      started = ++m_itemsStarted[site];
    }
    if (beforeItem) beforeItem(site, started);
  }
  void SetProtocolErrorMsg(const std::string&) override {}
  void ShowSiteView(int) override {}

  std::vector<ItemRow> LoadSiteItems(int site) override {
    std::lock_guard lock(m_lock);
    std::vector<ItemRow> rows;
    const auto& entries = m_registration[site];
    for (std::size_t i = 0; i < entries.size(); ++i) {
      ItemRow row;
      row.item = "Item" + std::to_string(i);
      row.dllName = entries[i].first;
      row.retry = entries[i].second;
      rows.push_back(row);
    }
    return rows;
  }

  void SetLogHeader(int) override {}
  void ClearLog(int) override {}
  void SetLogBody(int site, int row, int attempts, const ItemRow& item) override {
    Record(site, "body " + std::to_string(row) + " " + item.result + " " + item.code + " x" +
                     std::to_string(attempts));
  }
  void SetLogEnd(int site, const TestLogEnd& end) override {
    Record(site, "end " + std::to_string(end.resultCode) + " " + end.label + (end.pass ? " PASS" : " FAIL"));
  }
  void ReloadSiteCycleEnd(int) override {}
  int RunCycleEnd(int site, int, int, int) override {
    Record(site, "cycle end");
    return 0;
  }
  void UpdateYield(bool pass, int site) override {
    if (m_models.count(site)) m_models[site]->AddYield(pass);
  }
  void UpdateErrorList(int, int) override {}
  void UpdateAverageTime(int, const std::string&, bool) override {}
  void DrawSiteResult(int site, int, int code, const std::string& text) override {
    Record(site, "draw " + std::to_string(code) + " " + text);
  }
  void SendSiteResult(int site, int code) override {
    const std::string label = m_models.count(site) ? m_models[site]->Label() : std::string();
    Record(site, "result " + std::to_string(code) + " " + label);
    std::lock_guard lock(m_lock);
    m_reports.push_back({site, code, label});
  }
  void SendSiteStatus(int, int site) override {
    std::lock_guard lock(m_lock);
    ++m_statusCount[site];
    m_changed.notify_all();
  }

  // Waits (bounded) until the site has reported its status count times.
  bool WaitForRuns(int site, int count, std::chrono::seconds limit = std::chrono::seconds(20)) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, limit, [&] { return m_statusCount[site] >= count; });
  }
  std::vector<std::string> Events(int site) {
    std::lock_guard lock(m_lock);
    return m_events[site];
  }
  std::vector<Report> Reports() {
    std::lock_guard lock(m_lock);
    return m_reports;
  }
  int StatusCount(int site) {
    std::lock_guard lock(m_lock);
    return m_statusCount[site];
  }

 private:
  void Record(int site, std::string text) {
    std::lock_guard lock(m_lock);
    m_events[site].push_back(std::move(text));
  }

  std::string m_errorCodePath;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::map<int, std::vector<std::pair<std::string, int>>> m_registration;
  std::map<int, SiteModel*> m_models;
  std::map<int, std::vector<std::string>> m_events;
  std::map<int, int> m_statusCount;
  std::map<int, int> m_itemsStarted;
  std::vector<Report> m_reports;
};
