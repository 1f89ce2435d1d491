#include "packet_dispatcher.h"

#include <algorithm>
#include <cstring>

#include "QRV_Exports.h"
#include "answer_store.h"
#include "clock_request.h"
#include "port/clock.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "port/window_message.h"
#include "result_report.h"
#include "text_rules.h"

namespace protocol {
namespace {

constexpr int kBoardCount = 4;
constexpr int kMaxPauseSec = 24 * 60 * 60;
constexpr int kMaxSimulatedDelayMs = 60 * 1000;
constexpr std::string_view kStartFail = "@RET=0@MSG=Platform START FAIL";
constexpr const char* kColourMeterFile = "d:\\test\\machine\\i1pro.ini";

int IntField(const ProtocolPacket& packet, std::string_view key) { return PacketFields(packet.Data()).Int(key); }

bool IsBoard(int usb) { return usb >= 0 && usb < kBoardCount; }
bool IsPara(int para) { return para >= 0 && para < kMaxSites; }

std::string WithoutLineEnds(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c != '\r' && c != '\n') out.push_back(c);
  }
  return out;
}

}  // namespace

PacketDispatcher::PacketDispatcher(std::shared_ptr<ServerLine> line, const std::atomic<bool>& simulationMode,
                                   MesGrids& mes)
    : line_(std::move(line)), simulationMode_(simulationMode), mes_(mes) {}

void PacketDispatcher::Answer(const ProtocolPacket& request, std::string_view data) {
  line_->SendPacket(PacketType::Ack, request.Code(), request.Ext(), data.empty() ? request.Data() : data, &request);
}

bool PacketDispatcher::HandledAtOnce(const std::string& packet) { return ProtocolPacket(packet).IsCommand('K', "SOT"); }

void PacketDispatcher::DispatchPacket(std::string text) {
  const bool isMes = ProtocolPacket(text).IsCommand('M', "MES");
  if (!text.empty() && text.back() == '\r' && !isMes) text.pop_back();
  const ProtocolPacket packet(text);
  if (!packet.IsCommand('K', "SOT")) line_->Log(text);
  if (line_->monitor && !packet.IsCommand('K', "SOT")) line_->monitor->AddRecvRow(line_->Server(), text);

  if (packet.IsCommand('K', "SOT")) return OnStartOfTest(packet);
  if (packet.IsCommand('K', "EOT")) return OnEndOfTest(packet);
  if (packet.IsCommand('K', "PAU")) return OnPause(packet);
  if (packet.IsCommand('K', "HOF")) return OnFocusHome(packet);
  if (packet.IsCommand('I', "IOT")) return OnStatusInquiry(packet);
  if (packet.IsCommand('H', "SBY")) return OnStandbyOffset(packet);
  if (packet.IsCommand('M', "LOT")) return OnLot(packet);
  if (packet.IsCommand('M', "FTP")) return OnModelName(packet);
  if (packet.IsCommandNoCase('S', "TIM")) return OnClock(packet);
  if (packet.IsCommand('M', "MES")) return OnMes(packet);
  if (packet.IsCommand('M', "NVM")) return OnNvm(packet);
  if (packet.IsCommand('F', "FLR")) return OnFocusConeLoad(packet);
  if (packet.IsCommand('T', "STP")) return Answer(packet, {});
  StoreTesterAnswer(*line_, packet);
}

// Every number that selects a site, a board or a table slot is checked before anything starts.
bool PacketDispatcher::StartOfTestInRange(const PacketFields& fields) const {
  const int usb = fields.Int("Usb");
  if (!IsPara(fields.Int("Para"))) return false;
  if (fields.Int("DUAL") == 0) return line_->IsConfiguredSite(fields.Int("Site")) && IsBoard(usb);
  return line_->IsConfiguredSite(fields.Int("DUAL_SITE_L")) && line_->IsConfiguredSite(fields.Int("DUAL_SITE_R")) &&
         IsBoard(usb) && IsBoard(usb + 1);
}

bool PacketDispatcher::StartAccepted(const PacketFields& fields) const {
  const bool ready = simulationMode_.load() || line_->testerState.load() == kTesterReady;
  return ready && StartOfTestInRange(fields);
}

