#pragma once
#include "port/export.h"

// The task bar has no counterpart here: its state is recorded and logged so that start-up and exit
// can still be checked.
namespace port::taskbar {

enum class State { Unchanged, AutoHide, AlwaysOnTop };

PORT_API void SetState(State state);
PORT_API State CurrentState();

}  // namespace port::taskbar
