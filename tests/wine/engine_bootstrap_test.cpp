// The engine's start and stop with the main window, without the main window: the
// GUI thread's message hook and its early Tab key-downs, the program's
// new-window handler, and what StopEngine leaves behind.
#include <string>

#include "app/EngineBootstrap.h"
#include "app/Globals.h"
#include "check.h"
#include "engine_support.h"
#include "view_support.h"

namespace {

using engine_test::ClearLog;
using view_test::Calls;
using view_test::CreatedName;

void EnsureGlobals() {
  static const bool done = (GlobalInit(), true);
  (void)done;
}

// Key-downs that reached the window, as (key, how many).
int tabDowns = 0;
int otherDowns = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) ++(wParam == VK_TAB ? tabDowns : otherDowns);
  return DefWindowProcW(window, message, wParam, lParam);
}

OwnedWindow KeyWindow() {
  return OwnedWindow(MakeTestWindow(L"BootstrapKeys", 0, WS_POPUP, 0, 0, 50, 50, nullptr, CountingProc));
}

// Takes every message out of the queue the ordinary way.
void Drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ResetCounts() {
  Drain();
  tabDowns = 0;
  otherDowns = 0;
}

TEST(InstallingTheHookTwiceInstallsOneHook) {
  EnsureGlobals();
  CHECK(!Globals().messageHook);
  CHECK(InstallMessageHook());
  const HHOOK first = Globals().messageHook.Get();
  CHECK(first != nullptr);
  CHECK(InstallMessageHook());
  CHECK(Globals().messageHook.Get() == first);
}

// How often a log holds `call`.
int Occurrences(const std::wstring& log, const std::wstring& call) {
  int found = 0;
  for (size_t at = log.find(call); at != std::wstring::npos; at = log.find(call, at + 1)) ++found;
  return found;
}