void PacketDispatcher::OnStartOfTest(const ProtocolPacket& packet) {
  const PacketFields fields(packet.Data());
  const bool accepted = StartAccepted(fields);
  // Only an accepted start begins a new test in the monitor: a refused one joins the running test's lists.
  if (line_->monitor) {
    if (accepted) line_->monitor->StartTest(line_->Server());
    line_->monitor->AddRecvRow(line_->Server(), packet.Text());
  }
  if (!accepted) {
    line_->LogToSite(fields.Int("Site"), "Protocol - START FAIL");
    return Answer(packet, kStartFail);
  }
  ServerLine& line = *line_;
  line.answers.ClearForStart();
  line.site = fields.Int("Site");
  line.usbIndex = fields.Int("Usb");
  line.para = fields.Int("Para");
  line.grrMode = fields.Int("GrrMode");
  line.testSequence = fields.Int("TestSequence");
  line.dual = fields.Int("DUAL");
  line.firstStart = fields.Int("FIRST_START");
  line.lastStart = fields.Int("LAST_START");
  line.distanceTarget = ParseFloat(fields.Get("DISTANCE_TARGET"));
  line.distanceActual = ParseFloat(fields.Get("DISTANCE_ACTUAL"));
  line.testCount = fields.Int("TESTCNT");
  port::CopyText(line.barCode.BCD, fields.Get("BCD"));
  port::CopyText(line.barCode.VCM, fields.Get("VCM"));
  port::CopyText(line.barCode.BCD_SUB, fields.Get("BCD_SUB"));
  port::CopyText(line.barCode.TIME, fields.Get("TIME"));
  line.agingMode = fields.Int("Aging_Mode");
  line.userInsertBcd = fields.Int("USER_INSERT_BCD");
  line.foxLog = fields.Int("FOXLOG");
  line.pauseStatus = 0;
  // Working before the sites start: a site that ends at once must find the state it resets.
  line.testerState = kTesterWorking;
  line.RestartSequence();

  const int usb = line.usbIndex.load();
  if (line.dual.load() != 0) {
    {
      const std::lock_guard lock(line.resultMutex);
      line.dualCode.reset();
      line.dualResultCount = 0;
      line.dualFirstCode = 0;
      line.dualMessage.clear();
      line.dualSideRefused = false;
      line.dualSequenceCount = 0;
    }
    line.dualSiteLeft = fields.Int("DUAL_SITE_L");
    line.dualSiteRight = fields.Int("DUAL_SITE_R");
    line.site = line.dualSiteLeft.load();
    const bool left = StartSite(line.dualSiteLeft, usb, packet);
    const bool right = StartSite(line.dualSiteRight, usb + 1, packet);
    if (!left || !right)
      RefuseStart(packet, left ? line.dualSiteRight.load() : line.dualSiteLeft.load(), left || right);
  } else if (!StartSite(line.site, usb, packet)) {
    RefuseStart(packet, line.site, false);
  }
}

// False when the main program refused the start (the station is loading its items, for one).
bool PacketDispatcher::StartSite(int site, int usb, const ProtocolPacket& packet) {
  const int server = line_->Server();
  const int grr = line_->grrMode.load();
  line_->LogToSite(site, port::Format("[Protocol] Test START : Site %d, Usb %d, Server %d, GrrMode %d", site, usb,
                                      server, grr));
  int status = 0;
  if (auto start = reinterpret_cast<ExportPlatformStart_Fn>(port::FindProgramSymbol("ExportPlatformStart"))) {
    status = start(site, usb, server, grr);
  }
  line_->LogToSite(site, packet.Text());
  return status >= 0;
}

// With none started the line is ready again. A site that started keeps the line working until it reports;
// the refused side of its pair counts as reported, so that the started site's result reaches the handler and
// makes the line ready.
void PacketDispatcher::RefuseStart(const ProtocolPacket& packet, int site, bool anotherStarted) {
  if (!anotherStarted) line_->testerState = kTesterReady;
  line_->LogToSite(site, "Protocol - START FAIL");
  Answer(packet, kStartFail);
  if (anotherStarted) ReportRefusedSide(*line_);
}

void PacketDispatcher::OnEndOfTest(const ProtocolPacket& packet) {
  line_->SendCommandToPanel("STOP");
  Answer(packet, {});
  line_->MarkMonitor(AckMonitor::List::Recv);
  line_->MarkMonitor(AckMonitor::List::Send);
}

