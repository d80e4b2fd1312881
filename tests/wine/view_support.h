// Helpers for the tests of the engine view in a real host window: a host whose
// own procedure records what reaches it, the call log without the paint
// thread's polls or its repaints, pumping for a while, and the process's threads.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "engine_support.h"
#include "enginehost/EngineView.h"
#include "platform/Handles.h"
#include "test_window.h"

namespace view_test {

constexpr int kLeft = 60;
constexpr int kTop = 60;
constexpr int kWidth = 600;
constexpr int kHeight = 360;

// Messages that reached the host's own procedure, the one the view replaces.
inline std::vector<UINT>& Seen() {
  static std::vector<UINT> seen;
  return seen;
}

inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Seen().push_back(message);
  return DefWindowProcW(window, message, wParam, lParam);
}

inline bool WasSeen(UINT message) {
  for (UINT m : Seen()) {
    if (m == message) return true;
  }
  return false;
}

// One borderless top-level window for the whole test program, at (60, 60); the
// hosts are its children, as the program's shape box is a child of the main
// window. (Under Wine without a window manager, destroying a visible top-level
// window takes two seconds; a child goes at once.)
inline HWND Stage() {
  static OwnedWindow stage(MakeTestWindow(L"EngineViewStage", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                          kLeft, kTop, 1000, 400));
  return stage.Get();
}

// A 600 × 360 host at (x, y) of the stage, so that its client and screen points
// differ by exactly (60 + x, 60 + y).
inline OwnedWindow MakeHost(const wchar_t* className = L"EngineViewHost", int x = 0, int y = 0) {
  OwnedWindow window(MakeTestWindow(className, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, kWidth, kHeight,
                                    Stage(), RecordingProc));
  SetWindowPos(window.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  engine_test::Pump();
  return window;
}

// A top-level host at (60, 60), for what only top-level windows do.
inline OwnedWindow MakeTopLevelHost(const wchar_t* className) {
  OwnedWindow window(MakeTestWindow(className, WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                                    nullptr, RecordingProc));
  engine_test::Pump();
  return window;
}

inline WNDPROC ProcOf(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)); }

// The log without the paint thread's dirty polls, which come at any time.
inline std::wstring Calls(bool clear = true) {
  const std::wstring log = engine_test::CallLog(clear);
  std::wstring kept;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find(L'\n', start);
    if (end == std::wstring::npos) end = log.size();
    const std::wstring line = log.substr(start, end - start);
    if (line.rfind(L"wkeIsDirty(", 0) != 0) kept += line + L"\n";
    start = end + 1;
  }
  return kept;
}

// While one lives, the repaints that a paint thread asks this thread for are
// left out of the call log. The paint thread asks whenever the view changed,
// and this thread serves it whenever it handles messages, so a test that
// handles messages between the calls it compares would find a repaint's calls
// (wkeResize, wkePaint2, …) among them or not, as the paint thread's timing
// falls. Every other call stays, a repaint the test sends itself included; the
// paint thread's own polls are left to Calls().
class RepaintsSetAside {
 public:
  RepaintsSetAside() {
    if (Depth()++ > 0) return;  // the hooks of the outermost one serve
    before_.Reset(SetWindowsHookExW(WH_CALLWNDPROC, &Before, nullptr, GetCurrentThreadId()));
    after_.Reset(SetWindowsHookExW(WH_CALLWNDPROCRET, &After, nullptr, GetCurrentThreadId()));
    CHECK(before_ && after_);
  }
  ~RepaintsSetAside() { --Depth(); }
  RepaintsSetAside(const RepaintsSetAside&) = delete;
  RepaintsSetAside& operator=(const RepaintsSetAside&) = delete;

  // How many repaints were left out so far.
  static int& Count() {
    static int count = 0;
    return count;
  }

 private:
  static int& Depth() {
    static int depth = 0;
    return depth;
  }
  // For each repaint being handled, whether the paint thread sent it.
  static std::vector<bool>& Handling() {
    static std::vector<bool> handling;
    return handling;
  }
  static LRESULT CALLBACK Before(int code, WPARAM sentByThisThread, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_VIEW_REPAINT) {
      const bool fromPaintThread = sentByThisThread == 0;
      Handling().push_back(fromPaintThread);
      // What came before the repaint stays in the log.
      if (fromPaintThread) engine_test::HeldEntries() += engine_test::StandinLog(true);
    }
    return CallNextHookEx(nullptr, code, sentByThisThread, lParam);
  }
  static LRESULT CALLBACK After(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_VIEW_REPAINT && !Handling().empty()) {
      if (Handling().back()) {
        engine_test::StandinLog(true);  // the repaint's own calls
        ++Count();
      }
      Handling().pop_back();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  WindowsHook before_;
  WindowsHook after_;
};

// "#3" for the view the log's last wkeCreateWebView made.
inline std::wstring CreatedName(const std::wstring& log) {
  const std::wstring marker = L"wkeCreateWebView() -> ";
  const size_t at = log.rfind(marker);
  if (at == std::wstring::npos) return L"#none";
  const size_t start = at + marker.size();
  return log.substr(start, log.find(L'\n', start) - start);
}

// Handles messages (repaint requests of the paint thread included) for a while.
inline void PumpFor(DWORD milliseconds) { ::PumpFor(milliseconds, 1); }

inline std::set<DWORD> ThreadIds() {
  std::set<DWORD> ids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  const KernelHandle owner(snapshot);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  }
  return ids;
}

// Threads in `after` that were not in `before`.
inline std::vector<DWORD> NewThreads(const std::set<DWORD>& before, const std::set<DWORD>& after) {
  std::vector<DWORD> added;
  for (DWORD id : after) {
    if (!before.count(id)) added.push_back(id);
  }
  return added;
}

// Committed private pages that are executable and read-only: where the view's
// trampolines live, one page each.
inline int ExecutablePages() {
  int count = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
       at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE && info.Protect == PAGE_EXECUTE_READ) ++count;
    if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;
  }
  return count;
}

// The screen's pixel at a point of the host window, as 0x00RRGGBB.
inline uint32_t ScreenPixel(int x, int y, int left = kLeft, int top = kTop) {
  GdiFlush();
  const WindowDc screen(nullptr);
  const COLORREF colour = GetPixel(screen.Get(), left + x, top + y);
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

}  // namespace view_test
