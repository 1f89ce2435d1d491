// The hardware library's plain C entries and the table handed to the main program and the test items.
#include <memory>

#include "HardwareBoardLease.h"
#include "HardwareFunctionTable.h"
#include "hardware_controller.h"
#include "hardware_ui.h"
#include "line_crc.h"
#include "port/clock.h"
#include "port/message_box.h"
#include "port/module.h"

namespace {

std::unique_ptr<hw::HardwareController> controller;
std::unique_ptr<hw::HardwareUi> ui;
std::unique_ptr<HardwareFunctionTable> table;

std::shared_ptr<const hw::HwSettings> Settings() {
  static const auto defaults = std::make_shared<const hw::HwSettings>();
  return controller ? controller->State().Settings() : defaults;
}

std::unique_ptr<HardwareFunctionTable> BuildTable(ModuleHandle module) {
  auto built = std::make_unique<HardwareFunctionTable>();
  built->m_hModule = module;
  if (!module) {
    port::MessageBox("QRV_PlatformHW.dll Loadlibrary fail", "", port::kMbOk);
    return built;
  }
  bool complete = true;
  auto bind = [&](auto& slot, const char* name) {
    slot = port::FindFunction<std::remove_reference_t<decltype(slot)>>(module, name);
    if (!slot) complete = false;
  };
#define QRV_BIND_HARDWARE(name, result, params) bind(built->name, #name);
  QRV_HARDWARE_FUNCTIONS(QRV_BIND_HARDWARE)
#undef QRV_BIND_HARDWARE
  if (!complete) port::MessageBox("QRV_PlatformHW.dll Failed to get function pointer", "", port::kMbOk);
  return built;
}

}  // namespace

QRV_EXPORT HardwareFunctionTable* Load_Hardware(CInterFace_SW* binder, CQRV_LoadMemory* record, ModuleHandle* module) {
  // A second call keeps the first library state: a second controller would open the boards twice.
  if (table) return table.get();
  table = BuildTable(module ? *module : nullptr);
  controller = std::make_unique<hw::HardwareController>(binder, record);
  ui = std::make_unique<hw::HardwareUi>(*controller);
  return table.get();
}

// Workers first: no run may still draw, log to the window or drive a board while they go.
QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  if (controller) controller->Workers().Shutdown();
  ui.reset();
  controller.reset();
  table.reset();
}

QRV_EXPORT std::string GetDllVersion() { return std::string("Release - ") + __DATE__; }

// The setup window, from the main menu.
QRV_EXPORT void OnSpecDlg() {
  if (ui) ui->ShowSettings();
}

QRV_EXPORT void OnReadSpec() {
  if (ui) ui->ReadSettings();
}

QRV_EXPORT int GetUSBID() {
  const CQRV_LoadMemory* record = controller ? controller->Record() : nullptr;
  return record && record->GetPara() == 1 ? Settings()->usbId : -1;
}

QRV_EXPORT int GetDeviecInit() { return controller && controller->State().DevicesOpen() ? 1 : 0; }

QRV_EXPORT EncapsulationTable* GetPCI() { return controller ? controller->Table() : nullptr; }
QRV_EXPORT EncapsulationTable* GetUSB() { return GetPCI(); }

QRV_EXPORT int GetCameraIndex() { return Settings()->cameraIndex; }

QRV_EXPORT int IIC_Write_SelMode(int board, int site, int mode, int address, int data) {
  return controller ? controller->IIC_Write_SelMode(board, site, mode, address, data) : 0;
}

QRV_EXPORT int PowerUpSequence(int board, int site, int clockSelect) {
  return controller ? controller->PowerUpSequence(board, site, clockSelect, false) : 0;
}

QRV_EXPORT int PowerUpSequence_DPSpeed(int board, int site, int clockSelect, float dpSpeed, int dpLanes, int dataBits,
                                       std::uint16_t laneFormat) {
  return controller ? controller->PowerUpSequence_DPSpeed(board, site, clockSelect, dpSpeed, dpLanes, dataBits,
                                                          laneFormat)
                    : 0;
}

QRV_EXPORT int PowerDownSequence(int board, int site) {
  return controller ? controller->PowerDownSequence(board, site, false) : 0;
}

QRV_EXPORT int RegisterSet(int board, int site, std::string key) {
  return controller ? controller->RegisterSet(board, site, key) : 0;
}

QRV_EXPORT int RegisterSet_RPT(int board, int site, std::string key) {
  return controller ? controller->RegisterSet_RPT(board, site, key) : 0;
}

QRV_EXPORT int Startverify(int board, int site, int, int laneSelect, int width, int height, int showInDialog) {
  return controller ? controller->Startverify(board, site, laneSelect, width, height, showInDialog != 0) : 0;
}

QRV_EXPORT int GetImageSize(int dataBits, int width, int height) { return hw::GetImageSizeOf(dataBits, width, height); }

