#include "protocol_core.h"
#include "port/message_box.h"
#include "port/module.h"

namespace protocol {

ProtocolFunctionTable* LoadProtocolFunctionTable(ProtocolFunctionTable* table, ModuleHandle module) {
  table->m_hModule = module;
#define QRV_PROTOCOL_BIND(name, result, params) \
  table->name = port::FindFunction<prototable::name##_Fn>(module, #name);
  QRV_PROTOCOL_FUNCTIONS(QRV_PROTOCOL_BIND)
#undef QRV_PROTOCOL_BIND
  if (!module) {
    port::MessageBox("Platform Protocol Fail Loadlibrary fail", "Error", port::kMbOk);
    return table;
  }
  void* const* entries = reinterpret_cast<void* const*>(table);
  for (int slot = 1; slot <= 25; ++slot) {
    if (slot != 13 && entries[slot] == nullptr) {
      port::MessageBox("Platform Protocol Fail to get function pointer", "Error", port::kMbOk);
      break;
    }
  }
  return table;
}

}  // namespace protocol
