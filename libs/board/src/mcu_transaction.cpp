// One framed transaction with the actuator controller, paced by the ready line, and the controller's
// pin exports (supply, reset, ready and request lines).
#include <chrono>

#include "PCI_LX40.h"
#include "board_exports.h"
#include "board_state.h"
#include "dio_pins.h"
#include "mcu_frame.h"
#include "port/clock.h"
#include "trace.h"

namespace board {
namespace {

enum class Pause { kSleep, kSpin };
enum class Order { kCheckFirst, kPauseFirst };

struct WaitStyle {
  Order order;
  Pause pause;
  const char* timeoutLine;  // written to Debug.log on a time-out; null: nothing
};

struct TransactionStyle {
  WaitStyle first, afterHead, queryBody, queryReply, commandBody, commandAck, recordBody, recordReply;
  int requestAfterSuccess;
};

constexpr WaitStyle kSleepAfter{Order::kCheckFirst, Pause::kSleep, nullptr};
constexpr WaitStyle kSpinAfter{Order::kCheckFirst, Pause::kSpin, nullptr};

constexpr TransactionStyle kPlain{kSleepAfter, kSpinAfter,  {Order::kPauseFirst, Pause::kSleep, nullptr}, kSleepAfter,
                                  kSpinAfter,  kSpinAfter,  kSleepAfter,  kSleepAfter, 0};
constexpr TransactionStyle kSweep{
    {Order::kCheckFirst, Pause::kSpin, "FAIL : VKL_MCU_CL_Sweep_Config// Timeout1"},
    {Order::kCheckFirst, Pause::kSpin, "FAIL : VKL_MCU_CL_Sweep_Config_Timeout2"},
    {Order::kPauseFirst, Pause::kSpin, "FAIL : VKL_MCU_CL_Sweep_Config// Timeout_DATA_Read1"},
    {Order::kCheckFirst, Pause::kSpin, "FAIL : VKL_MCU_CL_Sweep_Config// Timeout_DATA_Read2"},
    kSpinAfter, kSpinAfter, kSpinAfter, kSpinAfter, 1};

// The ready-line checks of one transaction: one budget shared by all its waits.
class ReadyBudget {
 public:
  ReadyBudget(int32_t board, int32_t checks) : board_(board), left_(checks) {}

  bool Wait(const WaitStyle& style) {
    while (left_ > 0) {
      if (style.order == Order::kPauseFirst) PauseOnce(style.pause);
      --left_;
      if (VKL_MCU_Busy_Check(board_) == 1) return true;
      if (style.order == Order::kCheckFirst) PauseOnce(style.pause);
    }
    if (style.timeoutLine) WriteDebugLog("%s", style.timeoutLine);
    return false;
  }

 private:
  static void PauseOnce(Pause pause) {
    if (pause == Pause::kSleep) port::clock::Sleep(std::chrono::milliseconds(1));
    else pSleep(1);
  }

