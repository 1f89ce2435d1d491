#pragma once
// Memory shared under a name, also with other processes: POSIX shared memory named from "Global\<name>".
// Views live until the process ends. A named object would outlive the process in /dev/shm, so the names
// this process mapped are removed when the library goes or the process ends.
#include <string>

namespace qrv::sw {

// The shared-memory object name for a mapping name ('/' cannot appear inside one).
std::string SharedMappingName(const char* name);

// Null after showing "Create Mapping Fail" (and, when reportView, "Create Mapping Map Vie Address Fail").
void* CreateSharedMapping(const char* name, int size, bool reportView);

// Removes the names of the mappings this process made; their views stay valid.
void RemoveSharedMappingNames();

}  // namespace qrv::sw
