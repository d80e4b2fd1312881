// Windows whose messages go to a C++ object, and the registration of their
// classes. The object travels with CreateWindowExW and is stored with the window
// at WM_NCCREATE, so it handles every message from then on; the link is cut at
// WM_NCDESTROY. (A window the program does not create, but subclasses, keeps its
// object in a window property instead: see the engine view.)
#pragma once
#include <windows.h>

#include "platform/NoMemory.h"

// How a window class looks; what is left empty is the system's default.
struct WindowClassLook {
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

// Registers a class of this program with the procedure. True also when the
// class is registered already: the second window of a kind, or a second test.
bool RegisterWindowClass(const wchar_t* className, WNDPROC procedure, const WindowClassLook& look = {});

// Derive as `class Thing : public BaseWindow<Thing>` (befriending BaseWindow<Thing>
// when the handler is private) and define
//   LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// which answers with DefWindowProcW for whatever it leaves alone.
template <typename T>
class BaseWindow {
 protected:
  // Registers the class on first use and creates a window of it with this
  // object behind it; null when either fails. The caller owns the window.
  HWND CreateObjectWindow(const wchar_t* className, const WindowClassLook& look, DWORD exStyle, const wchar_t* title,
                          DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu = nullptr) {
    if (!RegisterWindowClass(className, &BaseWindow::Procedure, look)) return nullptr;
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                           GetModuleHandleW(nullptr), static_cast<T*>(this));
  }

  // A message-only window, for messages posted or sent to this object.
  HWND CreateMessageWindow(const wchar_t* className) {
    return CreateObjectWindow(className, {}, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    // Messages that come before WM_NCCREATE (WM_GETMINMAXINFO) find no object.
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // A handler that runs out of memory ends there, answered with 0.
    LRESULT result = 0;
    RunReportingNoMemory([&] { result = self->HandleMessage(window, message, wParam, lParam); });
    return result;
  }
};
