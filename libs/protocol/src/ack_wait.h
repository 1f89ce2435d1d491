#pragma once
// How a test item's request waits for the handler's answer.
#include <atomic>
#include <string>

#include "server_line.h"

namespace protocol {

struct WaitTexts {
  std::string start;
  const char* pass;
  const char* fail;
};

// Where a wait looks at the stop-all flag: before each look at the answer, or after each time-out check, so
// that a wait whose time ran out while the station stopped still writes its fail text.
enum class StopCheck { BeforeAnswer, AfterTimeout };

// Polls flag every millisecond on the station clock until it is 1 (pass text, true), until more than
// timeoutMs have passed (fail text, false), or, without a text, until the stop-all flag is set or the
// server closes. A flag of any other value (an answer with RET 0) does not end the wait.
bool WaitAckFlag(const ServerLine& line, const std::atomic<int>& flag, const WaitTexts& texts, int timeoutMs,
                 StopCheck stopCheck = StopCheck::BeforeAnswer);

}  // namespace protocol
