#include "websearch/ScreenCapture.h"

#include <atomic>
#include <mutex>
#include <string>

#include "answerbank/LocalSearch.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/WindowDescription.h"
#include "app/WindowOptions.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"
#include "platform/GuiThreadCall.h"
#include "websearch/WebSearch.h"

namespace {

constexpr DWORD kBeforeSavingMs = 100;
constexpr DWORD kAfterCopyMs = 100;
constexpr WORD kControlKey = 17;
constexpr WORD kCopyLetterKey = 67;
// Closing waits this long at most for a capture to put the clipboard back.
constexpr DWORD kCloseWaitMs = 3000;

GuiThreadCaller& GuiThread() {
  static GuiThreadCaller caller;
  return caller;
}

// One capture at a time: a second one started meanwhile would save the first
// one's copied text as "the user's clipboard" and put that back.
std::mutex& CaptureTurn() {
  static std::mutex turn;
  return turn;
}

// Captures started and not yet finished, the one running and those waiting.
std::atomic<int> capturesRunning{0};

HWND ControlNamed(const char* name) { return MainWindow::Instance().Control(name); }

// The owner the clipboard is opened with; none once the window has gone.
HWND ClipboardOwner() {
  const HWND main = MainWindow::Instance().Handle();
  return IsWindow(main) ? main : nullptr;
}

void SimulateCopyKeys() {
  INPUT keys[4]{};
  const WORD order[4] = {kControlKey, kCopyLetterKey, kControlKey, kCopyLetterKey};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = order[i];
    keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));
}

// On the GUI thread: the captured text goes into the search box and is
// searched the way the radio buttons say.
void ShowCapturedText(const std::string& text) {
  MainWindow& main = MainWindow::Instance();
  SetWindowTextGbk(ControlNamed("编辑框1"), text);
  if (IsChecked(ControlNamed("单选框1"))) {
    main.SetCurrentPage(kLocalSearchPage);
    LocalSearch();
  }
  if (IsChecked(ControlNamed("单选框2"))) {
    main.SetCurrentPage(kIeBrowserPage);
    OnTabClicked();
  }
  // The WebKit page loads the query when the user clicks its tab.
  if (IsChecked(ControlNamed("单选框3"))) main.SetCurrentPage(kWebKitPage);
}

void RaiseAfterCapture() {
  if (IsChecked(ControlNamed("选择框1")) && Globals().captureArmed == 1) BringMainWindowToFront();
}

DWORD WINAPI CaptureThread(void*) {
  CaptureAndSearch();
  --capturesRunning;
  return 0;
}

}  // namespace

void InstallCaptureHook() {
  GuiThread().Create();
  Globals().captureHook.Reset(SetWindowsHookExW(WH_MOUSE_LL, CaptureHookProc, GetModuleHandleW(nullptr), 0));
}

void RemoveCaptureHook() {
  Globals().captureHook.Reset();
  ServeSentMessagesUntil([] { return capturesRunning.load() == 0; }, kCloseWaitMs);
  GuiThread().Destroy();
}

LRESULT CALLBACK CaptureHookProc(int code, WPARAM message, LPARAM info) {
  GlobalObjects& g = Globals();
  if (message == WM_LBUTTONDOWN) {
    POINT press{};
    GetCursorPos(&press);
    g.pressPoint = {press.x, press.y};
  } else if (message == WM_LBUTTONUP) {
    POINT release{};
    GetCursorPos(&release);
    const bool moved = release.x != g.pressPoint.x || release.y != g.pressPoint.y;
    if (moved && IsChecked(ControlNamed("选择框3")) && g.captureArmed == 1) {
      ++capturesRunning;
      KernelHandle thread(CreateThread(nullptr, 0, CaptureThread, nullptr, 0, nullptr));
      if (!thread) --capturesRunning;
    }
  }
  return CallNextHookEx(g.captureHook.Get(), code, message, info);
}

void CaptureAndSearch() {
  std::lock_guard<std::mutex> turn(CaptureTurn());
  Sleep(kBeforeSavingMs);

  const ClipboardSnapshot saved = ClipboardSnapshot::Take(ClipboardOwner());
  // Copying over a clipboard that could not be saved would lose it for good.
  if (!saved.Taken()) return;

  SimulateCopyKeys();
  Sleep(kAfterCopyMs);

  const std::string text = ReadClipboardTextGbk(ClipboardOwner());
  if (!text.empty()) GuiThread().Call([&text] { ShowCapturedText(text); });

  // Also when nothing was copied: the snapshot itself leaves an unchanged clipboard alone.
  saved.Restore(ClipboardOwner());

  // A capture waiting for its turn copies from the program the user dragged
  // in; raising this window now would send its copy keys here instead.
  const bool anotherWaiting = capturesRunning.load() > 1;
  if (!text.empty() && !anotherWaiting) GuiThread().Call(RaiseAfterCapture);
}

void OnCaptureToggled() { Globals().captureArmed = IsChecked(ControlNamed("选择框3")) ? 1 : 0; }
