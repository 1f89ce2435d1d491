#include "port/taskbar.h"

#include <atomic>
#include <cstdio>

namespace port::taskbar {
namespace {

std::atomic<State> current{State::Unchanged};

const char* Name(State state) {
  switch (state) {
    case State::AutoHide:
      return "auto-hide";
    case State::AlwaysOnTop:
      return "always-on-top";
    case State::Unchanged:
      break;
  }
  return "unchanged";
}

}  // namespace

void SetState(State state) {
  current.store(state);
  std::fprintf(stderr, "taskbar: state %s\n", Name(state));
}

State CurrentState() { return current.load(); }

}  // namespace port::taskbar
