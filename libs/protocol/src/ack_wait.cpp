#include "ack_wait.h"

#include "port/clock.h"

namespace protocol {

bool WaitAckFlag(const ServerLine& line, const std::atomic<int>& flag, const WaitTexts& texts, int timeoutMs) {
  line.Log(texts.start);
  const auto start = port::clock::Now();
  while (line.Record()->GetStopButtonFlag() == 0 && !line.closed.load()) {
    if (flag.load(std::memory_order_acquire) == 1) {
      line.Log(texts.pass);
      return true;
    }
    port::clock::SleepMs(1);
    if (port::clock::ElapsedMs(start) > timeoutMs) {
      line.Log(texts.fail);
      return false;
    }
  }
  return false;
}

}  // namespace protocol
