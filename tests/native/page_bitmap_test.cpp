// The whole-page picture's file headers and the sizes that are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/BitmapFile.h"
#include "view/PageBitmap.h"

namespace {

uint32_t U32(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}
uint16_t U16(const uint8_t* b) { return static_cast<uint16_t>(b[0] | b[1] << 8); }

TEST(PageBitmapHeaders, TheEightHundredByTwelveHundredExample) {
  const auto h = pagebitmap::Headers(800, 1200, 3840000);
  ASSERT_EQ(h.size(), 54u);
  EXPECT_EQ(h[0], 'B');
  EXPECT_EQ(h[1], 'M');
  EXPECT_EQ(U32(&h[2]), 3840054u);
  EXPECT_EQ(U16(&h[6]), 0u);
  EXPECT_EQ(U16(&h[8]), 0u);
  EXPECT_EQ(U32(&h[10]), 54u);
  EXPECT_EQ(U32(&h[14]), 40u);
  EXPECT_EQ(static_cast<int32_t>(U32(&h[18])), 800);
  EXPECT_EQ(static_cast<int32_t>(U32(&h[22])), -1200);
  EXPECT_EQ(U16(&h[26]), 1u);
  EXPECT_EQ(U16(&h[28]), 32u);
  EXPECT_EQ(U32(&h[30]), 0u);
  EXPECT_EQ(U32(&h[34]), 3840000u);
  EXPECT_EQ(U32(&h[38]), 3780u);
  EXPECT_EQ(U32(&h[42]), 3780u);
  EXPECT_EQ(U32(&h[46]), 0u);
  EXPECT_EQ(U32(&h[50]), 0u);
}

TEST(PageBitmapHeaders, AFileThatTheBitmapReaderAccepts) {
  const uint32_t bytes = *pagebitmap::PixelBytes(3, 2);
  const auto h = pagebitmap::Headers(3, 2, bytes);
  std::vector<uint8_t> file(h.begin(), h.end());
  file.resize(54 + bytes, 0x7F);
  const auto layout = bmpfile::ParseFile(file.data(), file.size());
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->pixelOffset, 54u);
  EXPECT_EQ(layout->dib.width, 3);
  EXPECT_EQ(layout->dib.height, -2);  // top-down
  EXPECT_EQ(layout->dib.bitCount, 32);
  EXPECT_EQ(layout->dib.imageBytes, 24u);
  // One byte short is a file cut short.
  EXPECT_FALSE(bmpfile::ParseFile(file.data(), file.size() - 1).has_value());
}

TEST(PageBitmapHeaders, EmptyContentGivesWidthAndHeightZero) {
  ASSERT_EQ(pagebitmap::PixelBytes(0, 0), std::optional<uint32_t>(0u));
  const auto h = pagebitmap::Headers(0, 0, 0);
  EXPECT_EQ(U32(&h[2]), 54u);
  EXPECT_EQ(U32(&h[18]), 0u);
  EXPECT_EQ(U32(&h[22]), 0u);
  EXPECT_EQ(U32(&h[34]), 0u);
  EXPECT_EQ(pagebitmap::PixelBytes(0, 5000), std::optional<uint32_t>(0u));
}

TEST(PagePixelBytes, WidthTimesHeightTimesFour) {
  EXPECT_EQ(pagebitmap::PixelBytes(800, 1200), std::optional<uint32_t>(3840000u));
  EXPECT_EQ(pagebitmap::PixelBytes(1, 1), std::optional<uint32_t>(4u));
  EXPECT_EQ(pagebitmap::PixelBytes(601, 360), std::optional<uint32_t>(865440u));
}

TEST(PagePixelBytes, NegativeSizesAreRefused) {
  EXPECT_FALSE(pagebitmap::PixelBytes(-1, 10).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(10, -1).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(-800, -1200).has_value());  // the product would be positive
  EXPECT_FALSE(pagebitmap::PixelBytes(INT32_MIN, 0).has_value());
}

TEST(PagePixelBytes, SizesBeyondTheLimitOrThirtyTwoBitsAreRefused) {
  const uint32_t limit = pagebitmap::kMaxPixelBytes;
  // Exactly at the limit is taken; one row more is not.
  EXPECT_EQ(pagebitmap::PixelBytes(4096, static_cast<int32_t>(limit / 4 / 4096)), std::optional<uint32_t>(limit));
  EXPECT_FALSE(pagebitmap::PixelBytes(4096, static_cast<int32_t>(limit / 4 / 4096) + 1).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(20000, 20000).has_value());  // 1.6 GB
  // 65536 × 65536 × 4 wraps to exactly 0 in 32-bit arithmetic.
  EXPECT_FALSE(pagebitmap::PixelBytes(65536, 65536).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(70000, 70000).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(INT32_MAX, INT32_MAX).has_value());
  // With no limit of its own, the file size must still fit 32 bits.
  EXPECT_EQ(pagebitmap::PixelBytes(32768, 32767, UINT32_MAX), std::optional<uint32_t>(4294836224u));
  EXPECT_FALSE(pagebitmap::PixelBytes(32768, 32768, UINT32_MAX).has_value());
  EXPECT_FALSE(pagebitmap::PixelBytes(1073741811, 1, UINT32_MAX).has_value());  // 54 more would wrap
  EXPECT_EQ(pagebitmap::PixelBytes(1073741810, 1, UINT32_MAX), std::optional<uint32_t>(4294967240u));
}

}  // namespace
