// The automatic raise of a window the pointer rests over: it comes to the
// front and is activated, once; while nothing covers it again, the raise is
// not repeated, and whatever covers it again is raised over at once.
#include <windows.h>

#include <vector>

#include "app/WindowOptions.h"
#include "check.h"
#include "platform/Handles.h"
#include "test_window.h"

namespace {

// Requests to change the raised window's place in the z-order.
int zOrderRequests = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING && !(reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_NOZORDER)) {
    ++zOrderRequests;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The top-level windows in z-order, the top one first.
std::vector<HWND> ZOrder() {
  std::vector<HWND> windows;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) windows.push_back(w);
  return windows;
}

// Whether `upper` is above `lower`.
bool Above(HWND upper, HWND lower) {
  for (HWND w : ZOrder()) {
    if (w == upper) return true;
    if (w == lower) return false;
  }
  return false;
}

// The hover timer's ticks over the window: a hundred, with messages between.
void HoverTicks(HWND window, int ticks = 100) {
  for (int i = 0; i < ticks; ++i) {
    RaiseToFront(window);
    Pump();
  }
}

TEST(TheRaiseComesOnceAndAgainOnlyWhenCovered) {
  OwnedWindow raised(MakeTestWindow(L"HoverRaised", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                    CountingProc));
  OwnedWindow other(MakeTestWindow(L"HoverOther", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 400, 300));
  SetForegroundWindow(other.Get());
  Pump();
  REQUIRE(GetForegroundWindow() == other.Get());
  REQUIRE(Above(other.Get(), raised.Get()));
  CHECK(!IsInFront(raised.Get()));

  zOrderRequests = 0;
  HoverTicks(raised.Get());
  CHECK(GetForegroundWindow() == raised.Get());
  CHECK(Above(raised.Get(), other.Get()));
  CHECK(IsInFront(raised.Get()));
  CHECK_EQ(zOrderRequests, 2);  // one raise: top-most and back

  // Covered by a window that was not activated: raised over it again.
  SetWindowPos(other.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Pump();
  REQUIRE(GetForegroundWindow() == raised.Get());
  CHECK(!IsInFront(raised.Get()));
  zOrderRequests = 0;
  HoverTicks(raised.Get());
  CHECK(Above(raised.Get(), other.Get()));
  CHECK_EQ(zOrderRequests, 2);

  // Another program activated, the same.
  SetForegroundWindow(other.Get());
  Pump();
  zOrderRequests = 0;
  HoverTicks(raised.Get());
  CHECK(GetForegroundWindow() == raised.Get());
  CHECK(Above(raised.Get(), other.Get()));
  CHECK_EQ(zOrderRequests, 2);
}

TEST(WindowsThatStayAboveAnywayDoNotCount) {
  OwnedWindow raised(MakeTestWindow(L"HoverRaised", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                    CountingProc));
  HoverTicks(raised.Get(), 3);
  REQUIRE(IsInFront(raised.Get()));
  // A top-most window, an owned one, and a hidden one above it, none activated.
  OwnedWindow topmost(MakeTestWindow(L"HoverTopmost", WS_EX_TOPMOST, WS_POPUP, 150, 150, 100, 100));
  OwnedWindow owned(MakeTestWindow(L"HoverOwned", 0, WS_POPUP, 160, 160, 100, 100, raised.Get()));
  OwnedWindow hidden(MakeTestWindow(L"HoverHidden", 0, WS_POPUP, 170, 170, 100, 100));
  const UINT place = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(topmost.Get(), HWND_TOPMOST, 0, 0, 0, 0, place | SWP_SHOWWINDOW);
  SetWindowPos(owned.Get(), HWND_TOP, 0, 0, 0, 0, place | SWP_SHOWWINDOW);
  SetWindowPos(hidden.Get(), HWND_TOP, 0, 0, 0, 0, place);
  Pump();
  REQUIRE(GetForegroundWindow() == raised.Get());
  CHECK(IsInFront(raised.Get()));
  zOrderRequests = 0;
  HoverTicks(raised.Get());
  CHECK_EQ(zOrderRequests, 0);
  // Its own window active, as a dialog it shows would be: not taken from it.
  SetForegroundWindow(owned.Get());
  Pump();
  REQUIRE(GetForegroundWindow() == owned.Get());
  HoverTicks(raised.Get());
  CHECK_EQ(zOrderRequests, 0);
  CHECK(GetForegroundWindow() == owned.Get());
}

}  // namespace

CHECK_MAIN()
