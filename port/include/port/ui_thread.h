#pragma once
#include <functional>

#include "port/export.h"

// Window messages become calls carried out on the UI thread: Send blocks until it ran (or returns false
// when the station is closing) and runs the call directly when already on the UI thread; Post always
// queues it, as a posted message never runs inside its sender. Without a dispatcher (tools, tests without
// a GUI) both run the call directly on the caller.
namespace port::ui {

// Called once by the program on its UI thread, after the QApplication exists.
PORT_API void InstallDispatcher();
PORT_API bool HasDispatcher();
PORT_API bool IsUiThread();
PORT_API bool Send(const std::function<void()>& call);
PORT_API void Post(std::function<void()> call);
// From now on Send gives up instead of waiting; set when the main window starts to close.
PORT_API void SetClosing(bool closing);
PORT_API bool IsClosing();

}  // namespace port::ui