void PacketDispatcher::OnPause(const ProtocolPacket& packet) {
  const int asked = IntField(packet, "PauseStatus");
  auto& status = line_->pauseStatus;
  auto reply = [&](int ret, int shown, const char* message) {
    Answer(packet, port::Format("@RET=%d@Status=%d@MSG=%s", ret, shown, message));
  };
  if (asked == 2) return reply(2, status.load(), "VERIFY_FAIL");
  if (asked == 1 && line_->testerState.load() != kTesterWorking) {
    line_->Log("Pause......Is not working");
    return reply(10, status.load(), "IS_NOT_WORKING");
  }
  switch (status.load()) {
    case 0:
      if (asked != 1) return reply(1, 0, "TESTER_PAUSE_STATUS_PAUSE_OK");
      status = 1;
      if (WaitForPauseConfirmation(IntField(packet, "TIMEOUT_SEC"))) return reply(1, 2, "TESTER_PAUSE_STATUS_PAUSE_OK");
      status = 0;
      return reply(3, 0, "PAUSE_SET_TIMEOUT");
    case 2:
      if (asked != 0) return reply(1, 2, "TESTER_PAUSE_STATUS_PAUSE_OK");
      status = 0;
      return reply(1, 0, "TESTER_PAUSE_STATUS_READY");
    default:
      return reply(2, 1, "VERIFY_FAIL");
  }
}

bool PacketDispatcher::WaitForPauseConfirmation(int timeoutSec) {
  const std::int64_t timeoutMs = std::int64_t{std::clamp(timeoutSec, 0, kMaxPauseSec)} * 1000;
  const auto start = port::clock::Now();
  while (line_->pauseStatus.load() != 2) {
    if (port::clock::ElapsedMs(start) >= timeoutMs) {
      line_->Log("Paus Timeout");
      return false;
    }
    if (line_->Record()->GetStopButtonFlag() != 0 || isStopping_()) {
      line_->Log("Paus Stop. Button Flag");
      return false;
    }
    if (line_->testerState.load() != kTesterWorking) {
      line_->Log("Paus Stop. Is not working");
      return false;
    }
    port::clock::SleepMs(1);
  }
  return true;
}

void PacketDispatcher::OnFocusHome(const ProtocolPacket& packet) {
  const std::string path =
      port::JoinPath(port::JoinPath(line_->Record()->GetRoot(), "Cycle"), "QRV_InterFace_AutoFocus.dll");
  const port::ModuleHandle library = port::LoadModule(path);
  if (!library) return line_->Log("QRV_InterFace_AutoFocus Null pointer");
  auto moveHome = port::FindFunction<int (*)()>(library, "Move_Home");
  if (!moveHome) return;
  const int result = moveHome();
  line_->Log(port::Format("AutoFocus Move_Home : Ret=%d", result));
  Answer(packet, port::Format("@RET=%d", result));
}

// The row a simulation run's last "Status" remembered: "delay,state".
std::string PacketDispatcher::SimulatedStatus() {
  const Sequence rows = line_->sequences ? line_->sequences->Rows(line_->Server()) : Sequence{};
  const std::size_t row = static_cast<std::size_t>(std::max(0, line_->statusRow.load()));
  const auto items = SplitList(row < rows.size() ? rows[row].value : std::string());
  line_->testerState = items.size() > 1 ? ParseInt(items[1]) : 0;
  port::clock::SleepMs(items.empty() ? 0 : std::clamp(ParseInt(items[0]), 0, kMaxSimulatedDelayMs));
  return "SimulationMode Status return";
}

void PacketDispatcher::OnStatusInquiry(const ProtocolPacket& packet) {
  CQRV_LoadMemory* record = line_->Record();
  const std::string sensor = record->GetSensorPath();
  std::string message;
  if (simulationMode_.load()) {
    message = SimulatedStatus();
  } else if (record->IniRead_Int) {
    if (record->GetPara() == 1) line_->usbIndex = record->IniRead_Int("QRV_HW", "HW_USB_ID", 0, sensor.c_str());
    const int usb = line_->usbIndex.load();
    const std::string key = port::Format("OPEN_DEVICE_INIT_FLAG_%d", usb);
    if (record->IniRead_Int("HW_INIT", key.c_str(), 0, sensor.c_str()) == 0) {
      line_->testerState = kTesterError;
      message = "Hardware Open device Error";
      line_->Log(port::Format("HW_INIT :: OPEN_DEVICE Error [USB ID : %d]", usb));
    }
  }
  const int state = line_->testerState.load();
  if (message.empty() && state == kTesterWorking) message = "Platform Workiing..";
  if (message.empty() && state == kTesterReady) message = "Platform Ready";
  const std::string time(line_->i1Pro.text, strnlen(line_->i1Pro.text, sizeof line_->i1Pro.text));
  if (line_->mesError.load() == 4) return Answer(packet, port::Format("@RET=%.3d@MSG=MES_ERROR@TIME=%s", 4, time.c_str()));
  Answer(packet, port::Format("@RET=%.3d@MSG=%s@TIME=%s", state, message.c_str(), time.c_str()));
}

