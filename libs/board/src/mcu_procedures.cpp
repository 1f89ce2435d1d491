// The actuator controller's measurement and settings procedures: one framed transaction each, the
// reply turned into engineering values.
#include <cstring>
#include <vector>

#include "board_exports.h"
#include "board_state.h"
#include "mcu_frame.h"

namespace board {
namespace {

constexpr double kSupplyScaleA = 6.84e-6;
constexpr double kSupplyScale = 2.052e-6;
constexpr double kCoilCurrent = 0.0010009775171065;
constexpr double kTemperatureScale = 0.0628;
constexpr double kTemperatureZero = -60.0;

// A query's reply; zeroed first, so a failed transaction yields zeros rather than stale memory.
struct QueryReply {
  int32_t result = 0;
  std::vector<uint8_t> bytes;
  uint16_t Word(int k) const { return Be16(&bytes[kMcuReplyHeadBytes + 2u * static_cast<size_t>(k)]); }
  const uint8_t* Data() const { return &bytes[kMcuReplyHeadBytes]; }
};

QueryReply RunQuery(int32_t board, uint8_t group, uint8_t id, uint16_t dataLength, int32_t requestLevel,
                    int32_t timeoutMs) {
  const McuFrame frame = McuFrame::Query({group, id, dataLength});
  QueryReply reply;
  reply.bytes.assign(kMcuReplyHeadBytes + size_t{dataLength}, 0);
  reply.result = VKL_I2C_ProtocolTrx(board, frame.data(), frame.BodyLength(), reply.bytes.data(),
                                     static_cast<uint16_t>(reply.bytes.size()), requestLevel, timeoutMs);
  return reply;
}

int32_t CopyQuery(int32_t board, uint8_t group, uint8_t id, uint16_t length, uint8_t* out, int32_t level, int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !out) return 0;
  const QueryReply reply = RunQuery(board, group, id, length, level, timeoutMs);
  std::memcpy(out, reply.Data(), length);
  return reply.result;
}

int32_t FourByteQuery(int32_t board, uint8_t id, int32_t* out, int32_t level, int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !out) return 0;
  const QueryReply reply = RunQuery(board, 0x10, id, 4, level, timeoutMs);
  *out = static_cast<int32_t>(Le32(reply.Data()));
  return reply.result;
}

// Word 0 at the first scale, words 1 and 2 at the second.
int32_t ThreeVoltages(int32_t board, uint8_t id, double scaleA, double* a, double* b, double* c, int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !a || !b || !c) return 0;
  const QueryReply reply = RunQuery(board, 0x10, id, 6, 1, timeoutMs);
  *a = reply.Word(0) * scaleA;
  *b = reply.Word(1) * kSupplyScale;
  *c = reply.Word(2) * kSupplyScale;
  return reply.result;
}

int32_t CoilResistances(int32_t board, uint8_t id, double* va, double* vb, double* vc, double* ra, double* rb,
                        double* rc, int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !va || !vb || !vc || !ra || !rb || !rc) return 0;
  const int32_t result = ThreeVoltages(board, id, kSupplyScale, va, vb, vc, timeoutMs);
  *ra = *va / kCoilCurrent;
  *rb = *vb / kCoilCurrent;
  *rc = *vc / kCoilCurrent;
  return result;
}

int32_t DriverSet(int32_t board, uint8_t id, size_t length, int32_t* status, const uint8_t* config, int32_t timeoutMs) {
  if (!IsBoardIndex(board) || !status || !config) return 0;
  const McuFrame frame = McuFrame::Command({0x10, id, static_cast<uint16_t>(length)}, config, length);
  uint8_t ack[kMcuAckBytes] = {};
  const int32_t result = VKL_I2C_ProtocolTrx(board, frame.data(), frame.BodyLength(), ack, 0, 1, timeoutMs);
  if (result != 0) *status = static_cast<int32_t>(Le32(ack + 4));
  return result;
}

}  // namespace
}  // namespace board

using board::CopyQuery;
using board::FourByteQuery;

int32_t VKL_Get_System_Handle(int32_t board, int32_t* handle) { return FourByteQuery(board, 0x0A, handle, 0, 1000); }

int32_t VKL_Get_MCUVersion(int32_t board, uint16_t* version, int32_t powerCycle) {
  if (!board::IsBoardIndex(board) || !version) return 0;
  if (powerCycle == 1) {
    VKL_IOlevel_Set(board, 1.85f);
    VKL_MCU_NRST_Reset(board);
    VKL_MCU_PWR_On_Off(board, 1);
    VKL_MCU_NRST_Reset(board);
  }
  const board::QueryReply reply = board::RunQuery(board, 0x10, 0x00, 2, 0, 100);
  *version = static_cast<uint16_t>(reply.bytes[8] | (reply.bytes[9] << 8));
  if (powerCycle == 1) {
    VKL_IOlevel_Set(board, 0.0f);
    VKL_MCU_PWR_On_Off(board, 0);
  }
  board::DriveMcuRequest(board, 0);
  return reply.result;
}

