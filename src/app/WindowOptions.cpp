#include "app/WindowOptions.h"

#include "app/ControlNames.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/SearchRouting.h"
#include "platform/Controls.h"

namespace {

HWND MainHandle() { return MainWindow::Instance().Handle(); }

}  // namespace

void ApplyAlpha(HWND window, int alpha) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void RecordWindowRect(const RECT& rect) {
  Globals().windowRect = {static_cast<double>(rect.left), static_cast<double>(rect.top),
                          static_cast<double>(rect.right), static_cast<double>(rect.bottom)};
}

void BringMainWindowToFront() { BringToFront(MainHandle()); }

void BringToFront(HWND window) {
  // Without SWP_NOACTIVATE, so the window is activated as well.
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

bool IsInFront(HWND window) {
  // One of its own windows active (a dialog it owns) counts as itself.
  const HWND active = GetForegroundWindow();
  if (!active || (active != window && GetAncestor(active, GA_ROOTOWNER) != window)) return false;
  // Top-most windows stay above it after a raise too, and its own owned
  // windows always stay above it.
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (!IsWindowVisible(above) || (GetWindowLongPtrW(above, GWL_EXSTYLE) & WS_EX_TOPMOST)) continue;
    if (GetAncestor(above, GA_ROOTOWNER) == window) continue;
    return false;
  }
  return true;
}

void RaiseToFront(HWND window) {
  if (!IsInFront(window)) BringToFront(window);
}

void OnTransparencyToggled() {
  const bool translucent = IsChecked(ControlNamed(ctl::kTranslucentBox));
  ApplyAlpha(MainHandle(), translucent ? SliderPosition(ControlNamed(ctl::kAlphaSlider)) : 255);
}

void OnAlphaSlider() { ApplyAlpha(MainHandle(), SliderPosition(ControlNamed(ctl::kAlphaSlider))); }

void OnWindowMoved() { RecordWindowRect(ScreenRect(MainHandle())); }

void OnHoverTick() {
  POINT cursor{};
  GetCursorPos(&cursor);
  GlobalObjects& g = Globals();
  if (IsInside(g.windowRect, cursor.x, cursor.y)) {
    // The raise is what a user sees; repeating it while nothing has covered
    // the window since would only cost time, a hundred times a second.
    if (IsChecked(ControlNamed(ctl::kAutoRaiseBox))) RaiseToFront(MainHandle());
    g.captureArmed = 0;
  } else if (IsChecked(ControlNamed(ctl::kCaptureBox))) {
    g.captureArmed = 1;
  }
  RefreshCaptureWanted();
}
