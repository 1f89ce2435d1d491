#pragma once
// The protocol library's table handed by the main program to every test item: its own module handle,
// then 43 of its exports in a fixed order. Items call through the slots by position, so the order below
// is an interface and never changes; the slots are generated from this one list.
#include <cstddef>
#include <cstdint>
#include <string>

#include "QRV_Types.h"

// Records that test items read and write through the pointers the getters return; their layout is ABI.
struct BarCodeData {
  char BCD[64];
  char VCM[64];
  char BCD_SUB[64];
  char TIME[16];
};
static_assert(sizeof(BarCodeData) == 208);

// 32 bytes the items may use freely; the library keeps a text at byte 5 (sent as the status answer's TIME)
// and an int at byte 28.
struct I1ProData {
  char head[5];
  char text[23];
  std::int32_t value;
};
static_assert(sizeof(I1ProData) == 32);
static_assert(offsetof(I1ProData, text) == 5 && offsetof(I1ProData, value) == 28);

struct MoterLocationInfo;
struct MesRecord;
struct VisionData;
struct AvisLightValueInfo;
struct MoveStepData;

// X(name, result, parameters), in slot order 1..43. Names keep their historic spelling: they are looked
// up by name.
#define QRV_PROTOCOL_FUNCTIONS(X)                                                                          \
  X(SetDualResultCode, void, (int server, int code))                                                       \
  X(GetBarCodeData, BarCodeData*, (int server))                                                            \
  X(MoveCylinder, int, (int server, int location, int timeoutMs))                                          \
  X(GetPara, int, (int server))                                                                            \
  X(GetTestSequence, int, (int server))                                                                    \
  X(MoveFocusZ, int, (int server, int upDown, double location, int timeoutMs))                             \
  X(MoveXY, int, (int server, double x, double y, int timeoutMs))                                          \
  X(MoveRotation, int, (int server, double rotation, int timeoutMs, int speed))                            \
  X(GetLoadResult, int, (int server, int timeoutMs))                                                       \
  X(MoveTilt, int, (int server, float x, float y, int timeoutMs))                                          \
  X(MoveTilt2, int, (int server, int axis, float angle, int timeoutMs))                                    \
  X(MoveTilt3, int, (int server, int axis, float x, float y, int timeoutMs))                               \
  X(DisPensing, int, (int server, int timeoutMs))                                                          \
  X(MoveFocusChart, int, (int server, float x, float y, float z, int timeoutMs))                           \
  X(SetAvisLight, int, (int server, int timeoutMs, int channel))                                           \
  X(SetIO_Onoff, int, (int server, int timeoutMs, int io, int onOff))                                      \
  X(GetFirstStart, int, (int server))                                                                      \
  X(GetLastStart, int, (int server))                                                                       \
  X(SetEmergency, int, (int server, int timeoutMs))                                                        \
  X(GetRotateStaus, int, (int server, int timeoutMs))                                                      \
  X(GetMoterLocation, int, (int server, int axis, int timeoutMs))                                          \
  X(GetMoterLocationInfo, MoterLocationInfo*, (int server))                                                \
  X(GetI1Pro, I1ProData*, (int server))                                                                    \
  X(GetMesData, MesRecord*, (int server))                                                                  \
  X(GetVisionData, VisionData*, (int server))                                                              \
  X(SetTemperature, int, (int server, int timeoutMs, float value))                                         \
  X(GetTemperature, float, (int server, int timeoutMs))                                                    \
  X(GetVision, int, (int server, int timeoutMs))                                                           \
  X(GetAvisLight, int, (int server, int timeoutMs, AvisLightValueInfo* request))                           \
  X(GetAvisLightValueInfo, AvisLightValueInfo*, (int server))                                              \
  X(GetDistance_Target, float, (int server))                                                               \
  X(GetDistance_Actual, float, (int server))                                                               \
  X(SetPublicData, int, (int server, int timeoutMs, int slot, std::string key, std::string data))          \
  X(GetPublicData, std::string, (int server, int timeoutMs, int slot, std::string key, int* error))        \
  X(MoveStep, int, (int server, int step, int count, const std::string* symbols, const double* values,     \
                    int timeoutMs))                                                                        \
  X(GetMoveStepData, MoveStepData*, (int server))                                                          \
  X(GetTestCNT, int, (int server))                                                                         \
  X(GetGrrMode, int, (int server))                                                                         \
  X(GetAgingMode, int, (int server))                                                                       \
  X(GetPauseStatus, int, (int server))                                                                     \
  X(SetPauseStatus, int, (int server, int status))                                                         \
  X(GetUserBCDMode, int, (int server))                                                                     \
  X(GetFoxLogMode, int, (int server))

namespace prototable {
#define QRV_PROTOCOL_TYPEDEF(name, result, params) using name##_Fn = result(*) params;
QRV_PROTOCOL_FUNCTIONS(QRV_PROTOCOL_TYPEDEF)
#undef QRV_PROTOCOL_TYPEDEF

// Exports the main program looks up by name at each call; not in the table.
using SendStatus_Fn = int (*)(int server);
using SendResultCode_Fn = void (*)(int server, int code, std::string message);
using OnSpecDlg_Fn = void (*)();
}  // namespace prototable

struct ProtocolFunctionTable {
  ModuleHandle m_hModule;
#define QRV_PROTOCOL_SLOT(name, result, params) prototable::name##_Fn name;
  QRV_PROTOCOL_FUNCTIONS(QRV_PROTOCOL_SLOT)
#undef QRV_PROTOCOL_SLOT
};

inline constexpr int kProtocolFunctionCount = 43;
static_assert(sizeof(ProtocolFunctionTable) == (kProtocolFunctionCount + 1) * sizeof(void*));
static_assert(offsetof(ProtocolFunctionTable, SetDualResultCode) == 1 * sizeof(void*));
static_assert(offsetof(ProtocolFunctionTable, DisPensing) == 13 * sizeof(void*));
static_assert(offsetof(ProtocolFunctionTable, GetMesData) == 24 * sizeof(void*));
static_assert(offsetof(ProtocolFunctionTable, MoveStep) == 35 * sizeof(void*));
static_assert(offsetof(ProtocolFunctionTable, GetFoxLogMode) == 43 * sizeof(void*));
