// The engine view in a real host window against the stand-in engine: creation
// and subclassing, every case of the window procedure, destruction, and the
// paint thread that has changed pictures drawn on the GUI thread.
#include <windows.h>
#include <imm.h>

#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "enginehost/EngineView.h"
#include "view_support.h"

namespace {

using engine_test::ClearLog;
using view_test::Calls;
using view_test::CreatedName;
using view_test::kHeight;
using view_test::kLeft;
using view_test::kTop;
using view_test::kWidth;
using view_test::ProcOf;
using view_test::PumpFor;
using view_test::RepaintsSetAside;
using view_test::Seen;
using view_test::WasSeen;

constexpr uint32_t kHeaderColour = 0x284678;  // the stand-in's title band

void InitialiseEngine() {
  static const bool done = (wkeInitialize(), true);
  (void)done;
}

// A created view in a fresh host; the log is cleared afterwards and `name` is
// the view's name in the log.
struct LiveView {
  explicit LiveView(int rendererKind = 0, bool transparent = false, const wchar_t* className = L"EngineViewHost") {
    InitialiseEngine();
    host = view_test::MakeHost(className);
    ClearLog();
    created = view.Create(host.Get(), rendererKind, transparent);
    name = CreatedName(Calls());
    Seen().clear();
  }
  OwnedWindow host;
  EngineView view;  // destroyed before its host
  bool created = false;
  std::wstring name;
};

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(window, message, wParam, lParam);
}

LPARAM Point(int x, int y) { return static_cast<LPARAM>(static_cast<uint32_t>(MAKELONG(x, y))); }

TEST(CreateSubclassesTheHostAndNamesItselfInAProperty) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  const WNDPROC own = ProcOf(host.Get());
  EngineView view;
  CHECK(view.GetWebView() == nullptr);
  ClearLog();
  CHECK(view.Create(host.Get()));
  const std::wstring log = Calls();
  const std::wstring name = CreatedName(log);
  CHECK_LOG_HAS(log, L"wkeSetHostWindow(" + name + L", " + engine_test::Hex(host.Get()) + L")");
  CHECK_LOG_HAS(log, L"wkeSetTransparent(" + name + L", false)");
  CHECK_LOG_LACKS(log, L"wkeOnPaintUpdated");
  CHECK(view.GetWebView() != nullptr);
  CHECK(view.GetHostWindow() == host.Get());
  CHECK(ProcOf(host.Get()) == &EngineView::HostWindowProc);
  CHECK(GetPropA(host.Get(), "wkeEThis") == &view);
  CHECK(IsWindowUnicode(host.Get()));
  view.Destroy();
  CHECK(ProcOf(host.Get()) == own);
  CHECK(view.GetWebView() == nullptr);
  CHECK(view.GetHostWindow() == nullptr);
}

TEST(ASecondCreateWhileLiveChangesNothing) {
  LiveView live;
  CHECK(live.created);
  const WkeView first = live.view.GetWebView();
  OwnedWindow other = view_test::MakeHost(L"EngineViewOtherHost", 40, 20);
  const WNDPROC otherProc = ProcOf(other.Get());
  const LONG_PTR otherExStyle = GetWindowLongPtrW(other.Get(), GWL_EXSTYLE);
  PumpFor(30);  // the focus moved to the new window: the engine heard of it
  ClearLog();
  CHECK(live.view.Create(other.Get(), 1, true));
  CHECK_EQ(Calls(), std::wstring());
  CHECK(live.view.GetWebView() == first);
  CHECK(live.view.GetHostWindow() == live.host.Get());
  CHECK(ProcOf(other.Get()) == otherProc);
  CHECK_EQ(GetWindowLongPtrW(other.Get(), GWL_EXSTYLE), otherExStyle);
  CHECK(GetPropA(other.Get(), "wkeEThis") == nullptr);
}

