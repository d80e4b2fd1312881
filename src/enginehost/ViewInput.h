// How the view's host window turns window messages into engine input: which
// case of the window procedure a message belongs to, and the arithmetic of key
// flags, mouse flags, points and the candidate window. No Windows header.
#pragma once
#include <cstdint>

// The private repaint request the paint thread sends to the host window.
constexpr uint32_t kViewRepaintMessage = 0x0401;  // WM_USER + 1

// The window procedure's cases, tested in this order; the first match wins.
enum class ViewMessage {
  Paint,                // WM_PAINT
  Size,                 // WM_SIZE
  Repaint,              // the private repaint request
  KeyDown,              // WM_KEYDOWN
  KeyUp,                // WM_KEYUP
  Char,                 // WM_CHAR
  Mouse,                // WM_MOUSEMOVE through WM_MBUTTONDBLCLK
  ContextMenu,          // WM_CONTEXTMENU
  Wheel,                // WM_MOUSEWHEEL
  SetFocus,             // WM_SETFOCUS
  KillFocus,            // WM_KILLFOCUS
  ImeStartComposition,  // WM_IME_STARTCOMPOSITION
  Other,                // everything else: not the view's
};

ViewMessage ClassifyViewMessage(uint32_t message);

// The low 16 bits as an unsigned number: a point left of the window during
// mouse capture arrives as a large positive x.
int32_t X16(uint32_t value);
// The high 16 bits as a signed number.
int32_t Hi16(uint32_t value);

// Key flags of WM_KEYDOWN, WM_KEYUP and WM_CHAR from their lParam: the repeat
// bit (0x4000) and the extended-key bit (0x0100) of its high word, where the
// engine expects them.
uint32_t KeyFlags(uint32_t lParam);

// Mouse flags from a mouse message's wParam: control, shift and the three
// buttons, with the engine's bit values, which are the system's.
uint32_t MouseFlags(uint32_t wParam);

// What a mouse message does to focus and capture before it reaches the engine.
enum class ButtonAction {
  None,             // moves and double-clicks
  FocusAndCapture,  // a button goes down
  ReleaseCapture,   // a button comes up
};
ButtonAction ButtonActionOf(uint32_t message);

struct ViewPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// (X16, Hi16) of a message's lParam.
ViewPoint PointFromLParam(uint32_t lParam);

// A context menu opened from the keyboard says so with y = -1 (lParam all ones)
// and reaches the engine unconverted; a mouse's screen point becomes a client one.
bool ContextMenuPointIsOnScreen(ViewPoint point);

// The signed wheel turn in a WM_MOUSEWHEEL wParam: negative when turned down.
int32_t WheelDelta(uint32_t wParam);

// The engine's caret in view coordinates.
struct CaretBox {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Where the input method's candidate window goes: its top left under the caret,
// and the caret's rectangle as the area it must not cover.
struct CandidatePlacement {
  int32_t currentX = 0;
  int32_t currentY = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
CandidatePlacement CandidatePlacementFor(const CaretBox& caret);
