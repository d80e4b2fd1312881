#include "platform/BaseWindow.h"

bool RegisterWindowClass(const wchar_t* className, WNDPROC procedure, const WindowClassLook& look) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = look.cursor;
  cls.hbrBackground = look.background;
  cls.hIcon = look.icon;
  cls.hIconSm = look.smallIcon;
  cls.lpszClassName = className;
  return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
