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

// Holds a window's redrawing off while it lives; nested holders keep it off
// until the outermost one ends, which repaints the window once.
class RedrawSuspension {
 public:
  explicit RedrawSuspension(HWND window);
  ~RedrawSuspension();
  RedrawSuspension(const RedrawSuspension&) = delete;
  RedrawSuspension& operator=(const RedrawSuspension&) = delete;

 private:
  HWND window_;
};
