#pragma once
// The optional timed trace of the exports into Debug.log.
#include <cstdint>
#include <string>

#include "port/clock.h"

// Line formats; the values after the time and the export name are listed with each export.
#define TRACE_F1 "[PWR DLL][CH-][%8.3fms] %s(%d) = %d"
#define TRACE_F2 "[PWR DLL][%8.3fms] %s(%d, %d) = %d"
#define TRACE_F3 "[PWR DLL][%8.3fms] %s(%d,%0.3fMHz) = %d"
#define TRACE_F4_DAC "[PWR DLL][%8.3fms] %s(%d, %0.3f)_I2CDAC = %d"
#define TRACE_F4 "[PWR DLL][%8.3fms] %s(%d, %0.3f(%04X)) = %d"
#define TRACE_F5 "[PWR DLL][%8.3fms] %s(%d, %d, %d) = %d"
#define TRACE_F6 "[PWR DLL][%8.3fms] %s(%d, %02X, %d, %04X, %d, %s) = %d"
#define TRACE_F7 "[PWR DLL][%8.3fms] %s(%d, %02X, %04X, %04X, %04X, %s) = %d"
#define TRACE_F8 "[PWR DLL][%8.3fms] %s() = %d"
#define TRACE_F9 "[PWR DLL][%8.3fms] %s(%d) = %d"
#define TRACE_F10 "[PWR DLL][%8.3fms] %s(%d)(RX : %08X // TX : %08X) = %d"
#define TRACE_F11 "[PWR DLL][%8.3fms] %s(%d, %d, %s) = %d"
#define TRACE_F12 "[PWR DLL][%8.3fms] %s(%d, %f, %d, %d, %04X) = %d"
#define TRACE_F13 "[PWR DLL][%8.3fms] %s(%d, %04X) = %d"
#define TRACE_F14 "[PWR DLL][%8.3fms] %s(%d, %x) = %d"
#define TRACE_F15 "[PWR DLL][%8.3fms] %s(%d, %02X, %04X, %s) = %d"
#define TRACE_F16 "[PWR DLL][%8.3fms] %s(%d, %02X, %d, %04X, %d, %d, %04X) = %d"
#define TRACE_F17 "[PWR DLL][%8.3fms] %s(%d, %02X, %d, %04X, %d, %d, %04X, %d) = %d"
#define TRACE_F18 "[PWR DLL][%8.3fms] %s(%d, %02X, %02X, %02X, %d, %d, %d, %d, %04X, %d, %d, %d) = %d"
#define TRACE_F19 "[PWR DLL][CH-][%8.3fms] %s(%d, %f, %f) = %d"
#define TRACE_F20 "[PWR DLL][CH-][%8.3fms] %s(%d, %d) = %d"
#define TRACE_F21 "[PWR DLL][CH-][%8.3fms] %s(%d, %d, %f) = %d"

namespace board {

bool TraceOn();
void SetTrace(bool on);

// Appends one line to Debug.log in the trace folder; a file that cannot be opened loses the line.
void WriteDebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Data bytes as "%02X" each, without separator or with a blank before each.
std::string DataBytes(const uint8_t* data, int32_t length, bool blankBefore = false);

// Times one export; the start is taken whether or not the trace is on, so switching it on
// mid-call never reads an unset start.
class TraceTimer {
 public:
  TraceTimer() : start_(port::clock::Now()) {}
  double Ms() const { return std::chrono::duration<double, std::milli>(port::clock::Now() - start_).count(); }

 private:
  port::clock::TimePoint start_;
};

}  // namespace board

// Writes the export's trace line when the trace is on: TRACE(timer, FORMAT, values...).
#define TRACE(timer, format, ...) \
  do {                            \
    if (board::TraceOn()) board::WriteDebugLog(format, (timer).Ms(), __func__, __VA_ARGS__); \
  } while (0)
#define TRACE0(timer, format, result) \
  do {                                \
    if (board::TraceOn()) board::WriteDebugLog(format, (timer).Ms(), __func__, result); \
  } while (0)
// The whole body of an export that is one driver call: times the call, writes the trace line of the values
// given after it and the call's result, and returns the result.
#define TRACED_CALL(format, call, ...)                  \
  do {                                                   \
    const board::TraceTimer tracedTimer;                 \
    const int32_t tracedResult = (call);                 \
    TRACE(tracedTimer, format, __VA_ARGS__, tracedResult); \
    return tracedResult;                                 \
  } while (0)