TEST(ATabKeyDownForTheViewIsHandledOnceByTheHook) {
  EnsureGlobals();
  wkeInitialize();
  InstallMessageHook();
  OwnedWindow host = view_test::MakeHost(L"BootstrapHost");
  EngineView& view = Globals().engineView;
  REQUIRE(view.Create(host.Get()));
  const std::wstring name = CreatedName(Calls());
  const view_test::RepaintsSetAside repaints;
  Drain();
  ClearLog();
  PostMessageW(host.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  // Taken out of the queue and not dispatched here: the hook has dispatched it,
  // and what the loop gets in its place does nothing.
  MSG taken{};
  REQUIRE(PeekMessageW(&taken, host.Get(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  CHECK_EQ(taken.message, UINT{WM_NULL});
  CHECK_EQ(Occurrences(Calls(false), L"wkeFireKeyDownEvent(" + name + L", 9,"), 1);
  // The whole way, as the loops of the program take it: one key-down, one Tab character.
  PostMessageW(host.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  Drain();
  const std::wstring log = Calls();
  CHECK_EQ(Occurrences(log, L"wkeFireKeyDownEvent(" + name + L", 9,"), 2);
  CHECK_EQ(Occurrences(log, L"wkeFireKeyPressEvent(" + name + L", 9,"), 2);
  view.Destroy();
}

TEST(ATabKeyDownForAnyOtherWindowIsLeftToTheLoop) {
  EnsureGlobals();
  InstallMessageHook();
  OwnedWindow window = KeyWindow();
  ResetCounts();
  PostMessageW(window.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  MSG taken{};
  REQUIRE(PeekMessageW(&taken, window.Get(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  CHECK_EQ(taken.message, UINT{WM_KEYDOWN});
  CHECK_EQ(tabDowns, 0);
  PostMessageW(window.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  Drain();
  CHECK_EQ(tabDowns, 1);
  CHECK_EQ(otherDowns, 0);
}

TEST(OtherKeysAndTabKeyUpsPassUntouched) {
  EnsureGlobals();
  InstallMessageHook();
  OwnedWindow window = KeyWindow();
  ResetCounts();
  PostMessageW(window.Get(), WM_KEYDOWN, 'A', 0x001E0001);
  PostMessageW(window.Get(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(window.Get(), WM_KEYUP, VK_TAB, 0xC00F0001);
  Drain();
  CHECK_EQ(otherDowns, 2);
  CHECK_EQ(tabDowns, 0);
}

TEST(ATabKeyDownOnlyPeekedAtIsNotTouched) {
  EnsureGlobals();
  InstallMessageHook();
  OwnedWindow window = KeyWindow();
  ResetCounts();
  PostMessageW(window.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  MSG peeked;
  CHECK(PeekMessageW(&peeked, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  CHECK(PeekMessageW(&peeked, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  CHECK_EQ(tabDowns, 0);
  // Taken out at last, and handled once.
  Drain();
  CHECK_EQ(tabDowns, 1);
}

TEST(TheNewWindowHandlerAnswersTheProgramsOwnView) {
  EnsureGlobals();
  wkeInitialize();
  OwnedWindow host = view_test::MakeHost(L"BootstrapHost");
  EngineView& view = Globals().engineView;
  CHECK(NewWindowHandler(0, "https://a.example/", "_blank", 0, 0, 0, 0, 0) == nullptr);
  ClearLog();
  CHECK(view.Create(host.Get()));
  view.OnCreateView(NewWindowHandler);
  const std::wstring name = CreatedName(Calls());
  CHECK(NewWindowHandler(1, "https://a.example/", "frame", 10, 20, 300, 200, 127) == view.GetWebView());

  // A page asking for a new window, by a link and by a script, stays in the view.
  SendMessageW(host.Get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 360));
  view.LoadHTML("<a href=\"https://example.com/链接\" target=\"_blank\">link</a>");
  SendMessageW(host.Get(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 56));
  SendMessageW(host.Get(), WM_LBUTTONUP, 0, MAKELPARAM(20, 56));
  CHECK_EQ(view.GetTitle(), std::string("https://example.com/链接"));
  view.RunJS("window.open('https://example.com/脚本', 'other', 'width=300,height=200')");
  CHECK_EQ(view.GetTitle(), std::string("https://example.com/脚本"));
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"> createView(" + name + L", \"https://example.com/链接\", \"_blank\") -> " + name);
  CHECK_LOG_HAS(log, L"> createView(" + name + L", \"https://example.com/脚本\", \"other\") -> " + name);
  CHECK_LOG_LACKS(log, L"wkeCreateWebView");
  view.Destroy();
}

TEST(StopEngineDestroysTheViewRemovesTheHookAndFinalises) {
  EnsureGlobals();
  wkeInitialize();
  InstallMessageHook();
  OwnedWindow host = view_test::MakeHost(L"BootstrapHost");
  const WNDPROC own = view_test::ProcOf(host.Get());
  EngineView& view = Globals().engineView;
  ClearLog();
  CHECK(view.Create(host.Get()));
  const std::wstring name = CreatedName(Calls());
  StopEngine();
  const std::wstring log = Calls();
  const size_t destroyed = log.find(L"wkeDestroyWebView(" + name + L")");
  const size_t finalised = log.find(L"wkeFinalize()");
  CHECK(destroyed != std::wstring::npos);
  CHECK(finalised != std::wstring::npos);
  CHECK(destroyed < finalised);
  CHECK(!Globals().messageHook);
  CHECK(view.GetWebView() == nullptr);
  CHECK(view_test::ProcOf(host.Get()) == own);
  // Without the hook a Tab key-down is handled once, by the loop.
  OwnedWindow window = KeyWindow();
  ResetCounts();
  PostMessageW(window.Get(), WM_KEYDOWN, VK_TAB, 0x000F0001);
  Drain();
  CHECK_EQ(tabDowns, 1);
  // A second stop (no hook recorded) still finalises and calls nothing else.
  StopEngine();
  CHECK_EQ(Calls(), std::wstring(L"wkeFinalize()\n"));
}

}  // namespace

CHECK_MAIN()
