// The host window's message cases and the arithmetic of engine input.
#include <gtest/gtest.h>

#include <cstdint>

#include "enginehost/ViewInput.h"

namespace {

TEST(ClassifyViewMessage, EachCaseOfTheWindowProcedure) {
  EXPECT_EQ(ClassifyViewMessage(0x000F), ViewMessage::Paint);
  EXPECT_EQ(ClassifyViewMessage(0x0005), ViewMessage::Size);
  EXPECT_EQ(ClassifyViewMessage(0x0401), ViewMessage::Repaint);
  EXPECT_EQ(ClassifyViewMessage(0x0100), ViewMessage::KeyDown);
  EXPECT_EQ(ClassifyViewMessage(0x0101), ViewMessage::KeyUp);
  EXPECT_EQ(ClassifyViewMessage(0x0102), ViewMessage::Char);
  EXPECT_EQ(ClassifyViewMessage(0x007B), ViewMessage::ContextMenu);
  EXPECT_EQ(ClassifyViewMessage(0x020A), ViewMessage::Wheel);
  EXPECT_EQ(ClassifyViewMessage(0x0007), ViewMessage::SetFocus);
  EXPECT_EQ(ClassifyViewMessage(0x0008), ViewMessage::KillFocus);
  EXPECT_EQ(ClassifyViewMessage(0x010D), ViewMessage::ImeStartComposition);
}

TEST(ClassifyViewMessage, TheMouseRangeIsMoveThroughMiddleDoubleClick) {
  for (uint32_t message = 0x0200; message <= 0x0209; ++message) {
    EXPECT_EQ(ClassifyViewMessage(message), ViewMessage::Mouse) << std::hex << message;
  }
  EXPECT_EQ(ClassifyViewMessage(0x01FF), ViewMessage::Other);
  EXPECT_EQ(ClassifyViewMessage(0x020B), ViewMessage::Other);  // the X buttons are not the view's
  EXPECT_EQ(ClassifyViewMessage(0x020E), ViewMessage::Other);  // nor the horizontal wheel
}

TEST(ClassifyViewMessage, EverythingElseIsNotTheViews) {
  for (uint32_t message : {0x0000u, 0x0001u, 0x0006u, 0x0014u, 0x0020u, 0x0103u, 0x0104u, 0x0105u, 0x010Eu,
                           0x010Fu, 0x0400u, 0x0402u, 0xC000u}) {
    EXPECT_EQ(ClassifyViewMessage(message), ViewMessage::Other) << std::hex << message;
  }
}

TEST(X16AndHi16, LowWordUnsignedHighWordSigned) {
  EXPECT_EQ(X16(0x00140010u), 16);
  EXPECT_EQ(Hi16(0x00140010u), 20);
  // A point left of and above the window during capture.
  const uint32_t packed = (static_cast<uint32_t>(static_cast<uint16_t>(-7)) << 16) | static_cast<uint16_t>(-5);
  EXPECT_EQ(X16(packed), 65531);
  EXPECT_EQ(Hi16(packed), -7);
  EXPECT_EQ(X16(0xFFFFFFFFu), 65535);
  EXPECT_EQ(Hi16(0xFFFFFFFFu), -1);
  EXPECT_EQ(Hi16(0x80000000u), -32768);
  EXPECT_EQ(Hi16(0x7FFF0000u), 32767);
}

TEST(KeyFlags, RepeatAndExtendedBitsOfTheHighWord) {
  EXPECT_EQ(KeyFlags(0x00000001u), 0u);
  EXPECT_EQ(KeyFlags(0x01530001u), 0x0100u);  // extended
  EXPECT_EQ(KeyFlags(0x40000001u), 0x4000u);  // repeated (previous state down)
  EXPECT_EQ(KeyFlags(0x41530001u), 0x4100u);
  // Transition, alt-down and dialog-mode bits and the scan code stay out.
  EXPECT_EQ(KeyFlags(0xA0FF0001u), 0u);
  EXPECT_EQ(KeyFlags(0xFFFFFFFFu), 0x4100u);
  // The low word (repeat count) plays no part.
  EXPECT_EQ(KeyFlags(0x0000FFFFu), 0u);
}

TEST(MouseFlags, TheFiveKeyBitsAndNothingElse) {
  EXPECT_EQ(MouseFlags(0), 0u);
  EXPECT_EQ(MouseFlags(0x08 | 0x01), 0x09u);
  EXPECT_EQ(MouseFlags(0x04), 0x04u);
  EXPECT_EQ(MouseFlags(0x10 | 0x02), 0x12u);
  for (uint32_t w = 0; w < 0x100; ++w) EXPECT_EQ(MouseFlags(w), w & 0x1Fu) << w;
  // The wheel's delta in the high word is not a flag.
  EXPECT_EQ(MouseFlags(0xFF880004u), 0x04u);
}

TEST(ButtonActionOf, DownsFocusAndCaptureUpsRelease) {
  EXPECT_EQ(ButtonActionOf(0x0201), ButtonAction::FocusAndCapture);
  EXPECT_EQ(ButtonActionOf(0x0204), ButtonAction::FocusAndCapture);
  EXPECT_EQ(ButtonActionOf(0x0207), ButtonAction::FocusAndCapture);
  EXPECT_EQ(ButtonActionOf(0x0202), ButtonAction::ReleaseCapture);
  EXPECT_EQ(ButtonActionOf(0x0205), ButtonAction::ReleaseCapture);
  EXPECT_EQ(ButtonActionOf(0x0208), ButtonAction::ReleaseCapture);
  for (uint32_t message : {0x0200u, 0x0203u, 0x0206u, 0x0209u, 0x020Au}) {
    EXPECT_EQ(ButtonActionOf(message), ButtonAction::None) << std::hex << message;
  }
}

TEST(ContextMenuPoint, FromTheKeyboardItStaysAsItCame) {
  const ViewPoint keyboard = PointFromLParam(0xFFFFFFFFu);
  EXPECT_EQ(keyboard.x, 65535);
  EXPECT_EQ(keyboard.y, -1);
  EXPECT_FALSE(ContextMenuPointIsOnScreen(keyboard));
  const ViewPoint mouse = PointFromLParam((100u << 16) | 90u);
  EXPECT_EQ(mouse.x, 90);
  EXPECT_EQ(mouse.y, 100);
  EXPECT_TRUE(ContextMenuPointIsOnScreen(mouse));
  // Only y decides: x = 65535 with a real y is a screen point.
  EXPECT_TRUE(ContextMenuPointIsOnScreen(PointFromLParam(0x0005FFFFu)));
  EXPECT_FALSE(ContextMenuPointIsOnScreen(PointFromLParam(0xFFFF0005u)));
}

TEST(WheelDelta, SignedHighWord) {
  EXPECT_EQ(WheelDelta(0x00780000u), 120);
  EXPECT_EQ(WheelDelta(0xFF880000u | 0x0004u), -120);
  EXPECT_EQ(WheelDelta(0xFF100008u), -240);
}

TEST(CandidatePlacementFor, UnderTheCaretExcludingIt) {
  const CandidatePlacement p = CandidatePlacementFor({40, 323, 1, 18});
  EXPECT_EQ(p.currentX, 40);
  EXPECT_EQ(p.currentY, 341);
  EXPECT_EQ(p.left, 40);
  EXPECT_EQ(p.top, 323);
  EXPECT_EQ(p.right, 41);
  EXPECT_EQ(p.bottom, 341);
  const CandidatePlacement zero = CandidatePlacementFor({0, 0, 0, 0});
  EXPECT_EQ(zero.currentY, 0);
  EXPECT_EQ(zero.right, 0);
}

}  // namespace
