// The yardstick for the idle CPU of the program: a bare Win32 program that runs
// the same two 10 ms loops and nothing else. A visible window with a 10 ms timer
// whose ticks do nothing, and a second thread that, like the view's paint
// thread, takes any message from its queue and otherwise sleeps 10 ms. Runs
// until its window is closed or it is ended.
#include <windows.h>

namespace {

DWORD WINAPI SleepingLoop(void*) {
  MSG message{};
  while (message.message != WM_QUIT) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) continue;
    Sleep(10);
  }
  return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  cls.lpszClassName = L"TwoLoops";
  RegisterClassExW(&cls);
  const HWND window = CreateWindowExW(0, L"TwoLoops", L"two loops", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 612,
                                      414, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  SetTimer(window, 1, 10, nullptr);
  const HANDLE thread = CreateThread(nullptr, 0, SleepingLoop, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
