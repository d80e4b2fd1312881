#include <gtest/gtest.h>

#include "answerbank/TextFormat.h"

namespace {

TEST(CharFormatRequest, SizesInTwipsAndAutomaticColour) {
  const CharFormatRequest request = MakeCharFormatRequest(DefaultTextFormat());
  EXPECT_EQ(request.face, "宋体");
  EXPECT_EQ(request.heightTwips, 180);
  EXPECT_EQ(request.offsetTwips, 0);
  EXPECT_EQ(request.effects, 0u);
  EXPECT_TRUE(request.autoColour);
}

TEST(CharFormatRequest, ExplicitColourAndOnlyTheFiveEffects) {
  TextFormat red = DefaultTextFormat();
  red.colour = 0x0000FF;
  red.offset = -2;
  red.effects = 0xFFFFFFFFu;
  const CharFormatRequest request = MakeCharFormatRequest(red);
  EXPECT_FALSE(request.autoColour);
  EXPECT_EQ(request.colour, 0x0000FFu);
  EXPECT_EQ(request.offsetTwips, -40);
  EXPECT_EQ(request.effects, 0x1Fu);

  TextFormat black = DefaultTextFormat();
  black.colour = 0;
  EXPECT_FALSE(MakeCharFormatRequest(black).autoColour);
}

}  // namespace