QRV_EXPORT int GetImage(int board, unsigned char* buffer, int size) {
  return controller ? controller->GetImage(board, buffer, size) : 0;
}

QRV_EXPORT int GetCRCImageSize(int crcType, int width, int height) {
  return hw::GetCRCImageSizeOf(crcType, width, height);
}

QRV_EXPORT int GetCRCImage(int board, int site, unsigned char* image, unsigned char* grab, int grabSize, int width,
                           int lines, int crcType, int dummyFrames, int averageFrames, int* crcFail, int* secondFlag,
                           int siteLog) {
  return controller ? controller->GetCRCImage(board, site, image, grab, grabSize, width, lines, crcType, dummyFrames,
                                              averageFrames, crcFail, secondFlag, siteLog != 0, false)
                    : 0;
}

QRV_EXPORT int GetImageWidth() { return Settings()->sizeX; }
QRV_EXPORT int GetImageHeight() { return Settings()->sizeY; }
QRV_EXPORT int GetImageWidthRaw() { return Settings()->rawX; }
QRV_EXPORT int GetImageHeightRaw() { return Settings()->rawY; }
QRV_EXPORT int GetImageWidthFrame() { return Settings()->frameX; }
QRV_EXPORT int GetImageHeightFrame() { return Settings()->frameY; }
QRV_EXPORT int GetImageWidthFull() { return Settings()->fullX; }
QRV_EXPORT int GetImageHeightFull() { return Settings()->fullY; }
QRV_EXPORT int GetSizeOffset() { return Settings()->sizeOffset; }
QRV_EXPORT int GetDataFormat() { return Settings()->dataBit; }
QRV_EXPORT int GetMipiType() { return Settings()->mipiMode; }
QRV_EXPORT int GetDpLane(int site) { return Settings()->DpLane(site); }
QRV_EXPORT float GetDpSpeed(int site) { return Settings()->DpSpeed(site); }
QRV_EXPORT int GetRgbMode() { return Settings()->outMode; }
QRV_EXPORT int GetOscType() { return Settings()->oscType; }

QRV_EXPORT std::uint16_t GetSlaveAddr(int board) {
  return controller ? static_cast<std::uint16_t>(controller->State().SlaveAddr(board)) : 0;
}

QRV_EXPORT std::uint16_t GetLANESELECT() { return Settings()->laneSelect; }
QRV_EXPORT std::uint16_t GetLANEFORMAT() { return Settings()->laneFormat; }

QRV_EXPORT int IIC_Write(int board, int address, int data) {
  return controller ? controller->IIC_Write(board, address, data) : 0;
}

QRV_EXPORT int IIC_WriteEx(int board, int slaveAddress, int address, int data, int mode) {
  return controller ? controller->IIC_WriteEx(board, slaveAddress, address, data, mode) : 0;
}

QRV_EXPORT int IIC_Read(int board, int address, int* value) {
  return controller ? controller->IIC_Read(board, address, value) : 0;
}

QRV_EXPORT int IIC_ReadEx(int board, int slaveAddress, int address, int mode, int* value) {
  return controller ? controller->IIC_ReadEx(board, slaveAddress, address, mode, value) : 0;
}

// A play run of the setup dialog on the board, drawn in the site's view; non-zero when it started.
QRV_EXPORT int OnPlay(int board, int site) {
  if (!controller) return 0;
  port::clock::SleepMs(1000);
  return controller->Workers().StartPlay(board, site, controller->Workers().LastCrcMode()) ? 1 : 0;
}

QRV_EXPORT int OnStandbyDynamicOffset(int board, int site, int para) {
  return controller ? controller->OnStandbyDynamicOffset(board, site, para) : 0;
}

// A site's test holds its board from start to end, so that the setup dialog never drives it meanwhile;
// 0 (with a line to the site) when the dialog still holds the board after `waitMs`.
QRV_EXPORT int AcquireBoard(int board, int site, int waitMs) {
  if (!controller) return 0;
  if (controller->State().AcquireForSite(board, waitMs)) return 1;
  controller->SiteLog(site, hw::kBoardHeldByDialog, board);
  return 0;
}

QRV_EXPORT void ReleaseBoard(int board) {
  if (controller) controller->State().ReleaseForSite(board);
}

QRV_EXPORT void SetCRC_Mode() {}
QRV_EXPORT int GetCRC_Mode() { return 0; }

// Each export has exactly the type its table slot gives it.
#define QRV_CHECK_HARDWARE_TYPE(name, result, params) \
  static_assert(std::is_same_v<decltype(&name), hwtable::name##_Fn>, #name);
QRV_HARDWARE_FUNCTIONS(QRV_CHECK_HARDWARE_TYPE)
#undef QRV_CHECK_HARDWARE_TYPE
static_assert(std::is_same_v<decltype(&AcquireBoard), hwtable::AcquireBoard_Fn>);
static_assert(std::is_same_v<decltype(&ReleaseBoard), hwtable::ReleaseBoard_Fn>);
