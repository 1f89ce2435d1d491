#pragma once
// A site's item loop measures currents and grabs frames against timeouts; it is given the scheduler's
// preference over the station's other threads where the system allows it.
#include "port/export.h"

namespace port {

// Raises the calling thread above normal priority. A system that refuses it (no right to raise a
// priority) leaves the thread at normal priority: the loop runs as before, only with less headroom.
// Returns whether the thread now runs raised.
PORT_API bool RaiseThreadPriority();

}  // namespace port
