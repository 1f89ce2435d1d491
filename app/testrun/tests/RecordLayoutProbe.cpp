// A library compiled apart from the program that reports where it sees the record's fields.
#include <cstddef>
#include <cstdint>

#include "RecordFields.h"

#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {
#define X(field) offsetof(CQRV_LoadMemory, field),
constexpr std::size_t kOffsets[] = {QRV_RECORD_FIELDS(X)};
#undef X
}  // namespace

QRV_EXPORT std::size_t RecordProbe_Size() { return sizeof(CQRV_LoadMemory); }
QRV_EXPORT int RecordProbe_FieldCount() { return static_cast<int>(std::size(kOffsets)); }
QRV_EXPORT std::size_t RecordProbe_Offset(int field) { return kOffsets[field]; }

QRV_EXPORT std::uint32_t RecordProbe_LoginLevel(CQRV_LoadMemory* record) { return record->GetLoginLevel(); }
QRV_EXPORT std::uint32_t RecordProbe_StopAll(CQRV_LoadMemory* record) { return record->GetStopButtonFlag(); }
QRV_EXPORT const char* RecordProbe_Root(CQRV_LoadMemory* record) { return record->m_szRoot; }
QRV_EXPORT std::uint32_t RecordProbe_ProtocolType(CQRV_LoadMemory* record) { return record->ProtocolType; }
QRV_EXPORT void RecordProbe_SetSiteStop(CQRV_LoadMemory* record, int site) { record->SetSiteStopFlag(site, 1); }