int32_t VKL_Get_ConvData(int32_t board, uint8_t* data) { return CopyQuery(board, 0xD0, 0xFE, 25000, data, 0, 5000); }

int32_t VKL_MCU_Basic_functional_I2C_communication(int32_t board, int32_t* out, uint8_t test, int32_t timeoutMs) {
  if (test > 4) return 0;
  return FourByteQuery(board, static_cast<uint8_t>(5 + test), out, 1, timeoutMs);
}

int32_t VKL_MCU_Standby_to_Active_Transition(int32_t board, int32_t* out, int32_t timeoutMs) {
  return FourByteQuery(board, 0x10, out, 1, timeoutMs);
}

int32_t VKL_MCU_Quilmar_temperature_reads(int32_t board, float* tempC, float* a, float* b, float* ratio, int32_t timeoutMs) {
  if (!board::IsBoardIndex(board) || !tempC || !a || !b || !ratio) return 0;
  const board::QueryReply reply = board::RunQuery(board, 0x10, 0x11, 6, 1, timeoutMs);
  *tempC = static_cast<float>(reply.Word(0) * board::kTemperatureScale + board::kTemperatureZero);
  *a = static_cast<float>(reply.Word(1) * 0.25);
  *b = static_cast<float>(reply.Word(2) * 1.25);
  *ratio = *a / *b;
  return reply.result;
}

int32_t VKL_MCU_Power_supply_voltage_check_at_Quilmar_pins(int32_t board, double* voltageA, double* voltageB,
                                                           double* voltageC, int32_t timeoutMs) {
  return board::ThreeVoltages(board, 0x12, board::kSupplyScaleA, voltageA, voltageB, voltageC, timeoutMs);
}

int32_t VKL_MCU_output_current_measurement(int32_t board, double* currentA, double* currentB, double* currentC,
                                           int32_t timeoutMs) {
  return board::ThreeVoltages(board, 0x13, board::kSupplyScaleA, currentA, currentB, currentC, timeoutMs);
}

int32_t VKL_MCU_output_voltage_and_coil_resistance(int32_t board, double* voltageA, double* voltageB, double* voltageC,
                                                   double* resistanceA, double* resistanceB, double* resistanceC,
                                                   int32_t timeoutMs) {
  return board::CoilResistances(board, 0x14, voltageA, voltageB, voltageC, resistanceA, resistanceB, resistanceC, timeoutMs);
}

int32_t VKL_MCU_Coil_Resistance_Measurement_Procedure(int32_t board, double* voltageA, double* voltageB,
                                                      double* voltageC, double* resistanceA, double* resistanceB,
                                                      double* resistanceC, int32_t timeoutMs) {
  return board::CoilResistances(board, 0x1A, voltageA, voltageB, voltageC, resistanceA, resistanceB, resistanceC, timeoutMs);
}

int32_t VKL_MCU_Emcoupling_hold_and_release(int32_t board, int32_t* a, int32_t* b, int32_t* c, double* d, double* tempC,
                                            uint8_t type, int32_t timeoutMs) {
  if (!board::IsBoardIndex(board) || !a || !b || !c || !d || !tempC) return 0;
  const uint8_t id = static_cast<uint8_t>(type <= 5 ? 0x20 + type : 0x20);
  const board::QueryReply reply = board::RunQuery(board, 0x10, id, 10, 1, timeoutMs);
  *b = reply.Word(0);
  *c = reply.Word(1);
  *a = reply.Word(2);
  *d = reply.Word(3);
  *tempC = reply.Word(4) * board::kTemperatureScale + board::kTemperatureZero;
  return reply.result;
}

int32_t VKL_MCU_APS_OIS_Noise_tests(int32_t board, uint8_t* data, int32_t timeoutMs) {
  return CopyQuery(board, 0x10, 0x30, 4500, data, 1, timeoutMs);
}

int32_t VKL_MCU_AF_EMCC_Calibration(int32_t board, uint8_t* data, uint8_t which, int32_t timeoutMs) {
  return CopyQuery(board, 0x10, which != 0 ? 0x32 : 0x31, 120, data, 1, timeoutMs);
}

int32_t VKL_MCU_CL_Driver_Set_Init(int32_t board, int32_t* status, const uint8_t* config, int32_t timeoutMs) {
  return board::DriverSet(board, 0x40, 128, status, config, timeoutMs);
}

int32_t VKL_MCU_AF_CL_Driver_Set_Init(int32_t board, int32_t* status, const uint8_t* config, int32_t timeoutMs) {
  return board::DriverSet(board, 0x50, 58, status, config, timeoutMs);
}
