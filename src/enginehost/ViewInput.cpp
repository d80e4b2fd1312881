#include "enginehost/ViewInput.h"

#include <initializer_list>

namespace {

constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kSetFocus = 0x0007;
constexpr uint32_t kKillFocus = 0x0008;
constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kContextMenu = 0x007B;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kChar = 0x0102;
constexpr uint32_t kImeStartComposition = 0x010D;
constexpr uint32_t kMouseFirst = 0x0200;  // WM_MOUSEMOVE
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kRButtonUp = 0x0205;
constexpr uint32_t kMButtonDown = 0x0207;
constexpr uint32_t kMButtonUp = 0x0208;
constexpr uint32_t kMouseLast = 0x0209;  // WM_MBUTTONDBLCLK
constexpr uint32_t kMouseWheel = 0x020A;

constexpr uint32_t kRepeat = 0x4000;    // KF_REPEAT, in the high word
constexpr uint32_t kExtended = 0x0100;  // KF_EXTENDED, in the high word

constexpr uint32_t kControl = 0x08;
constexpr uint32_t kShift = 0x04;
constexpr uint32_t kLeftButton = 0x01;
constexpr uint32_t kMiddleButton = 0x10;
constexpr uint32_t kRightButton = 0x02;

}  // namespace

ViewMessage ClassifyViewMessage(uint32_t message) {
  switch (message) {
    case kPaint:
      return ViewMessage::Paint;
    case kSize:
      return ViewMessage::Size;
    case kViewRepaintMessage:
      return ViewMessage::Repaint;
    case kKeyDown:
      return ViewMessage::KeyDown;
    case kKeyUp:
      return ViewMessage::KeyUp;
    case kChar:
      return ViewMessage::Char;
    case kContextMenu:
      return ViewMessage::ContextMenu;
    case kMouseWheel:
      return ViewMessage::Wheel;
    case kSetFocus:
      return ViewMessage::SetFocus;
    case kKillFocus:
      return ViewMessage::KillFocus;
    case kImeStartComposition:
      return ViewMessage::ImeStartComposition;
    default:
      break;
  }
  if (message >= kMouseFirst && message <= kMouseLast) return ViewMessage::Mouse;
  return ViewMessage::Other;
}

int32_t X16(uint32_t value) { return static_cast<int32_t>(value & 0xFFFFu); }

int32_t Hi16(uint32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value >> 16)); }

uint32_t KeyFlags(uint32_t lParam) {
  const uint32_t high = lParam >> 16;
  uint32_t flags = 0;
  if (high & kRepeat) flags += kRepeat;
  if (high & kExtended) flags += kExtended;
  return flags;
}

uint32_t MouseFlags(uint32_t wParam) {
  uint32_t flags = 0;
  for (const uint32_t bit : {kControl, kShift, kLeftButton, kMiddleButton, kRightButton}) {
    if (wParam & bit) flags += bit;
  }
  return flags;
}

ButtonAction ButtonActionOf(uint32_t message) {
  switch (message) {
    case kLButtonDown:
    case kRButtonDown:
    case kMButtonDown:
      return ButtonAction::FocusAndCapture;
    case kLButtonUp:
    case kRButtonUp:
    case kMButtonUp:
      return ButtonAction::ReleaseCapture;
    default:
      return ButtonAction::None;
  }
}

ViewPoint PointFromLParam(uint32_t lParam) { return ViewPoint{X16(lParam), Hi16(lParam)}; }

bool ContextMenuPointIsOnScreen(ViewPoint point) { return point.y != -1; }

int32_t WheelDelta(uint32_t wParam) { return Hi16(wParam); }

CandidatePlacement CandidatePlacementFor(const CaretBox& caret) {
  CandidatePlacement placement;
  placement.currentX = caret.x;
  placement.currentY = caret.y + caret.height;
  placement.left = caret.x;
  placement.top = caret.y;
  placement.right = caret.x + caret.width;
  placement.bottom = caret.y + caret.height;
  return placement;
}
