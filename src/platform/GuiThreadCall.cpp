#include "platform/GuiThreadCall.h"

namespace {

constexpr wchar_t kClassName[] = L"TavrelGuiThreadCall";
constexpr UINT kRunMessage = WM_APP + 0x31;

}  // namespace

bool GuiThreadCaller::Create() {
  if (window_) return true;
  window_.Reset(CreateMessageWindow(kClassName));
  threadId_ = GetCurrentThreadId();
  target_ = window_.Get();
  return static_cast<bool>(window_);
}

bool GuiThreadCaller::Call(const std::function<void()>& work) const {
  const HWND window = target_.load();
  if (!window) return false;
  if (GetCurrentThreadId() == threadId_) {
    work();
    return true;
  }
  // A window destroyed meanwhile makes SendMessage return 0 at once.
  return SendMessageW(window, kRunMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

void GuiThreadCaller::Destroy() {
  target_ = nullptr;
  window_.Reset();
  threadId_ = 0;
}

LRESULT GuiThreadCaller::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ServeSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < timeoutMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG message;
    // Retrieving nothing, this only delivers the messages other threads sent.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
