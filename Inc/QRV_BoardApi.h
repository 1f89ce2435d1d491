#pragma once
// The board API of V6_Velkara_x64.dll: every export as one list, so the board library, the
// encapsulation facade and the hardware library see one order and one signature per name.
//
// QRV_BOARD_API(X) expands X(name, result, params) once per export, in export order.
// params is a parenthesised parameter list, e.g. (int32_t board, float volts).
// Floats and doubles differ on purpose (a mismatch corrupts arguments silently through dlsym).
#include <cstddef>
#include <cstdint>

// The sweep read-back settings of the closed-loop sweep procedures.
struct SweepSettings {
  uint8_t option;
  uint16_t kind;
  int32_t paramA;
  int32_t paramB;
  uint16_t pointCount;
};
static_assert(offsetof(SweepSettings, option) == 0);
static_assert(offsetof(SweepSettings, kind) == 2);
static_assert(offsetof(SweepSettings, paramA) == 4);
static_assert(offsetof(SweepSettings, paramB) == 8);
static_assert(offsetof(SweepSettings, pointCount) == 12);
static_assert(sizeof(SweepSettings) == 16);

// The three-coefficient record from which the controller computes a sweep.
struct SweepPatternParams {
  uint8_t lead;
  double c[3];
  int32_t value;
  uint8_t tail;
};
static_assert(offsetof(SweepPatternParams, lead) == 0);
static_assert(offsetof(SweepPatternParams, c) == 8);
static_assert(offsetof(SweepPatternParams, value) == 32);
static_assert(offsetof(SweepPatternParams, tail) == 36);
static_assert(sizeof(SweepPatternParams) == 40);