TEST(CreateOnANonWindowBuildsNothing) {
  InitialiseEngine();
  EngineView view;
  const int pagesBefore = view_test::ExecutablePages();
  ClearLog();
  CHECK(!view.Create(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0))));
  CHECK(!view.Create(nullptr));
  CHECK_EQ(Calls(), std::wstring());
  CHECK_EQ(view_test::ExecutablePages(), pagesBefore);
  CHECK(view.GetWebView() == nullptr);
  CHECK(view.GetHostWindow() == nullptr);
}

TEST(TrampolinesLiveFromCreateToDestroy) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  EngineView view;
  const int before = view_test::ExecutablePages();
  view.Create(host.Get());
  CHECK_EQ(view_test::ExecutablePages(), before + 11);
  view.Destroy();
  CHECK_EQ(view_test::ExecutablePages(), before);
  // Created again, the view builds them again.
  CHECK(view.Create(host.Get()));
  CHECK_EQ(view_test::ExecutablePages(), before + 11);
}

TEST(DestroyTwiceTheSecondCallsNoEngine) {
  LiveView live;
  const WNDPROC own = reinterpret_cast<WNDPROC>(&view_test::RecordingProc);
  live.view.Destroy();
  const std::wstring first = Calls();
  CHECK_LOG_HAS(first, L"wkeDestroyWebView(" + live.name + L")");
  CHECK(ProcOf(live.host.Get()) == own);
  live.view.Destroy();
  CHECK_EQ(Calls(), std::wstring());
  CHECK(ProcOf(live.host.Get()) == own);
  // The property stays, but the host's own procedure is back: a message reaches it.
  Send(live.host.Get(), WM_KEYDOWN, 'A', 0);
  CHECK(WasSeen(WM_KEYDOWN));
}

TEST(WithoutAnEngineViewTheHostKeepsItsProcedure) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  const WNDPROC own = ProcOf(host.Get());
  // An engine that is not initialised makes no view.
  wkeFinalize();
  EngineView view;
  ClearLog();
  CHECK(!view.Create(host.Get()));
  CHECK_LOG_HAS(Calls(), L"> not initialised: no view");
  CHECK(view.GetWebView() == nullptr);
  CHECK(view.GetHostWindow() == host.Get());
  CHECK(ProcOf(host.Get()) == own);
  view.Destroy();
  CHECK(ProcOf(host.Get()) == own);
  Seen().clear();
  Send(host.Get(), WM_USER + 5, 0, 0);
  CHECK(WasSeen(WM_USER + 5));
  wkeInitialize();
  // And it can still be created once the engine gives views.
  CHECK(view.Create(host.Get()));
  CHECK(view.GetWebView() != nullptr);
}

TEST(PaintOnlyMarksTheViewDirty) {
  LiveView live;
  const RepaintsSetAside repaints;
  InvalidateRect(live.host.Get(), nullptr, FALSE);
  UpdateWindow(live.host.Get());  // WM_PAINT, sent right here
  const std::wstring log = Calls();
  CHECK_EQ(log, L"wkeSetDirty(" + live.name + L", true)\n");
  CHECK(!WasSeen(WM_PAINT));
  RECT update{};
  CHECK(!GetUpdateRect(live.host.Get(), &update, FALSE));  // validated without drawing
}

TEST(SizeResizesTheEngineViewUnsignedWidthSignedHeight) {
  LiveView live;
  const RepaintsSetAside repaints;
  Send(live.host.Get(), WM_SIZE, SIZE_RESTORED, Point(300, 200));
  CHECK_EQ(Calls(), L"wkeResize(" + live.name + L", 300, 200)\n");
  Send(live.host.Get(), WM_SIZE, SIZE_RESTORED, static_cast<LPARAM>(0xFFFEFFFDu));
  CHECK_EQ(Calls(), L"wkeResize(" + live.name + L", 65533, -2)\n");
  CHECK(!WasSeen(WM_SIZE));
}

