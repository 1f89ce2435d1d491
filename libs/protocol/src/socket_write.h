#pragma once
// Whole writes to a non-blocking stream socket that say why they stopped.
#include <chrono>
#include <string_view>

namespace protocol {

// Writes every byte to the non-blocking `descriptor`, waiting up to `timeout` each time its send buffer is
// full. 0 when all went; otherwise the reason as an errno value: ETIMEDOUT when the peer took nothing for
// that long, EPIPE or ECONNRESET when it has gone.
int WriteAll(int descriptor, std::string_view bytes, std::chrono::milliseconds timeout);

}  // namespace protocol
