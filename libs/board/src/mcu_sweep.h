#pragma once
// Record kinds of the closed-loop sweeps and the sensor-bus step procedures.
#include <cstdint>

namespace board {

// Record size of a kind in bytes; 0 for a kind outside the table.
int SweepRecordSize(uint16_t kind);

}  // namespace board
