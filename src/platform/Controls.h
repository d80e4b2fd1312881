// Thin wrappers over the control messages the handlers use; texts are GBK.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

std::string GetWindowTextGbk(HWND window);
// The text as the window holds it, in UTF-16, with characters GBK lacks.
std::wstring GetWindowTextWide(HWND window);
void SetWindowTextGbk(HWND window, std::string_view text);

bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);

int SliderPosition(HWND slider);

// Resizes a window without moving it or changing its z-order.
void SetWindowSize(HWND window, int width, int height);

// The window's rectangle in screen coordinates.
RECT ScreenRect(HWND window);

// Asks a yes-or-no question in a message box owned by `owner`, with a
// warning sign and "否" the default, as before a step that loses data; true
// for "是".
bool AskYesNo(HWND owner, std::string_view question, std::string_view title);

// Holds a window's drawing off while it lives; nested holders keep it off
// until the outermost one ends, which repaints the window once. Whether the
// window is shown is left as it was, or as ShowControl asked meanwhile: the
// system marks a window hidden while its drawing is off, and shown when its
// drawing comes back on, so a hide made meanwhile would otherwise do nothing,
// and the end would show a control of another page over the current one.
class RedrawSuspension {
 public:
  explicit RedrawSuspension(HWND window);
  ~RedrawSuspension();
  RedrawSuspension(const RedrawSuspension&) = delete;
  RedrawSuspension& operator=(const RedrawSuspension&) = delete;

 private:
  HWND window_;
};

// Shows or hides a control: the one way the program does, so that a control
// whose drawing is suspended ends up as the last request said. Shown in the
// middle of a suspension, the control is drawn once as it is and held again.
void ShowControl(HWND window, bool shown);
