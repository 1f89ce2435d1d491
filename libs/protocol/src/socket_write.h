#pragma once
// Whole writes to a non-blocking stream socket that say why they stopped.
#include <chrono>
#include <string_view>

namespace protocol {

// Writes every byte to the non-blocking `descriptor` within `timeout` of the first attempt, waiting while its
// send buffer is full. 0 when all went; otherwise the reason as an errno value: ETIMEDOUT when the peer did
// not take it all in that time, EPIPE or ECONNRESET when it has gone.
int WriteAll(int descriptor, std::string_view bytes, std::chrono::milliseconds timeout);

}  // namespace protocol
