#pragma once
// The end of a test as the handler hears of it: the result notice and the ready state. A dual start is one
// exchange for two sites: its result goes once, when the second site of the pair has reported.
#include <string>

#include "server_line.h"

namespace protocol {

// A site's result: sent at once after a single start; after a dual start only by the second report of the
// pair, with the code a test item set for the pair, or else the first failure of the two sites, or the pass.
void ReportResult(ServerLine& line, int code, std::string message);
// The tester state the end of a site's test finds; working turns ready once the test (the whole pair) is done.
int ReportStatus(ServerLine& line);
// A side of a dual start that the main program refused reports at once, so that the side it did start closes
// the exchange with its own result; where that side reported first, its result goes now.
void ReportRefusedSide(ServerLine& line);

}  // namespace protocol
