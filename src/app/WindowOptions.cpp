#include "app/WindowOptions.h"

#include "app/ControlNames.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "platform/Controls.h"

namespace {

HWND MainHandle() { return MainWindow::Instance().Handle(); }
HWND ControlNamed(const char* name) { return MainWindow::Instance().Control(name); }

}  // namespace

void ApplyAlpha(HWND window, int alpha) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void StoreWindowRect(const RECT& rect) {
  Globals().windowRect = {static_cast<double>(rect.left), static_cast<double>(rect.top),
                          static_cast<double>(rect.right), static_cast<double>(rect.bottom)};
}

void RecordWindowRect() {
  RECT rect{};
  GetWindowRect(MainHandle(), &rect);
  StoreWindowRect(rect);
}

void BringMainWindowToFront() {
  // Without SWP_NOACTIVATE, so the window is activated as well.
  SetWindowPos(MainHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetWindowPos(MainHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void OnTransparencyToggled() {
  const bool translucent = IsChecked(ControlNamed(ctl::kTranslucentBox));
  ApplyAlpha(MainHandle(), translucent ? SliderPosition(ControlNamed(ctl::kAlphaSlider)) : 255);
}

void OnAlphaSlider() { ApplyAlpha(MainHandle(), SliderPosition(ControlNamed(ctl::kAlphaSlider))); }

void OnWindowMoved() { RecordWindowRect(); }

void OnHoverTick() {
  POINT cursor{};
  GetCursorPos(&cursor);
  GlobalObjects& g = Globals();
  if (IsInside(g.windowRect, cursor.x, cursor.y)) {
    if (IsChecked(ControlNamed(ctl::kAutoRaiseBox))) BringMainWindowToFront();
    g.captureArmed = 0;
  } else if (IsChecked(ControlNamed(ctl::kCaptureBox))) {
    g.captureArmed = 1;
  }
}