TEST(ARepaintDrawsAtTheClientSizeWhateverTheLastSizeMessageSaid) {
  LiveView live;
  live.view.LoadHTML("<title>size</title>");
  // Sizes that are not the client area's (600 × 360): the engine paints at the
  // client size, so the renderer's picture must have that size too.
  for (const LPARAM size : {Point(300, 200), static_cast<LPARAM>(0xFFFE0010u), Point(1, 1)}) {
    Send(live.host.Get(), WM_SIZE, SIZE_RESTORED, size);
    wkeSetDirty(live.view.GetWebView(), true);
    ClearLog();
    Send(live.host.Get(), WM_VIEW_REPAINT, 0, 0);
    const std::wstring log = Calls();
    CHECK_LOG_HAS(log, L"wkeResize(" + live.name + L", 600, 360)");
    CHECK_LOG_HAS(log, L"wkePaint2(" + live.name);
    PumpFor(20);  // what was drawn reaches the screen
    CHECK_EQ(view_test::ScreenPixel(590, 10), kHeaderColour);
    CHECK_EQ(view_test::ScreenPixel(590, 330), 0xFFFACDu);  // the trace band at the bottom
  }
}

TEST(KeyFlagsCarryTheRepeatAndExtendedBits) {
  LiveView live;
  const RepaintsSetAside repaints;
  const HWND host = live.host.Get();
  Send(host, WM_KEYDOWN, VK_DELETE, 0x01530001);  // extended
  Send(host, WM_KEYDOWN, VK_DELETE, 0x41530001);  // extended, repeated
  Send(host, WM_KEYDOWN, 'A', 0x401E0001);        // repeated
  Send(host, WM_KEYUP, 'A', 0xC01E0001);          // the up transition has the previous-state bit
  Send(host, WM_KEYUP, VK_LEFT, 0x814B0001);      // extended, the high bits dropped
  Send(host, WM_CHAR, 'a', 0x001E0001);
  const std::wstring& n = live.name;
  CHECK_EQ(Calls(), L"wkeFireKeyDownEvent(" + n + L", 46, 0x0100, false) -> true\n" +
                        L"wkeFireKeyDownEvent(" + n + L", 46, 0x4100, false) -> true\n" +
                        L"wkeFireKeyDownEvent(" + n + L", 65, 0x4000, false) -> false\n" +
                        L"wkeFireKeyUpEvent(" + n + L", 65, 0x4000, false) -> false\n" +
                        L"wkeFireKeyUpEvent(" + n + L", 37, 0x0100, false) -> true\n" +
                        L"wkeFireKeyPressEvent(" + n + L", 97, 0x0000, false) -> true\n");
}

TEST(KeysTheEngineDoesNotTakeReachThePreviousProcedure) {
  LiveView live;
  const HWND host = live.host.Get();
  // The stand-in takes editing keys and printable characters, nothing else.
  CHECK_EQ(Send(host, WM_KEYDOWN, VK_BACK, 0x000E0001), 0);
  CHECK_EQ(Send(host, WM_CHAR, 'x', 0x002D0001), 0);
  CHECK_EQ(Seen().size(), 0u);
  Send(host, WM_KEYDOWN, VK_F5, 0x003F0001);
  Send(host, WM_KEYUP, VK_F5, 0xC03F0001);
  Send(host, WM_CHAR, 0x1B, 0x00010001);  // Escape's character
  CHECK_EQ(Seen().size(), 3u);
  CHECK(WasSeen(WM_KEYDOWN));
  CHECK(WasSeen(WM_KEYUP));
  CHECK(WasSeen(WM_CHAR));
  // Neither focus nor painting nor the input method nor the view's own repaint.
  Seen().clear();
  Send(host, WM_SETFOCUS, 0, 0);
  Send(host, WM_KILLFOCUS, 0, 0);
  Send(host, WM_SIZE, 0, Point(600, 360));
  Send(host, WM_IME_STARTCOMPOSITION, 0, 0);
  Send(host, WM_VIEW_REPAINT, 0, 0);
  InvalidateRect(host, nullptr, FALSE);
  UpdateWindow(host);
  for (const UINT message :
       {UINT(WM_SETFOCUS), UINT(WM_KILLFOCUS), UINT(WM_SIZE), UINT(WM_IME_STARTCOMPOSITION), WM_VIEW_REPAINT,
        UINT(WM_PAINT)}) {
    if (WasSeen(message)) check::Fail(__FILE__, __LINE__, "the host's own procedure saw " + check::Show(message));
  }
  // Any other message is not the view's.
  CHECK_EQ(Send(host, WM_USER + 77, 0, 0), 0);
  CHECK(WasSeen(WM_USER + 77));
}

