#pragma once
// No exception may reach the caller of an exported function, which may be C code or another module: the caller
// gets the function's failure value instead, and the exception's text goes to whoever reports it.
#include <exception>

namespace port {

template <typename R, typename Fn, typename Report>
R ValueOrFailure(R failure, const Fn& fn, const Report& report) noexcept {
  try {
    return fn();
  } catch (const std::exception& error) {
    report(error.what());
  } catch (...) {
    report("unknown exception");
  }
  return failure;
}

}  // namespace port
