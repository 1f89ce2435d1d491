#pragma once
// The library's one dialog, as the exports reach it. The dialog is created and deleted on the UI thread;
// test threads reach it only through these calls, which hold it for their own duration.
#include <memory>

#include "server_line.h"

namespace protocol {

class ProtocolCore;

// Null before Load_Protocol and after Load_OnDelete. For the UI thread only.
ProtocolCore* Core();
// The server's line, or null (with its status line) when that server is not open. Any thread.
std::shared_ptr<ServerLine> FindServerLine(int server);

struct ChartSettings {
  bool xInverse = false;
  bool yInverse = false;
  bool xyChange = false;
};
// The chart options as they are now (all off without a dialog). Any thread.
ChartSettings CurrentChart();

}  // namespace protocol