void PacketDispatcher::OnStandbyOffset(const ProtocolPacket& packet) {
  const PacketFields fields(packet.Data());
  const int para = fields.Int("Para");
  const int site = fields.Int("Site");
  const int usb = fields.Int("Usb");
  int result = 0;
  if (IsPara(para) && line_->IsConfiguredSite(site) && IsBoard(usb)) {
    auto instance = reinterpret_cast<GetHardwareInstance_Fn>(port::FindProgramSymbol("GetHardwareInstance"));
    const port::ModuleHandle hardware = instance ? instance() : nullptr;
    if (auto measure = port::FindFunction<int (*)(int, int, int)>(hardware, "OnStandbyDynamicOffset")) {
      result = measure(usb, site, para);
    }
  }
  Answer(packet, port::Format("@RET=%d", result));
}

void PacketDispatcher::OnLot(const ProtocolPacket& packet) {
  CQRV_LoadMemory* record = line_->Record();
  const std::string oldLot = WithoutLineEnds(record->GetLotNumber());
  const std::string newLot = SafeLotName(GetPacketField(packet.Data(), "LOT"));
  if (oldLot != newLot) {
    if (record->IniWrite_Double) {
      const std::string meter = port::NormalizePath(kColourMeterFile);
      for (const char* key : {"D50_Average_1", "D50_Count_1", "D50_Average_0", "D50_Count_0", "A_Average_1",
                              "A_Count_1", "A_Average_0", "A_Count_0"}) {
        record->IniWrite_Double("AE_Delta", key, 0.0, meter.c_str());
      }
    }
    line_->Log(port::Format("LotChange old : %s new : %s", oldLot.c_str(), newLot.c_str()));
  }
  port::CopyText(line_->mes.LOT, newLot);
  line_->SendCommandToPanel("LOT_NUMBER," + newLot);
}

void PacketDispatcher::OnModelName(const ProtocolPacket& packet) {
  const std::string model = line_->Record()->GetModelName();
  const bool same = GetPacketField(packet.Data(), "REFNAME") == model;
  Answer(packet, port::Format("@REFNAME=%s@RET=%d", model.c_str(), same ? 1 : 0));
}

void PacketDispatcher::OnClock(const ProtocolPacket& packet) {
  const std::string time = GetPacketField(packet.Data(), "TIME");
  line_->SendPacket(PacketType::Ack, 'S', "TIM", ClockAnswer(time, clockSetter_), &packet);
}

// The handler's own focus-cone-load result, kept for GetLoadResult.
void PacketDispatcher::OnFocusConeLoad(const ProtocolPacket& packet) {
  line_->answers.Flag(AckFlag::FLR).store(IntField(packet, "RET"), std::memory_order_release);
  Answer(packet, {});
}

// A MES packet keeps its final '\r' up to here: without it the data may be cut short, which the status
// answer reports until a whole one arrives.
void PacketDispatcher::OnMes(const ProtocolPacket& received) {
  std::string_view text = received.Text();
  const bool whole = !text.empty() && text.back() == '\r';
  if (whole) text.remove_suffix(1);
  line_->mesError = whole ? 0 : 4;
  const ProtocolPacket packet(text);
  mes_.ParseMesData(line_->Server(), packet.Data(), line_->mes);
  line_->SendCommandToPanel("LOT_NUMBER," + SafeLotName(line_->mes.LOT));
  Answer(packet, packet.Data());
}

void PacketDispatcher::OnNvm(const ProtocolPacket& packet) {
  line_->SendPacket(PacketType::Ack, 'M', "NVM", mes_.BuildNvmReply(packet.Data()), &packet);
}

}  // namespace protocol
