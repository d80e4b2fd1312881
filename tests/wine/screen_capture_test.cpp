// Which drags start a screen word capture, driven by real mouse input through
// the system-wide hook: a drag over text in a window's client area copies it;
// a drag that starts on a title bar or a scroll bar, or any drag in a console
// window, captures nothing and sends no copy keys. The clipboard is the
// user's again before the text is handed on; a capture waits for another
// borrower of the clipboard or, past its patience, copies nothing; and the
// hook answers at once while the GUI thread is busy.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "check.h"
#include "clipboard_support.h"
#include "platform/ClipboardLoan.h"
#include "platform/Handles.h"
#include "test_window.h"
#include "websearch/CaptureTarget.h"
#include "websearch/ScreenCapture.h"

namespace {

// Wine leaves a window's title bar to the window manager unless told to draw
// it itself, and the test display has no window manager: without its own
// title bar a test window would have nothing to press on. Wine reads this
// per-program setting when the program first opens a window.
struct OwnTitleBars {
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\screen_capture_test.exe\\X11 Driver";
  OwnTitleBars() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == 0) {
      RegSetValueExW(key, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
      RegCloseKey(key);
    }
  }
  ~OwnTitleBars() { RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
} ownTitleBars;

// Key-downs of the copy shortcut's letter, whichever window they went to.
int copyKeys = 0;

LRESULT CALLBACK CountCopyKeys(int code, WPARAM message, LPARAM info) {
  if (code == HC_ACTION && message == WM_KEYDOWN && reinterpret_cast<KBDLLHOOKSTRUCT*>(info)->vkCode == 'C') {
    ++copyKeys;
  }
  return CallNextHookEx(nullptr, code, message, info);
}

// Mouse input as a user makes it, from a thread of its own, while this thread
// serves the hooks and the windows.
void Mouse(DWORD flags, POINT at) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
  input.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  Sleep(60);
}

struct DragPoints {
  POINT from;
  POINT to;
};

DWORD WINAPI DragThread(void* points) {
  const DragPoints drag = *static_cast<DragPoints*>(points);
  Mouse(0, drag.from);
  Mouse(MOUSEEVENTF_LEFTDOWN, drag.from);
  for (int step = 1; step <= 4; ++step) {
    Mouse(0, POINT{drag.from.x + (drag.to.x - drag.from.x) * step / 4, drag.from.y + (drag.to.y - drag.from.y) * step / 4});
  }
  Mouse(MOUSEEVENTF_LEFTUP, drag.to);
  return 0;
}

// Drags from `from` to `to` and lets a capture that started run to its end.
void Drag(POINT from, POINT to) {
  DragPoints points{from, to};
  KernelHandle thread(CreateThread(nullptr, 0, DragThread, &points, 0, nullptr));
  REQUIRE(static_cast<bool>(thread));
  const HANDLE handle = thread.Get();
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
  // The capture waits 100 ms, copies, waits 100 ms more.
  PumpFor(600, 5);
}


constexpr wchar_t kQuestion[] = L"capture this question";

struct Scene {
  std::string captured;
  // The clipboard's text when the captured text was handed on.
  std::string clipboardWhenHandedOn;
  // A window with a title bar and a scroll bar, its client area a text box.
  OwnedWindow textWindow{MakeTestWindow(L"CaptureTestText", 0, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, 60, 60,
                                        420, 260)};
  HWND edit = nullptr;
  // The Windows console's window class, registered by this test.
  OwnedWindow console{MakeTestWindow(L"ConsoleWindowClass", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 540, 60, 420, 260)};
  WindowsHook keys{SetWindowsHookExW(WH_KEYBOARD_LL, CountCopyKeys, GetModuleHandleW(nullptr), 0)};
  ScreenCapture capture;

  Scene()
      : capture(CaptureCallbacks{[this](const std::string& text) {
                                   captured = text;
                                   clipboardWhenHandedOn = ReadClipboardTextGbk(nullptr);
                                 },
                                 nullptr}) {
    capture.SetWanted(true);
    SetScrollRange(textWindow.Get(), SB_VERT, 0, 100, TRUE);
    RECT client{};
    GetClientRect(textWindow.Get(), &client);
    edit = CreateWindowExW(0, L"EDIT", kQuestion, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, client.right,
                           client.bottom, textWindow.Get(), nullptr, nullptr, nullptr);
    capture.Start();
    PumpFor(200, 5);
  }

