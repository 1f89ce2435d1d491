#pragma once
#include <cstdint>
#include <functional>

#include "QRV_Types.h"
#include "port/export.h"

// Window messages sent to a window by handle (e.g. the protocol library's command text to the site panel).
// The window registers a handler; Send carries the call out on the UI thread and waits for its answer
// (giving up with -1 when the station is closing or no handler is registered); Post queues it.
namespace port {

using MessageHandler = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

inline constexpr unsigned kWmUser = 0x0400;
// The protocol library's command text ("STOP", "LOT_NUMBER,<lot>") to the site panel.
inline constexpr unsigned kWmProtocolCommand = kWmUser + 102;

PORT_API void RegisterMessageHandler(WindowHandle window, MessageHandler handler);
PORT_API void UnregisterMessageHandler(WindowHandle window);
PORT_API std::intptr_t SendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
PORT_API bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace port
