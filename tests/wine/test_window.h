// Plain windows for the Wine tests, each of a class of its own that is
// registered on first use (registering it again fails harmlessly).
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
