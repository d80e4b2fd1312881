#include "websearch/CaptureTarget.h"

#include <wchar.h>

namespace {

// The hook that asks must return quickly, or the system skips it and, after a
// few such delays, removes it.
constexpr UINT kHitTestWaitMs = 50;

bool ClassIsOneOf(HWND window, const wchar_t* const* names) {
  wchar_t name[64] = {};
  if (!window || GetClassNameW(window, name, 64) == 0) return false;
  for (; *names; ++names) {
    if (_wcsicmp(name, *names) == 0) return true;
  }
  return false;
}

}  // namespace

bool IsConsoleWindow(HWND window) {
  static const wchar_t* const kConsoles[] = {
      L"ConsoleWindowClass",             // the Windows console
      L"CASCADIA_HOSTING_WINDOW_CLASS",  // Windows Terminal
      L"mintty",                         // Git Bash, Cygwin, MSYS2
      L"VirtualConsoleClass",            // ConEmu
      L"PuTTY",                          // Ctrl+C goes to the remote shell
      L"WineConsoleClass",               // Wine's console
      nullptr,
  };
  return ClassIsOneOf(window, kConsoles) || ClassIsOneOf(GetAncestor(window, GA_ROOT), kConsoles);
}

bool PressMayStartCapture(POINT screenPoint) {
  const HWND under = WindowFromPoint(screenPoint);
  if (!under || IsConsoleWindow(under)) return false;
  // A scroll bar control answers "client" for all of itself.
  static const wchar_t* const kScrollBar[] = {L"ScrollBar", nullptr};
  if (ClassIsOneOf(under, kScrollBar)) return false;
  DWORD_PTR hit = HTNOWHERE;
  const LPARAM point = MAKELPARAM(static_cast<WORD>(screenPoint.x), static_cast<WORD>(screenPoint.y));
  if (!SendMessageTimeoutW(under, WM_NCHITTEST, 0, point, SMTO_ABORTIFHUNG | SMTO_BLOCK, kHitTestWaitMs, &hit)) {
    return false;
  }
  return hit == HTCLIENT;
}
