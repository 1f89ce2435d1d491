#pragma once
#include <cstdint>
#include <functional>

#include "port/export.h"

class QWidget;

// Window messages sent to a window by handle (e.g. the protocol library's command text to the site panel).
// The window registers a handler; Send carries the call out on the UI thread and waits for its answer
// (giving up with -1 when the station is closing or no handler is registered); Post queues it.
namespace port {

// A window: the QWidget of that window, opaque to the libraries.
using WindowHandle = QWidget*;
using MessageHandler = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

inline constexpr unsigned kWmUser = 0x0400;

PORT_API void RegisterMessageHandler(WindowHandle window, MessageHandler handler);
PORT_API void UnregisterMessageHandler(WindowHandle window);
PORT_API std::intptr_t SendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
PORT_API bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace port
