#include "platform/MessagePump.h"

namespace {

std::function<bool(MSG&)>& Filter() {
  static std::function<bool(MSG&)> filter;
  return filter;
}

bool quitSeen = false;
int quitCode = 0;

}  // namespace

void SetMessageFilter(std::function<bool(MSG&)> filter) { Filter() = std::move(filter); }

void DispatchWithFilter(MSG& message) {
  if (Filter() && Filter()(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool PumpPendingMessages() {
  if (quitSeen) return false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitSeen = true;
      quitCode = static_cast<int>(message.wParam);
      PostQuitMessage(quitCode);
      return false;
    }
    DispatchWithFilter(message);
  }
  return true;
}

bool QuitRequested() { return quitSeen; }

ThrottledPump::ThrottledPump(unsigned intervalMs) : intervalMs_(intervalMs), lastPump_(GetTickCount64()) {}
