#include "ack_wait.h"

#include "port/clock.h"

namespace protocol {

bool WaitAckFlag(const ServerLine& line, const std::atomic<int>& flag, const WaitTexts& texts, int timeoutMs,
                 StopCheck stopCheck) {
  line.Log(texts.start);
  const auto start = port::clock::Now();
  const auto stopped = [&line] { return line.Record()->GetStopButtonFlag() != 0 || line.closed.load(); };
  for (;;) {
    if (stopCheck == StopCheck::BeforeAnswer && stopped()) return false;
    if (flag.load(std::memory_order_acquire) == 1) {
      line.Log(texts.pass);
      return true;
    }
    port::clock::SleepMs(1);
    if (port::clock::ElapsedMs(start) > timeoutMs) {
      line.Log(texts.fail);
      return false;
    }
    if (stopCheck == StopCheck::AfterTimeout && stopped()) return false;
  }
}

}  // namespace protocol
