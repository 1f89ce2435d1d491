#include "hardware_controller.h"

#include <cstdarg>

#include "port/clock.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/text.h"

namespace hw {

HardwareController::HardwareController(CInterFace_SW* binder, CQRV_LoadMemory* record)
    : binder_(binder), record_(record), state_(std::make_unique<HwState>(record)) {
  OpenDaqDevices();
  workers_ = std::make_unique<PlayWorkers>(*this, binder_);
}

HardwareController::~HardwareController() { Release(); }

std::vector<int> HardwareController::BoardsInUse() const {
  const int para = record_ ? static_cast<int>(record_->GetPara()) : 0;
  std::vector<int> boards;
  if (para == 1) {
    const int board = state_->Settings()->usbId;
    if (IsValidBoard(board)) boards.push_back(board);
    return boards;
  }
  for (int board = 0; board < para && board < kBoardCount; ++board) boards.push_back(board);
  return boards;
}

void HardwareController::BindEncapsulationTable() {
  table_ = std::make_unique<EncapsulationTable>();
  std::string root = record_ ? record_->GetRoot() : std::string();
  if (root.empty()) root = port::ProgramFolder();
  const std::string path = root + "/System/HW_Loadlibrary/HW_Velkara/" + kEncapsulationFileName;
  // Never freed: test items keep calling through the table until the process ends.
  table_->m_hModule = port::LoadModule(path);
  if (!table_->m_hModule) {
    port::MessageBox("HW_Velkara_Encapsulation.dll Loadlibrary Fail", "", port::kMbOk);
    return;
  }
  bool complete = true;
  auto bind = [&](auto& slot, const char* name) {
    slot = port::FindFunction<std::remove_reference_t<decltype(slot)>>(table_->m_hModule, name);
    if (!slot) complete = false;
  };
  bind(table_->OnInit, "OnInit");
  bind(table_->OnSpecDlg, "OnSpecDlg");
#define QRV_BIND_ENCAP(facade, board, logId, required) bind(table_->facade, #facade);
  QRV_ENCAP_WRAPPERS(QRV_BIND_ENCAP)
#undef QRV_BIND_ENCAP
  if (!complete) port::MessageBox("HW_Velkara_Encapsulation.dll Function Error", "", port::kMbOk);
}

namespace {

std::string DateText(std::uint32_t word) {
  return port::Format("%X.%X.%X.%X", ((word >> 24) & 0xF) + 0x20, (word >> 16) & 0xFF, (word >> 8) & 0xFF,
                      word & 0xFF);
}

const char* TxKind(std::uint32_t word) {
  switch (word >> 28) {
    case 1: return "Tx : LPDP FW";
    case 3: return "Tx : ACI FW";
    default: return "Tx : Unknown";
  }
}

const char* RxKind(std::uint32_t word) {
  switch (word >> 28) {
    case 2: return "Rx : LPDP FW";
    case 4: return "Rx : ACI FW";
    default: return "Rx : Unknown";
  }
}

}  // namespace

void HardwareController::ReportVersions(int board) {
  std::uint16_t v[4] = {};
  BoardCall(table_->Logic_GetDllVersion, &v[0], &v[1], &v[2], &v[3]);
  state_->Log("LogicDllVer:%04d.%02d.%02d.%02d", v[0], v[1], v[2], v[3]);
  std::uint16_t e[4] = {};
  BoardCall(table_->Power_GetDllVersion, &e[0], &e[1], &e[2], &e[3]);
  state_->Log("ExtDllVer:%04d.%02d.%02d.%02d", e[0], e[1], e[2], e[3]);
  std::uint32_t rx = 0;
  std::uint32_t tx = 0;
  BoardCall(table_->FW_GetDate, board, &rx, &tx);
  state_->Log("Rx LogicDate : %s", DateText(rx).c_str());
  state_->Log("Tx LogicDate : %s", DateText(tx).c_str());
  state_->Log("%s", TxKind(tx));
  state_->Log("%s", RxKind(rx));
}

int HardwareController::OpenDaqDevices() {
  if (!table_) {
    BindEncapsulationTable();
    if (table_->OnInit) table_->OnInit();
  }
  const int found = BoardCall(table_->OpenDevice);
  state_->SetDevicesOpen(false);
  if (found <= 0) {
    state_->Log("OpenDAQDevice Fail");
    return 0;
  }
  state_->Log("Device Count : %d", found);
  state_->Log("User Device Setting Count : %d", record_ ? static_cast<int>(record_->GetPara()) : 0);
  const RecordIni sensorIni(record_, record_ ? record_->GetSensorPath() : std::string());
  for (const int board : BoardsInUse()) {
    const bool ok = BoardCall(table_->LVDS_Init, board) == 1;
    state_->Log(ok ? "LVDS_Init_Mul Pass : USB INDEX %d" : "LVDS_Init_Mul Fail : USB INDEX %d", board);
    const std::string key = "OPEN_DEVICE_INIT_FLAG_" + std::to_string(board);
    sensorIni.WriteInt("HW_INIT", key.c_str(), ok ? 1 : 0);
  }
  for (const int board : BoardsInUse()) ReportVersions(board);
  state_->SetDevicesOpen(true);
  return 1;
}

void HardwareController::Release() {
  if (released_) return;
  released_ = true;
  // No worker may call a board that is being closed, nor code that is being unloaded.
  if (workers_) workers_->Shutdown();
  CloseDaqDevices();
}

void HardwareController::CloseDaqDevices() {
  if (!table_) return;
  for (const int board : BoardsInUse()) BoardCall(table_->LVDS_Close, board);
  BoardCall(table_->CloseDevice);
}

void HardwareController::DelayMs(double ms) {
  port::clock::PreciseWait(
      std::chrono::duration_cast<port::clock::Duration>(std::chrono::duration<double, std::milli>(ms)));
}

void HardwareController::WaitPowerDelay(int ms) {
  if (ms <= 0) return;
  port::clock::PreciseWait(std::chrono::milliseconds(ms > 10000 ? 10000 : ms));
}

void HardwareController::SiteLog(int site, const char* format, ...) {
  if (!record_ || !record_->SetLog) return;
  va_list args;
  va_start(args, format);
  const std::string text = port::FormatV(format, args);
  va_end(args);
  record_->SetLog(site, "%s", text.c_str());
}

}  // namespace hw