TEST(ACharacterArrivesAsOneUtf16Unit) {
  LiveView live;
  const RepaintsSetAside repaints;
  // Through the queue as a typed character would come: the view's procedure is
  // a Unicode one, so 中 stays one unit whatever the code page.
  const int before = RepaintsSetAside::Count();
  PostMessageW(live.host.Get(), WM_CHAR, 0x4E2D, 0x00010001);
  // The character changes the picture, and the paint thread's repaint is served
  // while messages are handled here, among the calls compared.
  for (int waited = 0; waited < 2000 && RepaintsSetAside::Count() == before; waited += 10) PumpFor(10);
  CHECK(RepaintsSetAside::Count() > before);
  SendMessageA(live.host.Get(), WM_CHAR, 'q', 0x00100001);
  CHECK_EQ(Calls(), L"wkeFireKeyPressEvent(" + live.name + L", 20013, 0x0000, false) -> true\n" +
                        L"wkeFireKeyPressEvent(" + live.name + L", 113, 0x0000, false) -> true\n");
}

// A window to hold the focus meanwhile; its messages are not recorded.
OwnedWindow Elsewhere() {
  OwnedWindow window(
      MakeTestWindow(L"EngineViewElsewhere", 0, WS_CHILD | WS_VISIBLE, 700, 0, 100, 100, view_test::Stage()));
  engine_test::Pump();
  return window;
}

bool MouseMessageSeen() {
  for (UINT m : Seen()) {
    if (m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK) return true;
  }
  return false;
}

TEST(ButtonsFocusAndCaptureAndTheReleaseFreesTheCapture) {
  LiveView live;
  const HWND host = live.host.Get();
  for (const UINT down : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    OwnedWindow elsewhere = Elsewhere();
    SetFocus(elsewhere.Get());
    ReleaseCapture();
    CHECK(GetFocus() == elsewhere.Get());
    Send(host, down, 0, Point(10, 20));
    CHECK_EQ(GetFocus(), host);
    CHECK_EQ(GetCapture(), host);
    Send(host, down + 1, 0, Point(10, 20));
    CHECK(GetCapture() == nullptr);
    CHECK_EQ(GetFocus(), host);
  }
  // Moves and double-clicks change neither.
  OwnedWindow elsewhere = Elsewhere();
  SetFocus(elsewhere.Get());
  for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) {
    Send(host, message, 0, Point(5, 5));
    CHECK(GetCapture() == nullptr);
    CHECK(GetFocus() == elsewhere.Get());
  }
  // The engine took every one of them.
  CHECK(!MouseMessageSeen());
}

TEST(MouseFlagsAndPointsReachTheEngine) {
  LiveView live;
  const HWND host = live.host.Get();
  Send(host, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, Point(10, 20));
  Send(host, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT | MK_MBUTTON | MK_RBUTTON | MK_XBUTTON1, Point(11, 21));
  // Left of and above the window during capture: x unsigned, y signed.
  Send(host, WM_MOUSEMOVE, MK_LBUTTON, Point(-5, -7));
  Send(host, WM_LBUTTONUP, 0, Point(-5, -7));
  Send(host, WM_RBUTTONDBLCLK, MK_RBUTTON, Point(599, 359));
  const std::wstring& n = live.name;
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkeFireMouseEvent(" + n + L", 0x0201, 10, 20, 0x0009)\n");
  CHECK_LOG_HAS(log, L"wkeFireMouseEvent(" + n + L", 0x0200, 11, 21, 0x0017)\n");
  CHECK_LOG_HAS(log, L"wkeFireMouseEvent(" + n + L", 0x0200, 65531, -7, 0x0001)\n");
  CHECK_LOG_HAS(log, L"wkeFireMouseEvent(" + n + L", 0x0202, 65531, -7, 0x0000)\n");
  CHECK_LOG_HAS(log, L"wkeFireMouseEvent(" + n + L", 0x0206, 599, 359, 0x0002)\n");
  ReleaseCapture();
}

