#include "RmtItem.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "HiokiLog.h"
#include "QRV_PlatformMemory.h"
#include "RmtLinks.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/text.h"

namespace {

constexpr int kFinalRangeGapMs = 50;

int SelectionsPerPass(const RmtSettings& settings) {
  int channels = 0;
  int points = 0;
  for (int ch = 0; ch < kRelayChannels; ++ch) channels += settings.channel[ch] != 0 ? 1 : 0;
  for (int tp = 0; tp < kRelayTestPoints; ++tp) points += settings.testPoint[tp] != 0 ? 1 : 0;
  return channels * points;
}

bool AnyChannel(const RmtSettings& settings) {
  return std::any_of(std::begin(settings.channel), std::end(settings.channel), [](int on) { return on != 0; });
}

bool IsScan(RmtItem::Job job) { return job == RmtItem::Job::kScan || job == RmtItem::Job::kAgingScan; }

}  // namespace

RmtItem::RmtItem(CQRV_LoadMemory* record) : record_(record) {}

RmtItem::~RmtItem() {
  stopping_.Set();
  aging_ = false;
  WaitJob();
  meter_.reset();
  relay_.reset();
}

std::string RmtItem::IniPath() const { return port::JoinPath(record_->m_szModelPath, "Test.ini"); }

void RmtItem::Log(const std::string& text) const {
  if (record_->SetLog != nullptr) record_->SetLog(0, "%s", text.c_str());
}

int RmtItem::CreateItemAndConnect() {
  const RmtSettings settings = LoadItemSettings(*record_, IniPath());
  UseSettings(settings);
  const char* ip = settings.ipAddress.c_str();
  std::vector<std::string> messages;
  {
    std::lock_guard lock(linkLock_);
    meter_.reset();
    relay_ = std::make_unique<CMyTCP>();
    if (relay_->Connect(ip, settings.boardPort) == 1) {
      messages.push_back(port::Format("RMT Board TCP Connect Pass IP address:%s, Port: %d", ip, settings.boardPort));
      meter_ = std::make_unique<CMyTCP>();
      linksReady_ = meter_->Connect(ip, settings.meterPort) == 1;
      messages.push_back(linksReady_
                             ? port::Format("DMM TCP Connect Pass IP address:%s, Port: %d", ip, settings.meterPort)
                             : port::Format("Hioki TCP Connect fail %s", ip));
    } else {
      linksReady_ = false;
      messages.push_back(port::Format("RMT Board TCP Connect fail %s", ip));
    }
  }
  // A box runs an event loop: it must find every lock of the item free.
  for (const std::string& message : messages) port::MessageBox(message);
  return linksReady_ ? 1 : 0;
}

int RmtItem::ScanChannels(const RmtSettings& settings, bool measure,
                          const std::function<void(int ch, int tp)>& step) {
  RmtLinks links(*relay_, *meter_, settings, [this](const std::string& text) { Log(text); }, &stopping_);
  for (int ch = 0; ch < kRelayChannels; ++ch) {
    if (settings.channel[ch] == 0) continue;
    links.RelayInit();
    if (measure) links.RelayVersion();
    for (int tp = 0; tp < kRelayTestPoints; ++tp) {
      if (settings.testPoint[tp] == 0) continue;
      if (step) step(ch, tp);
      if (stopping_.IsSet() || links.RelaySelect(ch, tp) == 0) return kRmtNoReply;
      if (!measure) continue;
      float value = 0.0f;
      if (!links.MeasureResistance(value)) return kRmtNoReply;
      AppendMeasurementCsv(record_->m_szRoot, settings, ch, tp, value, port::clock::NowLocal());
    }
  }
  return kRmtPass;
}

int RmtItem::OnTest() {
  Log("StartTest");
  const RmtSettings settings = LoadItemSettings(*record_, IniPath());
  UseSettings(settings);
  std::lock_guard lock(linkLock_);
  if (!linksReady_) {
    Log("HW Initialized Fail");
    return kRmtNotReady;
  }
  RmtLinks links(*relay_, *meter_, settings, [this](const std::string& text) { Log(text); }, &stopping_);
  links.MeterSetup();
  Log("Hioki_Initialize Pass");
  if (const int result = ScanChannels(settings, true, {}); result != kRmtPass) return result;
  links.RelayInit();
  const std::string finalRange = "RES:RANG 10E+5\r\n";
  meter_->Send(finalRange.data(), static_cast<int>(finalRange.size()));
  Log("Send Data(ASCII) : RES:RANG 10E+5");
  port::clock::SleepMs(kFinalRangeGapMs);
  return kRmtPass;
}

void RmtItem::SetListener(Listener listener) {
  std::lock_guard lock(listenerLock_);
  listener_ = std::move(listener);
}

void RmtItem::Report(const JobReport& report) {
  std::lock_guard lock(listenerLock_);
  if (listener_) listener_(report);
}

bool RmtItem::StartJob(Job job, int agingCount) {
  if (busy_.exchange(true)) return false;
  // The last job has reported its end; its thread is only leaving.
  WaitJob();
  aging_ = job == Job::kAgingScan;
  scanPasses_ = 0;
  worker_ = std::thread([this, job, agingCount, settings = Settings()] { RunJob(job, agingCount, settings); });
  return true;
}

bool RmtItem::Busy() const { return busy_; }

void RmtItem::WaitJob() {
  if (worker_.joinable()) worker_.join();
}

// A scan takes the links pass by pass, so that a test run may come in between two passes of an aging loop.
void RmtItem::RunJob(Job job, int agingCount, const RmtSettings& settings) {
  JobReport report;
  report.job = job;
  const int passes = job == Job::kAgingScan ? agingCount : 1;
  if (IsScan(job)) report.steps = std::max(passes, 0) * SelectionsPerPass(settings);
  const auto step = [&](int ch, int tp) {
    ++report.step;
    report.channel = ch + 1;
    report.testPoint = tp + 1;
    Report(report);
  };
  const auto outcome = [](bool answered) { return answered ? Outcome::kDone : Outcome::kNoReply; };
  if (!linksReady_) {
    report.outcome = Outcome::kNotConnected;
  } else if (IsScan(job) && (passes < 1 || !AnyChannel(settings))) {
    report.outcome = Outcome::kNothingToDo;
  } else if (IsScan(job)) {
    do {
      std::lock_guard lock(linkLock_);
      report.outcome = outcome(ScanChannels(settings, false, step) == kRmtPass);
      if (report.outcome != Outcome::kDone) break;
      ++scanPasses_;
    } while (aging_ && !stopping_.IsSet() && scanPasses_ < passes);
  } else {
    std::lock_guard lock(linkLock_);
    RmtLinks links(*relay_, *meter_, settings, [this](const std::string& text) { Log(text); }, &stopping_);
    if (job == Job::kReadData) {
      links.MeterSetup();
      report.outcome = outcome(links.MeasureResistance(report.reading));
    } else if (job == Job::kRelayInit) {
      report.outcome = outcome(links.RelayInit() == 1);
    } else {
      report.outcome = outcome(links.RelayVersion() == 1);
      if (report.outcome == Outcome::kDone) report.version = links.VersionText();
    }
  }
  report.done = true;
  busy_ = false;
  Report(report);
}

RmtSettings RmtItem::Settings() const {
  std::lock_guard lock(settingsLock_);
  return settings_;
}

void RmtItem::UseSettings(const RmtSettings& settings) {
  std::lock_guard lock(settingsLock_);
  settings_ = settings;
}
