// Plain windows for the Wine tests, each of a class of its own that is
// registered on first use (registering it again fails harmlessly), and the
// message pumps that serve them.
#pragma once
#include <windows.h>

inline HWND MakeTestWindow(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int width, int height,
                           HWND parent = nullptr, WNDPROC procedure = DefWindowProcW) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = className;
  RegisterClassExW(&cls);
  return CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent, nullptr, cls.hInstance,
                         nullptr);
}

// Handles every message waiting for this thread.
inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Handles messages for a while, napping `nap` ms between rounds.
inline void PumpFor(DWORD milliseconds, DWORD nap) {
  const DWORD start = GetTickCount();
  do {
    Pump();
    Sleep(nap);
  } while (GetTickCount() - start < milliseconds);
}
