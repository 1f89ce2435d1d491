#pragma once
// The library's one dialog, as the exports reach it.
#include <memory>

#include "server_line.h"

namespace protocol {

class CProtocolDlg;

// Null before Load_Protocol and after Load_OnDelete.
CProtocolDlg* Dialog();
// The server's line, or null (with its status line) when that server was not started.
std::shared_ptr<ServerLine> FindServerLine(int server);

}  // namespace protocol
