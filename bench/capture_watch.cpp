// Watches the running program's search box and status line from outside and
// prints, as wall-clock seconds, when the search box first changed, when the
// status line first showed a finished search, and when the clipboard changed
// the first time (the capture's copy) and the second (the user's clipboard
// put back). The capture latency benchmark starts it just before it releases
// the mouse.
//
//   capture_watch.exe <search box id> <status label id> [timeout ms]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

double WallSeconds() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // 100 ns ticks since 1601; the Unix epoch is 11644473600 s later.
  return static_cast<double>(ticks) / 1e7 - 11644473600.0;
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[4096] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000, &copied);
  return std::wstring(buffer, copied);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: capture_watch <search box id> <status label id> [timeout ms]\n", stderr);
    return 2;
  }
  const int searchId = _wtoi(argv[1]);
  const int statusId = _wtoi(argv[2]);
  const DWORD timeoutMs = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 20000;
  const HWND main = FindWindowW(L"TavrelMainWindow", nullptr);
  if (!main) {
    std::puts("{\"error\": \"no main window\"}");
    return 1;
  }
  const HWND searchBox = GetDlgItem(main, searchId);
  const HWND status = GetDlgItem(main, statusId);
  const std::wstring before = TextOf(searchBox);
  std::printf("ready\n");
  std::fflush(stdout);

  double textAt = 0, reportAt = 0, copiedAt = 0, backAt = 0;
  DWORD clipboard = GetClipboardSequenceNumber();
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs && (reportAt == 0 || backAt == 0)) {
    if (textAt == 0 && TextOf(searchBox) != before) textAt = WallSeconds();
    // A finished search reports "搜索完毕…".
    if (textAt != 0 && reportAt == 0 && TextOf(status).rfind(L"\u641c\u7d22\u5b8c\u6bd5", 0) == 0) {
      reportAt = WallSeconds();
    }
    const DWORD now = GetClipboardSequenceNumber();
    if (now != clipboard) {
      clipboard = now;
      (copiedAt == 0 ? copiedAt : backAt) = WallSeconds();
    }
    Sleep(1);
  }
  std::printf("{\"text_at\": %.6f, \"report_at\": %.6f, \"copied_at\": %.6f, \"clipboard_back_at\": %.6f}\n",
              textAt, reportAt, copiedAt, backAt);
  return 0;
}
