#pragma once
// The daily measurement CSV under "<program folder>/LogData".
#include <string>

#include "RmtSettings.h"
#include "port/clock.h"

std::string HiokiLogPath(const std::string& root, const port::clock::LocalTime& when);
// A file that cannot be opened loses the row; false then.
bool AppendMeasurementCsv(const std::string& root, const RmtSettings& settings, int channel, int testPoint, float value,
                          const port::clock::LocalTime& when);