  POINT ClientPoint(HWND window, int x, int y) const {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
  }

  // Copy keys sent and texts captured by one drag.
  std::pair<int, std::string> DragAndSee(POINT from, POINT to) {
    copyKeys = 0;
    captured.clear();
    Drag(from, to);
    return {copyKeys, captured};
  }
};

TEST(OnlyADragOverTextCaptures) {
  Scene scene;
  REQUIRE(scene.edit != nullptr);
  RECT frame{};
  GetWindowRect(scene.textWindow.Get(), &frame);
  RECT client{};
  GetClientRect(scene.textWindow.Get(), &client);
  const POINT clientTopLeft = scene.ClientPoint(scene.textWindow.Get(), 0, 0);
  const POINT clientBottomRight = scene.ClientPoint(scene.textWindow.Get(), client.right, client.bottom);

  // Over the text: copied, and the text handed on.
  const auto overText = scene.DragAndSee(scene.ClientPoint(scene.edit, 2, 8), scene.ClientPoint(scene.edit, 300, 8));
  REQUIRE_EQ(overText, (std::pair<int, std::string>{1, "capture this question"}));

  // The title bar, between the frame's top and the client area: a move.
  const POINT title{(frame.left + frame.right) / 2, (frame.top + clientTopLeft.y) / 2};
  CHECK(!PressMayStartCapture(title));
  CHECK_EQ(scene.DragAndSee(title, POINT{title.x + 40, title.y + 30}), (std::pair<int, std::string>{0, ""}));
  SetWindowPos(scene.textWindow.Get(), nullptr, frame.left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  // The scroll bar, right of the client area: a scroll.
  const POINT bar{(clientBottomRight.x + frame.right) / 2, (clientTopLeft.y + clientBottomRight.y) / 2};
  CHECK(!PressMayStartCapture(bar));
  CHECK_EQ(scene.DragAndSee(bar, POINT{bar.x, bar.y + 60}), (std::pair<int, std::string>{0, ""}));

  // Inside a console: Ctrl+C there would end the running job.
  CHECK(IsConsoleWindow(scene.console.Get()));
  const POINT inConsole = scene.ClientPoint(scene.console.Get(), 20, 20);
  CHECK(PressMayStartCapture(inConsole) == false);
  CHECK_EQ(scene.DragAndSee(inConsole, POINT{inConsole.x + 200, inConsole.y}), (std::pair<int, std::string>{0, ""}));

  // Over the text again: still captures.
  CHECK_EQ(scene.DragAndSee(scene.ClientPoint(scene.edit, 2, 8), scene.ClientPoint(scene.edit, 300, 8)),
           (std::pair<int, std::string>{1, "capture this question"}));
}

// Another part of the program borrowing the clipboard (an import) from
// another thread for `holdMs`; the constructor returns once it holds it.
class OtherBorrower {
 public:
  explicit OtherBorrower(DWORD holdMs) : holdMs_(holdMs), held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.Reset(CreateThread(nullptr, 0, &OtherBorrower::Run, this, 0, nullptr));
    WaitForSingleObject(held_.Get(), 5000);
  }
  ~OtherBorrower() {
    const HANDLE handle = thread_.Get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* b = static_cast<OtherBorrower*>(self);
    const ClipboardLoan loan = ClipboardLoan::Borrow(0);
    SetEvent(b->held_.Get());
    Sleep(b->holdMs_);
    return 0;
  }
  DWORD holdMs_;
  KernelHandle held_;
  KernelHandle thread_;
};