TEST(ContextMenuFromTheKeyboardStaysUnconvertedFromTheMouseBecomesClient) {
  LiveView live;
  const RepaintsSetAside repaints;
  const HWND host = live.host.Get();
  Send(host, WM_CONTEXTMENU, 0x0005, -1);
  Send(host, WM_CONTEXTMENU, 0x0003, Point(kLeft + 30, kTop + 40));
  const std::wstring& n = live.name;
  CHECK_EQ(Calls(), L"wkeFireContextMenuEvent(" + n + L", 65535, -1, 0x0005)\n" +
                        L"wkeFireContextMenuEvent(" + n + L", 30, 40, 0x0003)\n");
  CHECK_EQ(Seen().size(), 0u);
}

TEST(TheWheelPointBecomesClientAndTheDeltaIsSigned) {
  LiveView live;
  const RepaintsSetAside repaints;
  const HWND host = live.host.Get();
  Send(host, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-120)), Point(kLeft + 50, kTop + 60));
  Send(host, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL | MK_LBUTTON, 240), Point(kLeft - 10, kTop + 5));
  const std::wstring& n = live.name;
  CHECK_EQ(Calls(), L"wkeFireMouseWheelEvent(" + n + L", 50, 60, -120, 0x0004)\n" +
                        L"wkeFireMouseWheelEvent(" + n + L", -10, 5, 240, 0x0009)\n");
}

TEST(FocusReachesTheEngine) {
  LiveView live;
  const RepaintsSetAside repaints;
  Send(live.host.Get(), WM_SETFOCUS, 0, 0);
  Send(live.host.Get(), WM_KILLFOCUS, 0, 0);
  CHECK_EQ(Calls(), L"wkeSetFocus(" + live.name + L")\nwkeKillFocus(" + live.name + L")\n");
}

