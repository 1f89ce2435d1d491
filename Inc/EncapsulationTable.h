#pragma once
// The board encapsulation facade's exports and the hardware library's table of them: the facade's module
// handle, then its 120 exports in export order. Test items call board functions through this table by
// position, so the order is an interface. Every wrapper has exactly the type of the board function it
// forwards (from QRV_BoardApi.h); only the facade names, the board names and the log rule are listed here.
#include <cstddef>

#include "QRV_BoardApi.h"
#include "QRV_Types.h"

namespace encap {
// Which argument names a wrapper's log file: the board index (first argument), always 0, or the second.
enum class LogId { Board, Zero, Second };
}  // namespace encap

// X(facade export, board export, log rule, required): the 118 wrappers in export order. A board export
// that is not required may be missing from the board library without a message.
// clang-format off
#define QRV_ENCAP_WRAPPERS(X) \
  X(Program_PowerSetM, VKL_Program_PowerSetM, Board, 1) \
  X(Program_PowerOffAll, VKL_Program_PowerOffAll, Board, 0) \
  X(IOlevel_Set, VKL_IOlevel_Set, Board, 1) \
  X(Power_GetDllVersion, VKL_Power_GetDllVersion, Zero, 1) \
  X(Logic_GetDllVersion, VKL_Logic_GetDllVersion, Zero, 1) \
  X(BoardReset, VKL_BoardReset, Board, 1) \
  X(SFP_Reset, VKL_SFP_Reset, Board, 1) \
  X(CLK_Select, VKL_CLK_Select, Board, 1) \
  X(CLK_Off, VKL_CLK_Off, Board, 1) \
  X(CLK_Set, VKL_CLK_Set, Board, 1) \
  X(GPIOWrite, VKL_GPIOWrite, Board, 1) \
  X(GPIORead, VKL_GPIORead, Board, 1) \
  X(GPIOWrite_OS, VKL_GPIOWrite_OS, Board, 1) \
  X(GPIORead_OS, VKL_GPIORead_OS, Board, 1) \
  X(GPIOWrite_Current, VKL_GPIOWrite_Current, Board, 1) \
  X(GPIORead_Current, VKL_GPIORead_Current, Board, 1) \
  X(SEN_ResetPin, VKL_SEN_ResetPin, Board, 1) \
  X(SEN_EnablePin, VKL_SEN_EnablePin, Board, 1) \
  X(SEN_ExtPower, VKL_SEN_ExtPower, Board, 1) \
  X(GPIOWrite_SN, VKL_GPIOWrite_SN, Board, 1) \
  X(SerialNum_Write, VKL_SerialNum_Write, Board, 1) \
  X(SerialNum_Read, VKL_SerialNum_Read, Board, 1) \
  X(CurrentMeasure_Start, VKL_CurrentMeasure_Start, Board, 1) \
  X(CurrentMeasure_End, VKL_CurrentMeasure_End, Board, 1) \
  X(DynamicMeasure, VKL_DynamicMeasure, Board, 1) \
  X(StandbyMeasure, VKL_StandbyMeasure, Board, 1) \
  X(DynamicOffset, VKL_DynamicOffset, Board, 1) \
  X(StandbyOffset, VKL_StandbyOffset, Board, 1) \
  X(CurrentMeasure_Start_Ex, VKL_CurrentMeasure_Start_Ex, Board, 0) \
  X(DynamicOffset_Ex, VKL_DynamicOffset_Ex, Board, 0) \
  X(StandbyOffset_Ex, VKL_StandbyOffset_Ex, Board, 0) \
  X(OSTest_StartM, VKL_OSTest_StartM, Board, 1) \
  X(OSTest_UnitPinM, VKL_OSTest_UnitPinM, Board, 1) \
  X(OSTest_End, VKL_OSTest_End, Board, 1) \
  X(pSleep, pSleep, Zero, 1) \
  X(DebugMode, VKL_DebugMode, Zero, 1) \
  X(OpenDevice, VKL_OpenDevice, Zero, 1) \
  X(CloseDevice, VKL_CloseDevice, Zero, 1) \
  X(LVDS_Init, VKL_LVDS_Init, Board, 1) \
  X(LVDS_Close, VKL_LVDS_Close, Board, 1) \
  X(FW_GetDate, VKL_FW_GetDate, Board, 1) \
  X(LVDS_Start, VKL_LVDS_Start, Board, 1) \
  X(LVDS_Stop, VKL_LVDS_Stop, Board, 1) \
  X(LVDS_SetResolution, VKL_LVDS_SetResolution, Board, 1) \
  X(LVDS_GetResolution, VKL_LVDS_GetResolution, Board, 1) \
  X(LVDS_GetFrame, VKL_LVDS_GetFrame, Board, 1) \
  X(LVDS_Trigger, VKL_LVDS_Trigger, Board, 1) \
  X(DP_Init, VKL_DP_Init, Board, 1) \
  X(DP_LinkDone, VKL_DP_LinkDone, Board, 1) \
  X(I2C_ALL_Reset, VKL_I2C_ALL_Reset, Board, 1) \
  X(I2C_SYS_Reset, VKL_I2C_SYS_Reset, Board, 1) \
  X(I2C_SYS_Set_Clock, VKL_I2C_SYS_Set_Clock, Board, 1) \
  X(I2C_SYS_Write, VKL_I2C_SYS_Write, Board, 1) \
  X(I2C_SYS_Read, VKL_I2C_SYS_Read, Board, 1) \
  X(I2C_SYS_Read2, VKL_I2C_SYS_Read2, Board, 1) \
  X(I2C_MCU_Reset, VKL_I2C_MCU_Reset, Board, 1) \
  X(I2C_MCU_Set_Clock, VKL_I2C_MCU_Set_Clock, Board, 1) \
  X(I2C_MCU_Write, VKL_I2C_MCU_Write, Board, 1) \
  X(I2C_MCU_Read, VKL_I2C_MCU_Read, Board, 1) \
  X(I2C_MCU_Read2, VKL_I2C_MCU_Read2, Board, 1) \
  X(I2C_RPT_Write, VKL_I2C_RPT_Write, Board, 1) \
  X(I2C_RPT_Read, VKL_I2C_RPT_Read, Board, 1) \
  X(I2C_ExRPT_Reset, VKL_I2C_ExRPT_Reset, Board, 1) \
  X(I2C_ExRPT_Write, VKL_I2C_ExRPT_Write, Board, 1) \
  X(I2C_ExRPT_Read, VKL_I2C_ExRPT_Read, Board, 1) \
  X(I2C_OS_Reset, VKL_I2C_OS_Reset, Board, 1) \
  X(I2C_OS_Set_Clock, VKL_I2C_OS_Set_Clock, Board, 1) \
  X(I2C_OS_Write, VKL_I2C_OS_Write, Board, 1) \
  X(I2C_OS_Read, VKL_I2C_OS_Read, Board, 1) \
  X(I2C_RxE2P_Write, VKL_I2C_RxE2P_Write, Board, 1) \
  X(I2C_RxE2P_Read, VKL_I2C_RxE2P_Read, Board, 1) \
  X(OIS_Reset, VKL_OIS_Reset, Board, 1) \
  X(OIS_SetClock, VKL_OIS_SetClock, Board, 1) \
  X(OIS_SetDelay, VKL_OIS_SetDelay, Board, 1) \
  X(OIS_SetStepDelay, VKL_OIS_SetStepDelay, Board, 1) \
  X(OIS_GetData, VKL_OIS_GetData, Board, 1) \
  X(OIS_GetData_Ex, VKL_OIS_GetData_Ex, Board, 1) \
  X(OIS_GetData_Ex2, VKL_OIS_GetData_Ex2, Board, 1) \
  X(OIS_I2C_Function, VKL_OIS_I2C_Function, Board, 1) \
  X(GetTemp, VKL_GetTemp, Board, 1) \
  X(FAN_Enable, VKL_FAN_Enable, Board, 1) \
  X(FAN_SetSpeed, VKL_FAN_SetSpeed, Board, 1) \
  X(Flash_SpiInit, VKL_Flash_SpiInit, Board, 1) \
  X(Flash_SpiClose, VKL_Flash_SpiClose, Board, 1) \
  X(Flash_SpiErase, VKL_Flash_SpiErase, Board, 1) \
  X(Flash_SpiWriteAll, VKL_Flash_SpiWriteAll, Board, 1) \
  X(Flash_SpiReadAll, VKL_Flash_SpiReadAll, Board, 1) \
  X(EyeScan_Init, VKL_EyeScan_Init, Board, 1) \
  X(EyeScan_GetData, VKL_EyeScan_GetData, Board, 1) \
  X(I2C_VSync_Write, VKL_I2C_VSync_Write, Board, 1) \
  X(MCU_Update, VKL_MCU_Update, Board, 1) \
  X(CalcCRC32, VKL_CalcCRC32, Zero, 1) \
  X(I2C_ProtocolTrx, VKL_I2C_ProtocolTrx, Board, 1) \
  X(Get_MCUVersion_EX, VKL_Get_MCUVersion, Board, 1) \
  X(Get_ConvData_EX, VKL_Get_ConvData, Board, 1) \
  X(MCU_Basic_functional_I2C_communication_EX, VKL_MCU_Basic_functional_I2C_communication, Board, 1) \
  X(MCU_Standby_to_Active_Transition_EX, VKL_MCU_Standby_to_Active_Transition, Board, 1) \
  X(MCU_Quilmar_temperature_reads_EX, VKL_MCU_Quilmar_temperature_reads, Board, 1) \
  X(MCU_Power_supply_voltage_check_at_Quilmar_pins_EX, VKL_MCU_Power_supply_voltage_check_at_Quilmar_pins, Board, 1) \
  X(MCU_output_current_measurement_EX, VKL_MCU_output_current_measurement, Board, 1) \
  X(MCU_output_voltage_and_coil_resistance_EX, VKL_MCU_output_voltage_and_coil_resistance, Board, 1) \
  X(MCU_Coil_Resistance_Measurement_Procedure_EX, VKL_MCU_Coil_Resistance_Measurement_Procedure, Board, 1) \
  X(MCU_Emcoupling_hold_and_release_EX, VKL_MCU_Emcoupling_hold_and_release, Board, 1) \
  X(MCU_APS_OIS_Noise_tests_EX, VKL_MCU_APS_OIS_Noise_tests, Board, 1) \
  X(MCU_CL_Driver_Set_Init_EX, VKL_MCU_CL_Driver_Set_Init, Board, 1) \
  X(MCU_AF_CL_Driver_Set_Init_EX, VKL_MCU_AF_CL_Driver_Set_Init, Board, 1) \
  X(MCU_CL_Sweep_Config_EX, VKL_MCU_CL_Sweep_Config, Board, 1) \
  X(MCU_CL_Sweep_Pattern_EX, VKL_MCU_CL_Sweep_Pattern, Board, 1) \
  X(MCU_PWR_On_Off_EX, VKL_MCU_PWR_On_Off, Board, 1) \
  X(MCU_NRST_Reset_EX, VKL_MCU_NRST_Reset, Board, 1) \
  X(MCU_Busy_Check_EX, VKL_MCU_Busy_Check, Board, 1) \
  X(MCU_I2C_Dir_EX, VKL_MCU_I2C_Direction, Board, 1) \
  X(MCU_GPIO_Ready, VKL_MCU_GPIO_Ready, Second, 1) \
  X(Get_System_Handle_EX, VKL_Get_System_Handle, Board, 1) \
  X(MCU_AF_EMCC_Calibration_EX, VKL_MCU_AF_EMCC_Calibration, Board, 1) \
  X(KOLU_MCU_FirmwareUpdate_EX, VKL_KOLU_MCU_FirmwareUpdate, Board, 1) \
  X(MCU_CL_OIS_Step_EX, VKL_MCU_CL_OIS_Step, Board, 1) \
  X(MCU_AFE_sensor_connectivity_checks_EX, VKL_MCU_AFE_sensor_connectivity_checks, Board, 1)