TEST(TheClipboardIsBackBeforeTheTextIsHandedOnAndBorrowersTakeTurns) {
  Scene scene;
  REQUIRE(scene.edit != nullptr);
  const POINT from = scene.ClientPoint(scene.edit, 2, 8);
  const POINT to = scene.ClientPoint(scene.edit, 300, 8);
  const std::pair<int, std::string> copiedTheQuestion{1, "capture this question"};
  const std::pair<int, std::string> copiedNothing{0, ""};
  REQUIRE(WriteClipboardTextGbk(scene.textWindow.Get(), "用户的剪贴板"));

  // Handed on with the user's clipboard already back.
  CHECK_EQ(scene.DragAndSee(from, to), copiedTheQuestion);
  CHECK_EQ(scene.clipboardWhenHandedOn, std::string("用户的剪贴板"));
  CHECK_EQ(ReadClipboardTextGbk(nullptr), std::string("用户的剪贴板"));

  // An import holding the clipboard past the capture's patience: no copy at
  // all, and the clipboard as it was.
  {
    OtherBorrower import(kClipboardPatienceMs + 1500);
    CHECK_EQ(scene.DragAndSee(from, to), copiedNothing);
  }
  CHECK_EQ(ReadClipboardTextGbk(nullptr), std::string("用户的剪贴板"));

  // Holding it for a moment only: the capture waits its turn, then copies.
  {
    OtherBorrower import(300);
    CHECK_EQ(scene.DragAndSee(from, to), copiedTheQuestion);
  }
  CHECK_EQ(scene.clipboardWhenHandedOn, std::string("用户的剪贴板"));
  CHECK_EQ(ReadClipboardTextGbk(nullptr), std::string("用户的剪贴板"));

  // A format too large to keep in memory: putting the clipboard back would
  // lose it, so nothing is copied, and the format is still there after.
  const UINT huge = RegisterClipboardFormatW(L"Tavrel Test Huge");
  {
    std::vector<char> bytes((std::size_t{70} << 20), 'h');
    ClipboardOpening clipboard(scene.textWindow.Get());
    REQUIRE(clipboard.IsOpen());
    EmptyClipboard();
    const std::wstring text = L"用户的大图";
    REQUIRE(PutClipboardBytes(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    REQUIRE(PutClipboardBytes(huge, bytes.data(), bytes.size()));
  }
  CHECK_EQ(scene.DragAndSee(from, to), copiedNothing);
  CHECK_EQ(ReadClipboardTextGbk(nullptr), std::string("用户的大图"));
  CHECK(IsClipboardFormatAvailable(huge));
  // Not left for the tests after this one.
  WriteClipboardTextGbk(scene.textWindow.Get(), "");
}

// Mouse moves as a user makes them, each timed from the call to its return:
// the input goes on only once every low-level hook has answered.
struct HookTimer {
  double longestMs = 0;
  int moves = 0;
  static DWORD WINAPI Run(void* self) {
    auto* t = static_cast<HookTimer*>(self);
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < 12; ++i) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dx = 20 + 3 * i;
      input.mi.dy = 20;
      input.mi.dwFlags = MOUSEEVENTF_MOVE;
      QueryPerformanceCounter(&before);
      SendInput(1, &input, sizeof input);
      QueryPerformanceCounter(&after);
      const double ms = 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
      if (ms > t->longestMs) t->longestMs = ms;
      ++t->moves;
      Sleep(100);
    }
    return 0;
  }
};

TEST(TheHookAnswersWhileTheGuiThreadIsBlocked) {
  ScreenCapture capture(CaptureCallbacks{});
  REQUIRE(capture.Start());
  PumpFor(100, 5);
  HookTimer timer;
  KernelHandle thread(CreateThread(nullptr, 0, &HookTimer::Run, &timer, 0, nullptr));
  REQUIRE(static_cast<bool>(thread));
  // The GUI thread busy as with a first search on a large bank: no message
  // is processed for two seconds.
  Sleep(2000);
  const HANDLE handle = thread.Get();
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
  std::printf("    %d mouse moves while the GUI thread was blocked for 2 s: the hook answered each within %.1f ms\n",
              timer.moves, timer.longestMs);
  CHECK_EQ(timer.moves, 12);
  CHECK(timer.longestMs < 1000);
  capture.Stop();
}

TEST(ConsolesAreKnownByTheirOwnClassOrTheirTopLevelWindowsClass) {
  for (const wchar_t* name : {L"ConsoleWindowClass", L"CASCADIA_HOSTING_WINDOW_CLASS", L"mintty",
                              L"VirtualConsoleClass", L"PuTTY", L"WineConsoleClass"}) {
    OwnedWindow top(MakeTestWindow(name, 0, WS_POPUP, 0, 0, 50, 50));
    OwnedWindow inside(MakeTestWindow(L"CaptureTestInside", 0, WS_CHILD, 0, 0, 10, 10, top.Get()));
    CHECK(IsConsoleWindow(top.Get()));
    CHECK(IsConsoleWindow(inside.Get()));
  }
  OwnedWindow ordinary(MakeTestWindow(L"CaptureTestOrdinary", 0, WS_POPUP, 0, 0, 50, 50));
  CHECK(!IsConsoleWindow(ordinary.Get()));
}

}  // namespace

CHECK_MAIN()
