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

// The handler's answer to a vision request. The leading bytes are the items' own; the library never
// writes them.
struct VisionData {
  char head[8];
  double X_POS;
  double Y_POS;
  double ANGLE;
  std::int32_t RECEIVE_DATA;
  std::int32_t RESULT;
};
static_assert(sizeof(VisionData) == 40 && offsetof(VisionData, X_POS) == 8 && offsetof(VisionData, RESULT) == 36);

struct MoterLocationInfo {
  char head[8];
  std::int32_t Axis;
  double X;
  double Y;
  double Z;
};
static_assert(sizeof(MoterLocationInfo) == 40 && offsetof(MoterLocationInfo, X) == 16);

inline constexpr int kAvisLightChannels = 10;

// Both the request of GetAvisLight (COUNT, Channel, OnOff) and the handler's answer (ID too).
struct AvisLightValueInfo {
  char ID[8];
  std::int32_t COUNT;
  std::int32_t Channel[kAvisLightChannels];
  std::int32_t OnOff[kAvisLightChannels];
};
static_assert(sizeof(AvisLightValueInfo) == 92 && offsetof(AvisLightValueInfo, OnOff) == 52);

inline constexpr int kMoveStepItems = 10;
inline constexpr int kMoveStepSymbolSize = 64;

struct MoveStepData {
  std::int32_t STEP;
  std::int32_t COUNT;
  char SYMBOL[kMoveStepItems][kMoveStepSymbolSize];
  double DATA[kMoveStepItems];
  char tail[8];
};
static_assert(sizeof(MoveStepData) == 736 && offsetof(MoveStepData, DATA) == 648);

inline constexpr int kMesTextSize = 32;
inline constexpr int kMesPartGroups = 10;

// One of the ten part groups of a MES record: SUBSTRATEID<i>, IRCFID<i>, LENSID<i>, FLEXID<i>, STIFFENER<i>.
struct MesPartGroup {
  char SUBSTRATEID[kMesTextSize];
  char IRCFID[kMesTextSize];
  char LENSID[kMesTextSize];
  char FLEXID[kMesTextSize];
  char STIFFENER[kMesTextSize];
};

// The handler's MES data of the module under test, one record per server.
struct MesRecord {
  std::int32_t BCD_Length;
  std::int32_t BCD_PosNo[5];
  std::int32_t BCD_Checksum;
  std::int32_t BCD_Check[5];
  char BCD_Char[5][kMesTextSize];
  std::int32_t TEST_MODE;
  std::int32_t ONOFFLINE;
  std::int32_t FCHECK;
  std::int32_t THROUGH;
  char LOT[kMesTextSize];
  char EQUIPMENT[kMesTextSize];
  char FACTORY[kMesTextSize];
  char AREA[kMesTextSize];
  char LINE[kMesTextSize];
  char STATION[kMesTextSize];
  char OPERATION[kMesTextSize];
  char SUBEQUIPMENT[kMesTextSize];
  char PRODUCTSPEC[kMesTextSize];
  char EVENTUSER[kMesTextSize];
  char SWVERSION[kMesTextSize];
  char SERVER_ADDR[kMesTextSize];
  char FBEQP[kMesTextSize];
  char UFEQ[kMesTextSize];
  char GHAEQP[kMesTextSize];
  char LHAEQP[kMesTextSize];
  char ACFEQP[kMesTextSize];
  char SAEQP[kMesTextSize];
  char PFEQP0[kMesTextSize];
  char PFEQP1[kMesTextSize];
  char VCMID0[kMesTextSize];
  char VCMID1[kMesTextSize];
  MesPartGroup GROUP[kMesPartGroups];
};
static_assert(sizeof(MesRecord) == 2528);
static_assert(offsetof(MesRecord, BCD_Char) == 48 && offsetof(MesRecord, TEST_MODE) == 208);
static_assert(offsetof(MesRecord, LOT) == 224 && offsetof(MesRecord, GROUP) == 928);

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

class CQRV_LoadMemory;

namespace prototable {
#define QRV_PROTOCOL_TYPEDEF(name, result, params) using name##_Fn = result(*) params;
QRV_PROTOCOL_FUNCTIONS(QRV_PROTOCOL_TYPEDEF)
#undef QRV_PROTOCOL_TYPEDEF

// Exports the main program looks up by name at each call; not in the table.
using SendStatus_Fn = int (*)(int server);
using SendResultCode_Fn = void (*)(int server, int code, std::string message);
using OnSpecDlg_Fn = void (*)();
// Stops listening, closes the handler connections and ends their workers; the library stays loaded.
using StopProtocolServers_Fn = void (*)(CQRV_LoadMemory* record);
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