// clang-format on

#define QRV_ENCAP_COUNT_ONE(facade, board, logId, required) +1
inline constexpr int kEncapWrapperCount = 0 QRV_ENCAP_WRAPPERS(QRV_ENCAP_COUNT_ONE);
#undef QRV_ENCAP_COUNT_ONE
static_assert(kEncapWrapperCount == 118);

using OnInit_Fn = void (*)();
using EncapOnSpecDlg_Fn = int (*)();

// Slot 0 the facade's module handle; slots 1..120 its exports, each typed as its board function.
struct EncapsulationTable {
  ModuleHandle m_hModule;
  OnInit_Fn OnInit;
  EncapOnSpecDlg_Fn OnSpecDlg;
#define QRV_ENCAP_SLOT(facade, board, logId, required) Fn_##board facade;
  QRV_ENCAP_WRAPPERS(QRV_ENCAP_SLOT)
#undef QRV_ENCAP_SLOT
};

inline constexpr int kEncapExportCount = kEncapWrapperCount + 2;
static_assert(sizeof(EncapsulationTable) == (kEncapExportCount + 1) * sizeof(void*));
static_assert(offsetof(EncapsulationTable, Program_PowerSetM) == 3 * sizeof(void*));
static_assert(offsetof(EncapsulationTable, OpenDevice) == 39 * sizeof(void*));
static_assert(offsetof(EncapsulationTable, I2C_ALL_Reset) == 52 * sizeof(void*));
static_assert(offsetof(EncapsulationTable, Get_MCUVersion_EX) == 96 * sizeof(void*));
static_assert(offsetof(EncapsulationTable, MCU_AFE_sensor_connectivity_checks_EX) == 120 * sizeof(void*));

// The facade's file, in System/HW_Loadlibrary/HW_Velkara/ beside the board library.
inline constexpr const char* kEncapsulationFileName = "HW_Velkara_Encapsulation_x64.dll";
