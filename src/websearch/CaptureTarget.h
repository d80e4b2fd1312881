// Whether a press of the left button may start a screen word capture: only a
// press on the client area of an ordinary window. A press on a title bar, a
// scroll bar or a border starts a move, a scroll or a resize, not a selection;
// and in a console the copy keys interrupt the running job instead of copying.
#pragma once
#include <windows.h>

// Asks the window under `screenPoint` where the point lies (its WM_NCHITTEST
// answer), waiting briefly: a window that does not answer in time is not a
// capture target.
bool PressMayStartCapture(POINT screenPoint);

// Consoles and terminals, by the class name of the window or of its top-level
// window: the Windows console, Windows Terminal, mintty, ConEmu, PuTTY and
// Wine's console.
bool IsConsoleWindow(HWND window);