// clang-format off
#define QRV_BOARD_API(X) \
  /* library-wide */ \
  X(VKL_DebugMode, int32_t, (int32_t on)) \
  X(pSleep, int32_t, (double ms)) \
  X(VKL_Power_GetDllVersion, int32_t, (uint16_t* major, uint16_t* minor, uint16_t* build, uint16_t* revision)) \
  X(VKL_Logic_GetDllVersion, int32_t, (uint16_t* major, uint16_t* minor, uint16_t* build, uint16_t* revision)) \
  /* forwarding exports */ \
  X(VKL_OpenDevice, int32_t, ()) \
  X(VKL_CloseDevice, int32_t, ()) \
  X(VKL_LVDS_Init, int32_t, (int32_t board)) \
  X(VKL_LVDS_Close, int32_t, (int32_t board)) \
  X(VKL_BoardReset, int32_t, (int32_t board)) \
  X(VKL_SFP_Reset, int32_t, (int32_t board)) \
  X(VKL_FW_GetDate, int32_t, (int32_t board, uint32_t* rxDate, uint32_t* txDate)) \
  X(VKL_LVDS_Start, int32_t, (int32_t board)) \
  X(VKL_LVDS_Stop, int32_t, (int32_t board)) \
  X(VKL_LVDS_SetResolution, int32_t, (int32_t board, uint16_t width, uint16_t height)) \
  X(VKL_LVDS_GetResolution, int32_t, (int32_t board, int32_t* width, int32_t* height)) \
  X(VKL_LVDS_Trigger, int32_t, (int32_t board, int32_t size, void* buffer)) \
  X(VKL_LVDS_GetFrame, int32_t, (int32_t board, int32_t* size, uint8_t* buffer)) \
  X(VKL_DP_Init, int32_t, (int32_t board, float gbps, int32_t lanes, int32_t bits, uint16_t laneFormat)) \
  X(VKL_DP_LinkDone, int32_t, (int32_t board, uint16_t laneSelect, float timeoutMs)) \
  X(VKL_DP_FrameInfo, int32_t, (int32_t board, uint16_t value)) \
  X(VKL_I2C_ALL_Reset, int32_t, (int32_t board)) \
  X(VKL_I2C_SYS_Reset, int32_t, (int32_t board)) \
  X(VKL_I2C_SYS_Set_Clock, int32_t, (int32_t board, int32_t speedCode)) \
  X(VKL_I2C_SYS_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_SYS_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_SYS_Read2, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_MCU_Reset, int32_t, (int32_t board)) \
  X(VKL_I2C_MCU_Set_Clock, int32_t, (int32_t board, int32_t speedCode)) \
  X(VKL_I2C_MCU_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_MCU_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_MCU_Read2, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_OS_Reset, int32_t, (int32_t board)) \
  X(VKL_I2C_OS_Set_Clock, int32_t, (int32_t board, int32_t speedCode)) \
  X(VKL_I2C_OS_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_OS_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_RPT_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_RPT_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_ExRPT_Reset, int32_t, (int32_t board)) \
  X(VKL_I2C_ExRPT_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_ExRPT_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  X(VKL_I2C_ADC_Init, int32_t, (int32_t board, int32_t value)) \
  X(VKL_I2C_ADC_Write, int32_t, (int32_t board, uint8_t slave, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_ADC_Read, int32_t, (int32_t board, uint8_t slave, int32_t len, uint8_t* out)) \
  X(VKL_I2C_RxE2P_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, const uint8_t* data)) \
  X(VKL_I2C_RxE2P_Read, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* out)) \
  /* the reply bytes of a VSync write come back into data */ \
  X(VKL_I2C_VSync_Write, int32_t, (int32_t board, uint8_t slave, int32_t addrLen, uint32_t reg, int32_t len, uint8_t* data)) \
  X(VKL_BRAM_Write, int32_t, (int32_t board, int32_t len, const uint8_t* data)) \
  X(VKL_OIS_Reset, int32_t, (int32_t board)) \
  X(VKL_OIS_SetClock, int32_t, (int32_t board, int32_t speedCode)) \
  X(VKL_OIS_SetDelay, int32_t, (int32_t board, int32_t delayA, int32_t delayB)) \
  X(VKL_OIS_SetStepDelay, int32_t, (int32_t board, int32_t stepDelay)) \
  X(VKL_OIS_GetData, int32_t, (int32_t board, uint8_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size, int32_t count, void* out)) \
  X(VKL_OIS_GetData_Ex, int32_t, (int32_t board, uint8_t slave, int32_t cmdLen, const uint8_t* cmd, int32_t size, int32_t count, void* out, int32_t repeat)) \
  X(VKL_OIS_GetData_Ex2, int32_t, (int32_t board, uint8_t slaveA, int32_t cmdLen, const uint8_t* cmd, int32_t size, int32_t countA, void* outA, uint8_t slaveB, int32_t countB, void* outB, int32_t repeat)) \
  X(VKL_OIS_I2C_Function, int32_t, (int32_t board, uint8_t slave1, uint8_t slave2, uint8_t slave3, int32_t lenA, const uint8_t* dataA, int32_t lenB, const uint8_t* dataB, int32_t countA, void* outA, int32_t arg11, int32_t arg12, int32_t countB, void* outB, int32_t size, int32_t repeat, int32_t timeoutMs)) \
  X(VKL_GetTemp, int32_t, (int32_t board, double* fpgaC, double* sfpC)) \
  X(VKL_Rx_GetTemp, int32_t, (int32_t board, double* fpgaC, double* sfpC)) \
  X(VKL_FAN_Enable, int32_t, (int32_t board, int32_t on)) \
  X(VKL_FAN_SetSpeed, int32_t, (int32_t board, int32_t speed)) \
  X(VKL_Flash_SpiInit, int32_t, (int32_t board, int32_t rxSide)) \
  X(VKL_Flash_SpiClose, int32_t, (int32_t board)) \
  X(VKL_Flash_SpiErase, int32_t, (int32_t board, int32_t rxSide)) \
  X(VKL_Flash_SpiWriteAll, int32_t, (int32_t board, int32_t size, const void* image, int32_t rxSide)) \
  X(VKL_Flash_SpiReadAll, int32_t, (int32_t board, int32_t size, void* out, int32_t rxSide)) \
  X(VKL_EyeScan_Init, int32_t, (int32_t board, int32_t lane)) \
  X(VKL_EyeScan_GetData, int32_t, (int32_t board, int32_t lane, void* table, float* eyeA, float* eyeB)) \
  /* clock synthesiser and IO level */ \
  X(VKL_CLK_Select, int32_t, (int32_t board, int32_t source)) \
  X(VKL_CLK_Set, int32_t, (int32_t board, double mhz)) \
  X(VKL_CLK_Off, int32_t, (int32_t board, int32_t value)) \
  X(VKL_IOlevel_Set, int32_t, (int32_t board, float volts)) \
  /* pins */ \
  X(VKL_SEN_ResetPin, int32_t, (int32_t board, int32_t level)) \
  X(VKL_SEN_EnablePin, int32_t, (int32_t board, int32_t level)) \
  X(VKL_SEN_ExtPower, int32_t, (int32_t board, int32_t on)) \
  X(VKL_GPIOWrite, int32_t, (int32_t board, int32_t index, int32_t level)) \
  X(VKL_GPIORead, int32_t, (int32_t board, int32_t index, uint32_t* level)) \
  X(VKL_GPIOWrite_OS, int32_t, (int32_t board, int32_t index, int32_t level)) \
  X(VKL_GPIORead_OS, int32_t, (int32_t board, int32_t index, uint32_t* level)) \
  X(VKL_GPIOWrite_Current, int32_t, (int32_t board, int32_t index, int32_t level)) \
  X(VKL_GPIORead_Current, int32_t, (int32_t board, int32_t index, uint32_t* level)) \
  X(VKL_GPIOWrite_SN, int32_t, (int32_t board, int32_t level)) \
  /* DUT supplies and currents */ \
  X(VKL_Program_PowerSetM, int32_t, (int32_t board, int32_t channel, float volts)) \
  X(VKL_Program_PowerOffAll, int32_t, (int32_t board)) \
  X(VKL_CurrentMeasure_Start, int32_t, (int32_t board, int32_t mode)) \
  X(VKL_CurrentMeasure_Start_Ex, int32_t, (int32_t board, const int32_t* mode)) \
  X(VKL_CurrentMeasure_End, int32_t, (int32_t board)) \
  X(VKL_DynamicMeasure, int32_t, (int32_t board, int32_t channel, int32_t offset, int32_t samples, float* current)) \
  X(VKL_StandbyMeasure, int32_t, (int32_t board, int32_t channel, int32_t offset, int32_t samples, float* current)) \
  X(VKL_DynamicOffset, int32_t, (int32_t board, int32_t* offset, float volts0, float volts1, float volts2, float volts3, float volts4, float volts5, float volts6, float volts7, float ioLevel, int32_t powerUp)) \
  X(VKL_DynamicOffset_Ex, int32_t, (int32_t board, int32_t* offset, const int32_t* enable, const float* volts, float ioLevel, int32_t powerUp)) \
  X(VKL_StandbyOffset, int32_t, (int32_t board, int32_t* offset, float volts0, float volts1, float volts2, float volts3, float volts4, float volts5, float volts6, float volts7, float ioLevel, int32_t powerUp)) \
  X(VKL_StandbyOffset_Ex, int32_t, (int32_t board, int32_t* offset, const int32_t* enable, const float* volts, float ioLevel, int32_t powerUp)) \
  /* open/short and leakage */ \
  X(VKL_OSTest_StartM, int32_t, (int32_t board, int32_t polarity, int32_t source, int32_t releaseEach)) \
  X(VKL_OSTest_UnitPinM, int32_t, (int32_t board, int32_t pin, float volts, int32_t samples, float* result, int32_t settleMs)) \
  X(VKL_OSTest_End, int32_t, (int32_t board)) \
  X(VKL_LeakageTest_StartM, int32_t, (int32_t board)) \
  X(VKL_LeakageTest_UnitPinM, int32_t, (int32_t board, int32_t pin, float volts, int32_t samples, float* result)) \
  X(VKL_LeakageTest_End, int32_t, (int32_t board)) \
  /* serial number and CRC-32 */ \
  X(VKL_SerialNum_Write, int32_t, (int32_t board, int32_t rxSide, int32_t len, const char* text)) \
  X(VKL_SerialNum_Read, int32_t, (int32_t board, int32_t rxSide, int32_t len, char* out)) \
  X(VKL_CalcCRC32, uint32_t, (int32_t count, const uint16_t* words)) \
  /* actuator controller: framed protocol (mode-1 replies need 8 bytes whatever replyLen says) */ \
  X(VKL_I2C_ProtocolTrx, int32_t, (int32_t board, const uint8_t* frame, uint16_t bodyLen, uint8_t* reply, uint16_t replyLen, int32_t requestLevel, int32_t timeoutMs)) \
  X(VKL_I2C_ProtocolTrx_Sweep_Config, int32_t, (int32_t board, const uint8_t* frame, uint16_t bodyLen, uint8_t* reply, uint16_t replyLen, int32_t requestLevel, int32_t timeoutMs)) \
  X(VKL_MCU_PWR_On_Off, int32_t, (int32_t board, int32_t on)) \
  X(VKL_MCU_Busy_Check, int32_t, (int32_t board)) \
  X(VKL_MCU_I2C_Direction, int32_t, (int32_t board, int32_t value, int32_t level)) \
  X(VKL_MCU_I2C_Direction_test, int32_t, (int32_t board, int32_t value, int32_t level)) \
  X(VKL_MCU_GPIO_Ready, int32_t, (int32_t board, int32_t bit)) \
  X(VKL_MCU_NRST_Reset, int32_t, (int32_t board)) \
  /* actuator controller: procedures */ \
  X(VKL_Get_System_Handle, int32_t, (int32_t board, int32_t* handle)) \
  X(VKL_Get_MCUVersion, int32_t, (int32_t board, uint16_t* version, int32_t powerCycle)) \
  X(VKL_Get_ConvData, int32_t, (int32_t board, uint8_t* data)) \
  X(VKL_MCU_Basic_functional_I2C_communication, int32_t, (int32_t board, int32_t* out, uint8_t test, int32_t timeoutMs)) \
  X(VKL_MCU_Standby_to_Active_Transition, int32_t, (int32_t board, int32_t* out, int32_t timeoutMs)) \
  X(VKL_MCU_Quilmar_temperature_reads, int32_t, (int32_t board, float* tempC, float* a, float* b, float* ratio, int32_t timeoutMs)) \
  X(VKL_MCU_Power_supply_voltage_check_at_Quilmar_pins, int32_t, (int32_t board, double* voltageA, double* voltageB, double* voltageC, int32_t timeoutMs)) \
  X(VKL_MCU_output_current_measurement, int32_t, (int32_t board, double* currentA, double* currentB, double* currentC, int32_t timeoutMs)) \
  X(VKL_MCU_output_voltage_and_coil_resistance, int32_t, (int32_t board, double* voltageA, double* voltageB, double* voltageC, double* resistanceA, double* resistanceB, double* resistanceC, int32_t timeoutMs)) \
  X(VKL_MCU_Coil_Resistance_Measurement_Procedure, int32_t, (int32_t board, double* voltageA, double* voltageB, double* voltageC, double* resistanceA, double* resistanceB, double* resistanceC, int32_t timeoutMs)) \
  X(VKL_MCU_AFE_sensor_connectivity_checks, int32_t, (int32_t board, int32_t slave7, int32_t mode, double* ratio1, double* ratio2, double* ratio3, double* ratio4, double* ratio5, double* ratio6)) \
  X(VKL_MCU_Emcoupling_hold_and_release, int32_t, (int32_t board, int32_t* a, int32_t* b, int32_t* c, double* d, double* tempC, uint8_t type, int32_t timeoutMs)) \
  X(VKL_MCU_APS_OIS_Noise_tests, int32_t, (int32_t board, uint8_t* data, int32_t timeoutMs)) \
  X(VKL_MCU_CL_Driver_Set_Init, int32_t, (int32_t board, int32_t* status, const uint8_t* config, int32_t timeoutMs)) \
  X(VKL_MCU_AF_CL_Driver_Set_Init, int32_t, (int32_t board, int32_t* status, const uint8_t* config, int32_t timeoutMs)) \
  X(VKL_MCU_CL_Sweep_Config, int32_t, (int32_t board, int32_t* status, uint8_t skipConfig, uint8_t* records, int16_t* values, uint8_t option, uint16_t kind, int32_t paramA, int32_t paramB, uint16_t points, int32_t timeoutMs)) \
  X(VKL_MCU_CL_Sweep_Pattern, int32_t, (int32_t board, int32_t* status, const uint8_t* pointBytes, uint16_t count, int32_t timeoutMs)) \
  X(VKL_MCU_CL_Sweep_Pattern_Config, int32_t, (int32_t board, int32_t* status, uint8_t* records, int16_t* values, uint8_t type, const double* table, const SweepPatternParams* params, SweepSettings* sweep, int32_t timeoutMs)) \
  X(VKL_MCU_AF_EMCC_Calibration, int32_t, (int32_t board, uint8_t* data, uint8_t which, int32_t timeoutMs)) \
  X(VKL_MCU_Update, int32_t, (int32_t board, const char* path)) \
  X(VKL_KOLU_MCU_FirmwareUpdate, int32_t, (int32_t board, const char* path)) \
  X(VKL_MCU_CL_OIS_Step, int32_t, (int32_t board, const uint8_t* command, uint8_t* record, int32_t first, uint16_t kind, int32_t waitMs)) \
  X(VKL_MCU_CL_OIS_Step_2, int32_t, (int32_t board, const uint8_t* command, uint8_t* record, uint8_t* value, int32_t first, uint16_t kind, int32_t waitMs)) \
  X(VKL_MCU_CL_OIS_Read_Only, int32_t, (int32_t board, uint8_t* record, uint8_t* value, uint16_t kind))
// clang-format on

// Function-pointer types: Fn_<name>, e.g. Fn_VKL_Program_PowerSetM.
#define QRV_BOARD_API_FN_TYPE(name, result, params) using Fn_##name = result(*) params;
QRV_BOARD_API(QRV_BOARD_API_FN_TYPE)
#undef QRV_BOARD_API_FN_TYPE

// The number of names in the list (pSleep and the VKL_ names).
#define QRV_BOARD_API_COUNT_ONE(name, result, params) +1
inline constexpr int kBoardApiCount = 0 QRV_BOARD_API(QRV_BOARD_API_COUNT_ONE);
#undef QRV_BOARD_API_COUNT_ONE
static_assert(kBoardApiCount == 132);

// The board library's file, beside the facade in System/HW_Loadlibrary/HW_Velkara/.
inline constexpr const char* kBoardApiFileName = "V6_Velkara_x64.dll";
