#include "port/window_message.h"

#include <map>
#include <memory>
#include <mutex>

#include "port/ui_thread.h"

namespace port {
namespace {

std::mutex handlersMutex;
std::map<WindowHandle, std::shared_ptr<const MessageHandler>> handlers;

// A copy that stays valid while it runs, even if the window unregisters meanwhile.
std::shared_ptr<const MessageHandler> HandlerOf(WindowHandle window) {
  const std::lock_guard lock(handlersMutex);
  const auto found = handlers.find(window);
  return found == handlers.end() ? nullptr : found->second;
}

}  // namespace

void RegisterMessageHandler(WindowHandle window, MessageHandler handler) {
  if (!window || !handler) return;
  const std::lock_guard lock(handlersMutex);
  handlers[window] = std::make_shared<const MessageHandler>(std::move(handler));
}

void UnregisterMessageHandler(WindowHandle window) {
  const std::lock_guard lock(handlersMutex);
  handlers.erase(window);
}

std::intptr_t SendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!HandlerOf(window)) return -1;
  std::intptr_t result = -1;
  // Looked up again on the UI thread: a window that unregistered in the meantime gets no call.
  const bool ran = ui::Send([&] {
    if (const auto handler = HandlerOf(window)) result = (*handler)(message, wParam, lParam);
  });
  return ran ? result : -1;
}

bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!HandlerOf(window)) return false;
  ui::Post([=] {
    if (const auto handler = HandlerOf(window)) (*handler)(message, wParam, lParam);
  });
  return true;
}

}  // namespace port