  int32_t board_;
  int32_t left_;
};

bool Write(int32_t board, const uint8_t* data, int32_t length) {
  return PCI_I2C_MCU_Write(board, kMcuSlave, 0, 0, length, data) == 1;
}

bool Read(int32_t board, uint8_t* out, int32_t length) { return PCI_I2C_MCU_Read(board, kMcuSlave, 0, 0, length, out) == 1; }

int32_t AfterHead(const TransactionStyle& style, ReadyBudget& budget, int32_t board, const uint8_t* frame,
                  uint16_t bodyLen, uint8_t* reply, uint16_t replyLen) {
  const uint8_t* body = frame + 4;
  switch (frame[5]) {
    case kMcuQuery:
      if (!Write(board, body, bodyLen) || !budget.Wait(style.queryBody)) return -2;
      if (!Read(board, reply, replyLen)) return -3;
      return budget.Wait(style.queryReply) ? 1 : 0;
    case kMcuCommand:
      if (!Write(board, body, bodyLen) || !budget.Wait(style.commandBody)) return -4;
      if (!Read(board, reply, kMcuAckBytes)) return -5;
      return budget.Wait(style.commandAck) ? 1 : 0;
    case kMcuRecord:
      if (!Write(board, body, bodyLen)) return -6;
      budget.Wait(style.recordBody);  // the reply is read even when the controller stayed busy
      if (!Read(board, reply, replyLen)) return -7;
      return budget.Wait(style.recordReply) ? 1 : 0;
    default:
      return 1;
  }
}

bool ValidArguments(int32_t board, const uint8_t* frame, const uint8_t* reply, uint16_t replyLen) {
  if (!IsBoardIndex(board) || !frame) return false;
  const uint8_t mode = frame[5];
  if (mode == kMcuCommand) return reply != nullptr;
  if (mode == kMcuQuery || mode == kMcuRecord) return reply != nullptr || replyLen == 0;
  return true;
}

int32_t Transaction(const TransactionStyle& style, int32_t board, const uint8_t* frame, uint16_t bodyLen,
                    uint8_t* reply, uint16_t replyLen, int32_t requestLevel, int32_t timeoutMs) {
  if (!ValidArguments(board, frame, reply, replyLen)) return 0;
  DriveMcuRequest(board, requestLevel);
  ReadyBudget budget(board, timeoutMs);
  int32_t result = 0;
  if (!budget.Wait(style.first)) result = 0;
  else if (!Write(board, frame, 4) || !budget.Wait(style.afterHead)) result = -1;
  else result = AfterHead(style, budget, board, frame, bodyLen, reply, replyLen);
  DriveMcuRequest(board, result == 1 ? style.requestAfterSuccess : 0);
  return result;
}

}  // namespace
}  // namespace board

int32_t VKL_I2C_ProtocolTrx(int32_t board, const uint8_t* frame, uint16_t bodyLen, uint8_t* reply, uint16_t replyLen,
                            int32_t requestLevel, int32_t timeoutMs) {
  return board::Transaction(board::kPlain, board, frame, bodyLen, reply, replyLen, requestLevel, timeoutMs);
}

int32_t VKL_I2C_ProtocolTrx_Sweep_Config(int32_t board, const uint8_t* frame, uint16_t bodyLen, uint8_t* reply,
                                         uint16_t replyLen, int32_t requestLevel, int32_t timeoutMs) {
  return board::Transaction(board::kSweep, board, frame, bodyLen, reply, replyLen, requestLevel, timeoutMs);
}

int32_t VKL_MCU_Busy_Check(int32_t board) {
  uint32_t level = 0;
  return VKL_GPIORead(board, board::kMcuReadyLine, &level) == 1 && level ? 1 : 0;
}

int32_t VKL_MCU_I2C_Direction(int32_t board, int32_t value, int32_t level) {
  VKL_GPIOWrite(board, board::kMcuRequestLine, level);
  return value;
}

int32_t VKL_MCU_I2C_Direction_test(int32_t board, int32_t value, int32_t level)
    __attribute__((alias("VKL_MCU_I2C_Direction")));

int32_t VKL_MCU_GPIO_Ready(int32_t board, int32_t bit) {
  return board::MakeDioOutput(board, board::kMcuPinBank, static_cast<uint32_t>(bit) % 32);
}

int32_t VKL_MCU_NRST_Reset(int32_t board) {
  if (!board::IsBoardIndex(board)) return 0;
  board::MakeDioOutput(board, board::kMcuPinBank, board::kMcuReadyLine);
  VKL_GPIOWrite(board, board::kMcuResetLine, 0);
  pSleep(50);
  VKL_GPIOWrite(board, board::kMcuResetLine, 1);
  board::MakeDioOutput(board, board::kMcuPinBank, board::kMcuResetLine);
  return 1;
}

int32_t VKL_MCU_PWR_On_Off(int32_t board, int32_t on) {
  if (!board::IsBoardIndex(board)) return 0;
  const int32_t supply = VKL_SEN_ExtPower(board, on ? 1 : 0);
  if (on && supply == 1) VKL_MCU_NRST_Reset(board);
  board::DriveMcuRequest(board, 0);
  return supply == 1 ? 1 : 0;
}
