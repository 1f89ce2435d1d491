#pragma once
// The MES record's fields by name, as the handler's MES packet and the MES dialog name them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolFunctionTable.h"

namespace protocol {

// Defaults of a new server: ints 0, TEST_MODE 1, every text "NULL".
void InitMesRecord(MesRecord& record);

// Stores a value under its field name (names compare with case); false for a name the record does not
// have. Numbers are read as decimal integers, texts are cut to their field.
bool StoreMesField(MesRecord& record, std::string_view name, std::string_view value);

// The 83 names the MES dialog shows, in its order (the LENSID fields have no place there).
const std::vector<std::string>& MesDisplayNames();

}  // namespace protocol
