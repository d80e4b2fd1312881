// Window transparency, automatic raise, and the record of the main window's
// rectangle that the hover timer tests the cursor against.
#pragma once
#include <windows.h>

// Makes the window layered with a constant opacity (255 opaque). The layered
// style is never taken away again.
void ApplyAlpha(HWND window, int alpha);

// Keeps the main window's outer rectangle, in screen coordinates, as WindowRect.
void RecordWindowRect(const RECT& rect);

// Puts the main window in front of every ordinary window without leaving it
// top-most, and activates it.
void BringMainWindowToFront();
void BringToFront(HWND window);
// Whether `window`, or a window it owns, is the foreground window, with no
// ordinary window above it: where a raise would put it.
bool IsInFront(HWND window);
// Raises `window` as BringToFront does, unless it is in front already.
void RaiseToFront(HWND window);

void OnTransparencyToggled();
void OnAlphaSlider();
void OnWindowMoved();
void OnHoverTick();
