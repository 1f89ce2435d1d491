#pragma once
// Why a server does not listen: a station set-up fault must be seen where an operator or a service manager
// looks, not only in a hidden window.
#include <string>

namespace protocol {

// Writes the line to standard error and to the main program's platform error log (its export
// "LogPlatformError", when it has one).
void ReportServerSetUp(const std::string& text);

}  // namespace protocol
