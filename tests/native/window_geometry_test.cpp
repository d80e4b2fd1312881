#include <gtest/gtest.h>

#include "app/WindowGeometry.h"

namespace {

TEST(HoverTest, AllFourEdgesCountAsInside) {
  const WindowRectangle rect{50, 50, 662, 464};
  EXPECT_TRUE(IsInside(rect, 50, 50));
  EXPECT_TRUE(IsInside(rect, 662, 464));
  EXPECT_TRUE(IsInside(rect, 50, 464));
  EXPECT_TRUE(IsInside(rect, 662, 50));
  EXPECT_TRUE(IsInside(rect, 300, 200));
}

TEST(HoverTest, OnePixelBeyondAnyEdgeIsOutside) {
  const WindowRectangle rect{50, 50, 662, 464};
  EXPECT_FALSE(IsInside(rect, 49, 200));
  EXPECT_FALSE(IsInside(rect, 663, 200));
  EXPECT_FALSE(IsInside(rect, 300, 49));
  EXPECT_FALSE(IsInside(rect, 300, 465));
}

TEST(HoverTest, NegativeCoordinatesOfASecondMonitor) {
  const WindowRectangle rect{-800, -20, -100, 400};
  EXPECT_TRUE(IsInside(rect, -800, -20));
  EXPECT_TRUE(IsInside(rect, -100, 400));
  EXPECT_FALSE(IsInside(rect, 0, 0));
}

TEST(HoverTest, NeverInsideBeforeTheRectangleIsRecorded) {
  // All zero until creation: only the screen's top-left pixel would match.
  EXPECT_FALSE(IsInside(WindowRectangle{}, 1, 1));
}

}  // namespace
