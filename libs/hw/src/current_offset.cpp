// Standby and dynamic current offsets of each supply channel, measured by the board and kept in the
// machine-wide settings file for whatever reads them later.
#include "hardware_controller.h"
#include "port/clock.h"
#include "port/path.h"
#include "port/thread_site.h"

namespace hw {
namespace {

constexpr const char* kMachineFolder = "D:\\TEST\\Machine";
constexpr const char* kMachineSpecFile = "D:\\TEST\\Machine\\Tester_MachineSpec.ini";

}  // namespace

int HardwareController::RaiseOffsetSupplies(int board, int site, const HwSettings& s) {
  BoardCall(table_->SEN_ExtPower, board, 1);
  for (int c = 0; c < kChannelCount; ++c) {
    BoardCall(table_->Program_PowerSetM, board, c, s.offsetOn[c] == 1 ? s.powerVolt[c] : 0.0f);
  }
  if (BoardCall(table_->IOlevel_Set, board, s.ioVolt) != 1) {
    SiteLog(site, "Fail : I/O Power Apply");
    return 0;
  }
  if (RegisterSet(board, site, "[PLDO_PWR_ON]") == -4) {
    SiteLog(site, "Fail : RegisterSet [PLDO_PWR_ON]");
    return 0;
  }
  return 1;
}

int HardwareController::OnStandbyDynamicOffset(int board, int site, int para) {
  if (!IsValidBoard(board)) return 0;
  // The handler's worker runs no site: the measurement reaches the requesting site's channel.
  const port::ThreadSiteScope onSite(site);
  const SiteLease lease(state_->Leases(), board, kSiteLeaseWaitMs);
  if (!lease.Held()) {
    SiteLog(site, kBoardHeldByDialog, board);
    return 0;
  }
  const auto settings = state_->Settings(board);
  SiteLog(site, "Standby Offset measure...");
  const std::string folder = port::NormalizePath(kMachineFolder);
  if (record_ && record_->DirectoryCreate) record_->DirectoryCreate(folder.c_str());
  if (settings->pldoOn == 1 && !RaiseOffsetSupplies(board, site, *settings)) return 0;

  std::array<std::int32_t, kChannelCount> enable{};
  for (int c = 0; c < kChannelCount; ++c) enable[c] = settings->offsetOn[c];
  const std::int32_t powerUp = settings->pldoOn == 0 ? 1 : 0;
  std::array<std::int32_t, kChannelCount> standby{};
  std::array<std::int32_t, kChannelCount> dynamic{};

  SiteLog(site, "Standby Current Offset Measuring...");
  int result = BoardCall(table_->StandbyOffset_Ex, board, standby.data(), enable.data(), settings->powerVolt.data(),
                         settings->ioVolt, powerUp);
  if (result != 1) {
    SiteLog(site, "Something wrong, Check Hardware!! Error code:%d", result);
    return 0;
  }
  SiteLog(site, "Standby offset ok!!");
  port::clock::SleepMs(3000);
  SiteLog(site, "Dynamic Current Offset Measuring...");
  result = BoardCall(table_->DynamicOffset_Ex, board, dynamic.data(), enable.data(), settings->powerVolt.data(),
                     settings->ioVolt, powerUp);
  if (result != 1) {
    SiteLog(site, "Something wrong, Check Hardware!! Error code:%d", result);
    return 0;
  }
  SiteLog(site, "Dynamic offset ok!!");

  // Offsets that were not stored are a failed measurement for the handler, not a success.
  const RecordIni machine(record_, port::NormalizePath(kMachineSpecFile));
  bool stored = true;
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string key = std::to_string(para) + "_Current_Standby_Measure_offset_" + std::to_string(c);
    stored &= machine.WriteInt("CURRENT_TEST", key.c_str(), standby[c]);
  }
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string key = std::to_string(para) + "_Current_Dynamic_Measure_offset_" + std::to_string(c);
    stored &= machine.WriteInt("CURRENT_TEST", key.c_str(), dynamic[c]);
    SiteLog(site, "OffSet Ch : %d, Stanby Offset Result : %d --- Dynamic OffSet Result : %d", c, standby[c],
            dynamic[c]);
  }
  BoardCall(table_->Program_PowerOffAll, board);
  if (!stored) {
    SiteLog(site, "Fail : Offset Write [%s]", machine.Path().c_str());
    return 0;
  }
  return 1;
}

}  // namespace hw
