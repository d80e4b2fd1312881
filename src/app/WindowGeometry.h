// The main window's recorded rectangle and the hover test against it. No
// Windows header: tested natively.
#pragma once

// The four sides of the main window in screen coordinates.
struct WindowRectangle {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// All four edges count as inside.
inline bool IsInside(const WindowRectangle& rect, int x, int y) {
  return rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom;
}