TEST(TheCandidateWindowGoesUnderTheCaret) {
  LiveView live;
  const RepaintsSetAside repaints;
  const HWND host = live.host.Get();
  Send(host, WM_CHAR, L'中', 1);
  Send(host, WM_CHAR, L'文', 1);
  const WkeRect caret = wkeGetCaretRect(live.view.GetWebView());
  CHECK(caret.height > 0);
  ClearLog();
  CHECK_EQ(Send(host, WM_IME_STARTCOMPOSITION, 0, 0), 0);
  CHECK_EQ(Calls(), L"wkeGetCaretRect(" + live.name + L")\n");
  const HIMC context = ImmGetContext(host);
  CHECK(context != nullptr);
  CANDIDATEFORM form{};
  CHECK(ImmGetCandidateWindow(context, 0, &form));
  ImmReleaseContext(host, context);
  CHECK_EQ(form.dwIndex, 0u);
  CHECK_EQ(form.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
  CHECK_EQ(form.ptCurrentPos.x, caret.x);
  CHECK_EQ(form.ptCurrentPos.y, caret.y + caret.height);
  CHECK_EQ(form.rcArea.left, caret.x);
  CHECK_EQ(form.rcArea.top, caret.y);
  CHECK_EQ(form.rcArea.right, caret.x + caret.width);
  CHECK_EQ(form.rcArea.bottom, caret.y + caret.height);
}

TEST(TheRepaintRequestResizesToTheClientAreaAndRenders) {
  LiveView live;
  const HWND host = live.host.Get();
  SetWindowPos(host, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CHECK_LOG_HAS(Calls(), L"wkeResize(" + live.name + L", 500, 300)");
  wkeSetDirty(live.view.GetWebView(), true);
  ClearLog();
  Send(host, WM_VIEW_REPAINT, 0, 0);
  const std::wstring log = Calls();
  const size_t resize = log.find(L"wkeResize(" + live.name + L", 500, 300)");
  const size_t paint = log.find(L"wkePaint2(" + live.name);
  CHECK(resize != std::wstring::npos);
  CHECK(paint != std::wstring::npos);
  CHECK(resize < paint);
}

TEST(ThePaintThreadDrawsAChangedPictureThroughTheGuiThread) {
  LiveView live(2);  // the default kind: without Direct3D 9 yet, the GDI back end draws
  CHECK(live.created);
  live.view.LoadHTML("<title>画</title><p>line</p>");
  PumpFor(150);
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkeResize(" + live.name + L", 600, 360)");
  CHECK_LOG_HAS(log, L"wkePaint2(" + live.name);
  CHECK_EQ(view_test::ScreenPixel(590, 10), kHeaderColour);
  // Something new: drawn within a few passes, with nothing else to do.
  live.view.LoadHTML("<title>again</title>");
  PumpFor(60);
  CHECK_LOG_HAS(Calls(), L"wkePaint2(" + live.name);
  PumpFor(60);
  CHECK_LOG_LACKS(Calls(), L"wkePaint2");  // unchanged: nothing drawn
}

TEST(AnIdleViewIsPolledAboutEveryTenMilliseconds) {
  LiveView live;
  PumpFor(100);
  ClearLog();
  PumpFor(500);
  const std::wstring log = engine_test::CallLog();
  int polls = 0;
  for (size_t at = log.find(L"wkeIsDirty("); at != std::wstring::npos; at = log.find(L"wkeIsDirty(", at + 1)) ++polls;
  // 10 ms sleeps: about 50 polls in half a second, never a busy loop.
  CHECK(polls >= 20);
  CHECK(polls <= 60);
  if (polls < 20 || polls > 60) std::printf("      %d polls in 500 ms\n", polls);
}

// The host itself, and the top-level window it lives in: the one a user minimises.
TEST(NothingIsPolledOrDrawnWhileMinimised) {
  LiveView live;
  PumpFor(50);
  for (const HWND minimised : {live.host.Get(), view_test::Stage()}) {
    ShowWindow(minimised, SW_MINIMIZE);
    CHECK(IsIconic(minimised));
    PumpFor(30);
    wkeSetDirty(live.view.GetWebView(), true);
    ClearLog();
    PumpFor(150);
    const std::wstring log = engine_test::CallLog();
    CHECK_LOG_LACKS(log, L"wkeIsDirty");
    CHECK_LOG_LACKS(log, L"wkePaint2");
    ShowWindow(minimised, SW_RESTORE);
    PumpFor(150);
    CHECK_LOG_HAS(engine_test::CallLog(), L"wkePaint2(" + live.name);
    CHECK_EQ(view_test::ScreenPixel(590, 10), kHeaderColour);
  }
}

// A main window made very low leaves the view no area: no picture can be made
// for it, and asking again and again kept both threads busy.
TEST(AHostWithoutAreaIsLeftAloneLikeAMinimisedOne) {
  LiveView live;
  const HWND host = live.host.Get();
  PumpFor(50);
  for (const SIZE empty : {SIZE{600, 0}, SIZE{0, 360}}) {
    SetWindowPos(host, nullptr, 0, 0, empty.cx, empty.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(30);
    wkeSetDirty(live.view.GetWebView(), true);
    ClearLog();
    PumpFor(200);
    const std::wstring log = engine_test::CallLog();
    CHECK_LOG_LACKS(log, L"wkeIsDirty");
    CHECK_LOG_LACKS(log, L"wkeResize");
    CHECK_LOG_LACKS(log, L"wkePaint2");
    // Its area back: the picture is drawn at the new size.
    SetWindowPos(host, nullptr, 0, 0, 600, 360, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(150);
    CHECK_LOG_HAS(engine_test::CallLog(), L"wkePaint2(" + live.name);
    CHECK_EQ(view_test::ScreenPixel(590, 10), kHeaderColour);
  }
}

// The renderer for the tests that count a view's threads: GDI, since a Direct3D
// device starts threads of its own, which may outlive it for a moment.
constexpr int kRendererWithoutThreads = 0;

// Creates the view on the host; the threads started since `before`, which
// should be its paint thread alone.
std::vector<DWORD> CreateAndListNewThreads(EngineView& view, HWND host, const std::set<DWORD>& before) {
  view.Create(host, kRendererWithoutThreads);
  PumpFor(30);
  return view_test::NewThreads(before, view_test::ThreadIds());
}

TEST(ThePaintThreadEndsWithinOnePassAfterDestroy) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  const std::set<DWORD> before = view_test::ThreadIds();
  EngineView view;
  const std::vector<DWORD> started = CreateAndListNewThreads(view, host.Get(), before);
  CHECK_EQ(started.size(), 1u);
  if (started.size() != 1) return;
  const KernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, started[0]));
  CHECK(thread);
  CHECK_EQ(WaitForSingleObject(thread.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // polling meanwhile
  const DWORD destroyed = GetTickCount();
  view.Destroy();
  CHECK_EQ(WaitForSingleObject(thread.Get(), 1000), static_cast<DWORD>(WAIT_OBJECT_0));
  const DWORD ended = GetTickCount() - destroyed;
  // One pass: a 10 ms sleep, with slack for a busy machine.
  CHECK(ended <= 50);
  std::printf("      the paint thread ended %lu ms after Destroy\n", static_cast<unsigned long>(ended));
  ClearLog();
  Sleep(30);
  CHECK_LOG_LACKS(engine_test::CallLog(), L"wkeIsDirty");
}

TEST(AQuitMessageToThePaintThreadEndsIt) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  const std::set<DWORD> before = view_test::ThreadIds();
  EngineView view;
  const std::vector<DWORD> started = CreateAndListNewThreads(view, host.Get(), before);
  CHECK_EQ(started.size(), 1u);
  if (started.size() != 1) return;
  CHECK(PostThreadMessageW(started[0], WM_QUIT, 0, 0));
  PumpFor(50);
  CHECK(view_test::NewThreads(before, view_test::ThreadIds()).empty());
  // The view itself still lives: input reaches the engine.
  ClearLog();
  SendMessageW(host.Get(), WM_SETFOCUS, 0, 0);
  CHECK_LOG_HAS(Calls(), L"wkeSetFocus(");
}

TEST(ReleasingALiveViewDestroysItAndWaitsForItsPaintThread) {
  InitialiseEngine();
  OwnedWindow host = view_test::MakeHost();
  const WNDPROC own = ProcOf(host.Get());
  const std::set<DWORD> before = view_test::ThreadIds();
  std::wstring name;
  {
    EngineView view;
    ClearLog();
    view.Create(host.Get(), kRendererWithoutThreads);
    name = CreatedName(Calls(false));
    view.LoadHTML("<title>busy</title>");  // a repaint request may be on its way
    Sleep(20);
  }
  CHECK(view_test::NewThreads(before, view_test::ThreadIds()).empty());
  CHECK_LOG_HAS(Calls(), L"wkeDestroyWebView(" + name + L")");
  CHECK(ProcOf(host.Get()) == own);
}

TEST(LayeredModeMakesTheHostLayeredAndPushesEveryUpdate) {
  InitialiseEngine();
  // Layered child windows are newer than the program's systems: a top-level host.
  OwnedWindow host = view_test::MakeTopLevelHost(L"EngineViewLayeredHost");
  EngineView view;
  ClearLog();
  CHECK(view.Create(host.Get(), 0, true));
  CHECK((GetWindowLongPtrW(host.Get(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
  std::wstring log = Calls();
  const std::wstring name = CreatedName(log);
  CHECK_LOG_HAS(log, L"wkeSetTransparent(" + name + L", true)");
  CHECK_LOG_HAS(log, L"wkeOnPaintUpdated(" + name + L", 0x");
  CHECK_LOG_HAS(log, L", " + engine_test::Hex(host.Get()) + L")");
  // A change: the engine reports it, and the whole client area is pushed.
  SendMessageW(host.Get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 360));
  ClearLog();
  view.LoadHTML("<title>layered</title>");
  log = Calls();
  CHECK_LOG_HAS(log, L"> paintUpdated(" + name + L", " + engine_test::Hex(host.Get()) + L", 0, 0, 600, 360)");
  PumpFor(50);
  CHECK_EQ(view_test::ScreenPixel(590, 10), kHeaderColour);
}

}  // namespace

CHECK_MAIN()
