// Power-up and power-down of the module: supplies in the configured channel order with their settling
// delays, interface level, clock, sensor pins, sensor bus and the retimer.
#include "hardware_controller.h"

namespace hw {
namespace {

struct RetimerWrite {
  std::uint8_t reg;
  std::uint8_t value;
};

constexpr std::uint8_t kRetimerBus = 0x30;

}  // namespace

int HardwareController::WriteIndpTable(int board, int site, int value4, int value3a, int value3b) {
  const RetimerWrite writes[] = {
      {0xFF, 0x03}, {0xFC, 0x01}, {0x00, 0x04}, {0x04, static_cast<std::uint8_t>(value4)},
      {0x03, static_cast<std::uint8_t>(value3a)}, {0x03, static_cast<std::uint8_t>(value3b)},
      {0x06, 0xC0}, {0x0D, 0x40}};
  for (const RetimerWrite& w : writes) {
    const std::uint8_t data = w.value;
    if (BoardCall(table_->I2C_RPT_Write, board, kRetimerBus, 1, static_cast<std::uint32_t>(w.reg), 1, &data) != 1) {
      SiteLog(site, "Fail : I2C Ext RPT Write");
      return -4;
    }
  }
  return 1;
}

int HardwareController::SetupIndpRetimer(int board, int site) { return WriteIndpTable(board, site, 0x16, 0xC2, 0xD2); }

int HardwareController::SetSensorPins(int board) {
  const auto settings = state_->Settings(board);
  const int enable = BoardCall(table_->SEN_EnablePin, board, settings->enableLevel != 0 ? 1 : 0);
  DelayMs(3);
  if (enable != 1) return 0;
  const int reset = BoardCall(table_->SEN_ResetPin, board, settings->resetLevel != 0 ? 1 : 0);
  DelayMs(3);
  return reset == 1 ? 1 : 0;
}

int HardwareController::RaiseSupplies(int board, int site, const HwSettings& s, bool dialogLog) {
  for (int k = 0; k < kChannelCount; ++k) {
    const int c = s.powerOrder[k];
    if (c < 0 || c >= kChannelCount) {
      SiteLog(site, "[PowerUpSequence] ORDER: %d is not a channel", c);
      continue;
    }
    SiteLog(site, "[PowerUpSequence] ORDER: %d -> Power On %d", c, s.powerOn[c]);
    if (!s.powerOn[c]) continue;
    const int result = BoardCall(table_->Program_PowerSetM, board, c, s.powerVolt[c]);
    WaitPowerDelay(s.powerDelay[c]);
    if (result != 1) {
      if (dialogLog) state_->Log("[PowerUpSequence] - channel:%d, power fail", c + 1);
      SiteLog(site, "[PowerUpSequence] - channel:%d, Power fail", c + 1);
      return 0;
    }
  }
  if (BoardCall(table_->IOlevel_Set, board, s.ioVolt) != 1) {
    if (dialogLog) state_->Log("[PowerUpSequence] - I/O Set Fail");
    SiteLog(site, "[PowerUpSequence] - I/O Set Fail");
    return 0;
  }
  return 1;
}

int HardwareController::StartClockAndSensor(int board, int site, const HwSettings& s, int clockSelect) {
  int selected;
  if (s.pgmFreq > 0) {
    if (clockSelect != 0) BoardCall(table_->CLK_Set, board, static_cast<double>(s.pgmFreq));
    selected = BoardCall(table_->CLK_Select, board, clockSelect);
  } else {
    BoardCall(table_->CLK_Off, board, 0);
    selected = BoardCall(table_->CLK_Select, board, 2);
  }
  if (selected != 1) {
    SiteLog(site, "Clock Set Fail");
    return 0;
  }
  DelayMs(10);
  if (SetSensorPins(board) != 1) {
    SiteLog(site, "Enb and Reset Set Fail");
    return 0;
  }
  const int reset = BoardCall(table_->I2C_SYS_Reset, board);
  const int clock = BoardCall(table_->I2C_SYS_Set_Clock, board, s.i2cSpeed);
  if (reset != 1 || clock != 1) {
    SiteLog(site, "I2c Speed Set Fail");
    return 0;
  }
  return 1;
}

int HardwareController::PowerUpSequence(int board, int site, int clockSelect, bool dialogLog) {
  if (!IsValidBoard(board) || !table_) {
    SiteLog(site, "[PowerUpSequence] - board %d is not in use", board);
    return 0;
  }
  const auto s = state_->Settings(board);
  if (dialogLog) state_->Log("[PowerUpSequence]");
  SiteLog(site, "[PowerUpSequence]");
  if (s->ext5VOn == 1) {
    BoardCall(table_->SEN_ExtPower, board, 1);
    DelayMs(100);
  }
  if (BoardCall(table_->DP_Init, board, s->DpSpeed(site), s->DpLane(site), s->dataBit, s->laneFormat) != 1) {
    SiteLog(site, "DP_Init Fail");
    state_->Log("DP_Init Fail");
    return 0;
  }
  SiteLog(site, "DP_Init Ok");
  if (RaiseSupplies(board, site, *s, dialogLog) != 1) return 0;
  if (s->pldoOn != 0 && RegisterSet(board, site, "[PLDO_PWR_ON]") != 1) {
    SiteLog(site, "Fail : RegisterSet [PLDO_PWR_ON]");
    return 0;
  }
  if (StartClockAndSensor(board, site, *s, clockSelect) != 1) return 0;
  if (SetupIndpRetimer(board, site) != 1) {
    SiteLog(site, "INDP Set Fail");
    return 0;
  }
  return 1;
}

int HardwareController::PowerUpSequence_DPSpeed(int board, int site, int clockSelect, float dpSpeed, int dpLanes,
                                                 int dataBits, std::uint16_t laneFormat) {
  if (!IsValidBoard(board) || !table_) {
    SiteLog(site, "[PowerUpSequence_DPSpeed] - board %d is not in use", board);
    return 0;
  }
  const auto s = state_->Settings(board);
  SiteLog(site, "[PowerUpSequence_DPSpeed]");
  if (BoardCall(table_->DP_Init, board, dpSpeed, dpLanes, dataBits, laneFormat) != 1) {
    SiteLog(site, "DP_Init Fail");
    state_->Log("DP_Init Fail");
    return 0;
  }
  SiteLog(site, "DP_Init Ok");
  if (RaiseSupplies(board, site, *s, false) != 1) return 0;
  return StartClockAndSensor(board, site, *s, clockSelect);
}

int HardwareController::PowerDownSequence(int board, int site, bool dialogLog) {
  if (!IsValidBoard(board) || !table_) {
    SiteLog(site, "[PowerDownSequence] - board %d is not in use", board);
    return 0;
  }
  const auto s = state_->Settings(board);
  if (dialogLog) state_->Log("[PowerDownSequence].");
  SiteLog(site, "[PowerDownSequence]");
  if (s->pldoOn != 0 && RegisterSet(board, site, "[PLDO_PWR_OFF]") != 1) {
    SiteLog(site, "Fail : RegisterSet [PLDO_PWR_OFF]");
    return 0;
  }
  if (BoardCall(table_->LVDS_Stop, board) != 1) SiteLog(site, "LVDS STOP Fail");
  for (int k = 0; k < kChannelCount; ++k) {
    const int c = s->powerOrder[k];
    if (c < 0 || c >= kChannelCount) continue;
    SiteLog(site, "[PowerDownSequence] ORDER: %d -> Power Off %d", c, 0);
    if (s->powerOn[c] != 1) continue;
    const int result = BoardCall(table_->Program_PowerSetM, board, c, 0.0f);
    WaitPowerDelay(s->powerDelay[c]);
    if (result != 1) {
      if (dialogLog) state_->Log("[PowerDownSequence] - channel:%d, power fail", c + 1);
      SiteLog(site, "[PowerDownSequence] - channel:%d, Power fail", c + 1);
      return 0;
    }
  }
  if (BoardCall(table_->IOlevel_Set, board, 0.0f) != 1) {
    if (dialogLog) state_->Log("[PowerDownSequence] - I/O Set Fail");
    SiteLog(site, "[PowerDownSequence] - I/O Set Fail");
    return 0;
  }
  BoardCall(table_->CLK_Off, board, 0);
  if (BoardCall(table_->CLK_Select, board, 2) != 1) SiteLog(site, "Clock Set Fail");
  if (BoardCall(table_->SEN_EnablePin, board, 0) != 1) SiteLog(site, "Enable Fail");
  const int reset = BoardCall(table_->SEN_ResetPin, board, 0);
  if (reset != 1) SiteLog(site, "Reset Fail");
  BoardCall(table_->SEN_ExtPower, board, 0);
  return reset;
}

}  // namespace hw
