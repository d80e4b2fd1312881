#include "app/EngineBootstrap.h"

#include "app/ControlNames.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "enginehost/EngineView.h"
#include "enginehost/WkeApi.h"

void StartEngine() {
  wkeInitialize();
  InstallMessageHook();
  // The engine library is single-threaded and not safe across processors: the program stays on one from here on.
  SetProcessAffinityMask(GetCurrentProcess(), 1);
  EngineView& view = Globals().engineView;
  view.Create(ControlNamed(ctl::kWebKitBox));
  view.OnCreateView(NewWindowHandler);
}

bool InstallMessageHook() {
  WindowsHook& hook = Globals().messageHook;
  if (hook) return true;
  hook.Reset(SetWindowsHookExW(WH_GETMESSAGE, MessageHookProc, nullptr, GetCurrentThreadId()));
  return static_cast<bool>(hook);
}

LRESULT CALLBACK MessageHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && wParam == PM_REMOVE && lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    const HWND host = Globals().engineView.GetHostWindow();
    if (message->message == WM_KEYDOWN && message->wParam == VK_TAB && host && message->hwnd == host) {
      TranslateMessage(message);
      DispatchMessageW(message);
      // Handled: what the thread's own loop receives instead does nothing, so
      // one key press is never handled twice.
      message->message = WM_NULL;
    }
  }
  return CallNextHookEx(Globals().messageHook.Get(), code, wParam, lParam);
}

void StopEngine() {
  Globals().engineView.Destroy();
  Globals().messageHook.Reset();
  wkeFinalize();
}

WkeView __stdcall NewWindowHandler(int, const char*, const char*, int, int, int, int, int) {
  return Globals().engineView.GetWebView();
}
