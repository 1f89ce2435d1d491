#pragma once
// One wrapper: log the call, forward it unchanged to the board function, log the result, return it.
// The wrapper's type is the board function's type; Index is its place in the wrapper list.
#include <array>
#include <cstddef>
#include <tuple>

#include "board_api_table.h"
#include "encapsulation_log.h"

namespace encap {

inline constexpr std::array<const char*, kEncapWrapperCount> kFacadeNames = {{
#define QRV_ENCAP_FACADE_NAME(facade, board, logId, required) #facade,
    QRV_ENCAP_WRAPPERS(QRV_ENCAP_FACADE_NAME)
#undef QRV_ENCAP_FACADE_NAME
}};

template <LogId Rule, typename... A>
int LogIdOf(const A&... args) {
  if constexpr (Rule == LogId::Zero) {
    return 0;
  } else {
    const auto values = std::forward_as_tuple(args...);
    constexpr std::size_t position = Rule == LogId::Board ? 0 : 1;
    return static_cast<int>(std::get<position>(values));
  }
}

template <std::size_t Index, typename Fn, LogId Rule>
struct Forwarder;

template <std::size_t Index, typename R, typename... A, LogId Rule>
struct Forwarder<Index, R (*)(A...), Rule> {
  static R Call(A... args) {
    const char* name = kFacadeNames[Index];
    const int id = LogIdOf<Rule>(args...);
    EncapsulationLog& log = TheLog();
    log.Log(id, "%s :: ", name);
    const auto board = reinterpret_cast<R (*)(A...)>(BoardApi().Entry(Index));
    if (!board) {
      log.Log(id, "%s :: not bound", name);
      return R{};
    }
    const R result = board(args...);
    log.Log(id, "%s :: Ret=%d ", name, static_cast<int>(result));
    return result;
  }
};

}  // namespace encap
