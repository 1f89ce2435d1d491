#pragma once
// Memory shared under a name, also with other processes: POSIX shared memory named from "Global\<name>".
// Mappings live until the process ends.
#include <string>

namespace qrv::sw {

// The shared-memory object name for a mapping name ('/' cannot appear inside one).
std::string SharedMappingName(const char* name);

// Null after showing "Create Mapping Fail" (and, when reportView, "Create Mapping Map Vie Address Fail").
void* CreateSharedMapping(const char* name, int size, bool reportView);

}  // namespace qrv::sw
