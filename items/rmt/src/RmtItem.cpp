#include "RmtItem.h"

#include "HiokiLog.h"
#include "QRV_PlatformMemory.h"
#include "RmtLinks.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/path.h"
#include "port/text.h"

namespace {
constexpr int kFinalRangeGapMs = 50;
}  // namespace

RmtItem::RmtItem(CQRV_LoadMemory* record) : record_(record) {}

RmtItem::~RmtItem() {
  stopping_ = true;
  aging_ = false;
  WaitRelayScan();
  meter_.reset();
  relay_.reset();
}

std::string RmtItem::IniPath() const { return port::JoinPath(record_->m_szModelPath, "Test.ini"); }

void RmtItem::Log(const std::string& text) const {
  if (record_->SetLog != nullptr) record_->SetLog(0, "%s", text.c_str());
}

int RmtItem::CreateItemAndConnect() {
  WaitRelayScan();
  std::lock_guard lock(linkLock_);
  settings_ = LoadItemSettings(*record_, IniPath());
  meter_.reset();
  relay_ = std::make_unique<CMyTCP>();
  const char* ip = settings_.ipAddress.c_str();
  std::string message;
  if (relay_->Connect(ip, settings_.boardPort) == 1) {
    port::MessageBox(port::Format("RMT Board TCP Connect Pass IP address:%s, Port: %d", ip, settings_.boardPort));
    meter_ = std::make_unique<CMyTCP>();
    linksReady_ = meter_->Connect(ip, settings_.meterPort) == 1;
    message = linksReady_ ? port::Format("DMM TCP Connect Pass IP address:%s, Port: %d", ip, settings_.meterPort)
                          : port::Format("Hioki TCP Connect fail %s", ip);
  } else {
    linksReady_ = false;
    message = port::Format("RMT Board TCP Connect fail %s", ip);
  }
  port::MessageBox(message);
  return linksReady_ ? 1 : 0;
}

// Channels outer, test points inner; measure false is the dialog's scan (switching only).
int RmtItem::ScanChannels(bool measure) {
  RmtLinks links(*relay_, *meter_, settings_, [this](const std::string& text) { Log(text); }, &stopping_);
  for (int ch = 0; ch < kRelayChannels; ++ch) {
    if (settings_.channel[ch] == 0) continue;
    links.RelayInit();
    if (measure) links.RelayVersion();
    for (int tp = 0; tp < kRelayTestPoints; ++tp) {
      if (settings_.testPoint[tp] == 0) continue;
      if (stopping_ || links.RelaySelect(ch, tp) == 0) return kRmtNoReply;
      if (!measure) continue;
      float value = 0.0f;
      if (!links.MeasureResistance(value)) return kRmtNoReply;
      AppendMeasurementCsv(record_->m_szRoot, settings_, ch, tp, value, port::clock::NowLocal());
    }
  }
  return kRmtPass;
}

int RmtItem::OnTest() {
  Log("StartTest");
  std::lock_guard lock(linkLock_);
  settings_ = LoadItemSettings(*record_, IniPath());
  if (!linksReady_) {
    Log("HW Initialized Fail");
    return kRmtNotReady;
  }
  RmtLinks links(*relay_, *meter_, settings_, [this](const std::string& text) { Log(text); });
  links.MeterSetup();
  Log("Hioki_Initialize Pass");
  if (const int result = ScanChannels(true); result != kRmtPass) return result;
  links.RelayInit();
  const std::string finalRange = "RES:RANG 10E+5\r\n";
  meter_->Send(finalRange.data(), static_cast<int>(finalRange.size()));
  Log("Send Data(ASCII) : RES:RANG 10E+5");
  port::clock::SleepMs(kFinalRangeGapMs);
  return kRmtPass;
}

void RmtItem::StartRelayScan(bool aging, int agingCount) {
  WaitRelayScan();
  aging_ = aging;
  scanPasses_ = 0;
  const int repetitions = aging ? agingCount : 1;
  scanWorker_ = std::thread([this, repetitions] { RelayScanThread(repetitions); });
}

void RmtItem::WaitRelayScan() {
  if (scanWorker_.joinable()) scanWorker_.join();
}

void RmtItem::RelayScanThread(int repetitions) {
  if (repetitions < 1 || !linksReady_) return;
  do {
    std::lock_guard lock(linkLock_);
    if (ScanChannels(false) != kRmtPass) return;
    ++scanPasses_;
  } while (aging_ && !stopping_ && scanPasses_ < repetitions);
}

RmtSettings RmtItem::Settings() {
  std::lock_guard lock(linkLock_);
  return settings_;
}

void RmtItem::UseSettings(const RmtSettings& settings) {
  std::lock_guard lock(linkLock_);
  settings_ = settings;
}

bool RmtItem::ReadData(float& value) {
  value = 0.0f;
  std::lock_guard lock(linkLock_);
  if (!linksReady_) return false;
  RmtLinks links(*relay_, *meter_, settings_, [this](const std::string& text) { Log(text); }, &stopping_);
  links.MeterSetup();
  return links.MeasureResistance(value);
}

int RmtItem::RelayInitOnce() {
  std::lock_guard lock(linkLock_);
  if (!linksReady_) return 0;
  RmtLinks links(*relay_, *meter_, settings_, [this](const std::string& text) { Log(text); }, &stopping_);
  return links.RelayInit();
}

std::string RmtItem::RelayVersionText() {
  std::lock_guard lock(linkLock_);
  if (!linksReady_) return {};
  RmtLinks links(*relay_, *meter_, settings_, [this](const std::string& text) { Log(text); }, &stopping_);
  return links.RelayVersion() == 1 ? links.VersionText() : std::string();
}
