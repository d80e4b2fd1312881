// The Direct3D 9 back end's quad, present parameters and device decisions, and
// the check that keeps the engine's rows inside locked pixel memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "view/D3d9Setup.h"
#include "view/LockedPixels.h"

namespace {

void ExpectVertex(const QuadVertex& v, float x, float y, float u, float w) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, 0.0f);
  EXPECT_FLOAT_EQ(v.reciprocalW, 1.0f);
  EXPECT_FLOAT_EQ(v.u, u);
  EXPECT_FLOAT_EQ(v.v, w);
}

TEST(Quad, CoversSixHundredByThreeSixtyWithAHalfPixelShift) {
  const auto quad = MakeQuad(600, 360);
  // A triangle strip: top left, top right, bottom left, bottom right.
  {
    SCOPED_TRACE("top left");
    ExpectVertex(quad[0], -0.5f, -0.5f, 0, 0);
  }
  {
    SCOPED_TRACE("top right");
    ExpectVertex(quad[1], 599.5f, -0.5f, 1, 0);
  }
  {
    SCOPED_TRACE("bottom left");
    ExpectVertex(quad[2], -0.5f, 359.5f, 0, 1);
  }
  {
    SCOPED_TRACE("bottom right");
    ExpectVertex(quad[3], 599.5f, 359.5f, 1, 1);
  }
}

TEST(Quad, FourVerticesInOneNinetySixByteBuffer) {
  const auto quad = MakeQuad(1, 1);
  EXPECT_EQ(sizeof quad, 96u);
  const auto* floats = reinterpret_cast<const float*>(quad.data());
  // The fourth vertex's x sits 18 floats in: records are packed, 6 floats each.
  EXPECT_FLOAT_EQ(floats[18], 0.5f);
  EXPECT_FLOAT_EQ(floats[19], 0.5f);
}

TEST(Quad, AnEmptyAreaCollapsesOntoTheHalfPixel) {
  const auto quad = MakeQuad(0, 0);
  EXPECT_FLOAT_EQ(quad[3].x, -0.5f);
  EXPECT_FLOAT_EQ(quad[3].y, -0.5f);
}

TEST(PresentParameters, PublishedValuesInOrder) {
  const PresentParameterValues p;
  EXPECT_EQ(p.backBufferWidth, 0u);  // taken from the window at device creation
  EXPECT_EQ(p.backBufferHeight, 0u);
  EXPECT_EQ(p.backBufferFormat, 22u);
  EXPECT_EQ(p.backBufferCount, 1u);
  EXPECT_EQ(p.multiSampleType, 0u);
  EXPECT_EQ(p.multiSampleQuality, 0u);
  EXPECT_EQ(p.swapEffect, 1u);
  EXPECT_EQ(p.windowed, 1);
  EXPECT_EQ(p.enableAutoDepthStencil, 1);
  EXPECT_EQ(p.autoDepthStencilFormat, 77u);
  EXPECT_EQ(p.flags, 0u);
  EXPECT_EQ(p.fullScreenRefreshRate, 0u);
  EXPECT_EQ(p.presentationInterval, 0x80000000u);
}

TEST(DeviceCodes, BuiltFromTheFacilityAndCode) {
  EXPECT_EQ(static_cast<uint32_t>(d3d9::kDeviceLost), 0x88760868u);
  EXPECT_EQ(static_cast<uint32_t>(d3d9::kDeviceNotReset), 0x88760869u);
  EXPECT_EQ(d3d9::kSdkVersion, 0x80000020u);
  EXPECT_EQ(d3d9::kHardwareVertexFlags, 0x02u | 0x10u | 0x40u);
  EXPECT_EQ(d3d9::kSoftwareVertexFlags, 0x02u | 0x10u | 0x20u);
}

TEST(DeviceCreation, SuccessOrALostDeviceGoesOn) {
  EXPECT_TRUE(DeviceCreationSucceeded(0));
  EXPECT_TRUE(DeviceCreationSucceeded(d3d9::kDeviceLost));
  EXPECT_FALSE(DeviceCreationSucceeded(d3d9::kDeviceNotReset));
  EXPECT_FALSE(DeviceCreationSucceeded(static_cast<int32_t>(0x8876086Au)));  // not available
  EXPECT_FALSE(DeviceCreationSucceeded(static_cast<int32_t>(0x80004005u)));  // E_FAIL
  EXPECT_FALSE(DeviceCreationSucceeded(1));                                 // S_FALSE is not S_OK
}

TEST(DeviceCheck, LostSkipsNotResetResetsAndAnythingElseDraws) {
  EXPECT_EQ(DecideDeviceCheck(d3d9::kDeviceLost), DeviceCheck::DropTextureAndSkip);
  EXPECT_EQ(DecideDeviceCheck(d3d9::kDeviceNotReset), DeviceCheck::DropTextureAndReset);
  EXPECT_EQ(DecideDeviceCheck(0), DeviceCheck::Draw);
  // An internal driver error is not one of the two states a frame waits out.
  EXPECT_EQ(DecideDeviceCheck(static_cast<int32_t>(0x88760827u)), DeviceCheck::Draw);
}

TEST(PictureFits, AnExactlySizedLockTakesTheView) {
  EXPECT_TRUE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, 600, 360));
  // A smaller view paints fewer columns and rows into the same memory.
  EXPECT_TRUE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, 300, 10));
  EXPECT_TRUE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, 0, 0));
}

TEST(PictureFits, APaddedStrideNeedsHeightTimesStrideBytes) {
  const int64_t stride = 2432;  // rows padded past 600 × 4
  EXPECT_TRUE(PictureFits({2432u * 360, stride, 600, 360}, 600, 360));
  EXPECT_FALSE(PictureFits({2432u * 360 - 1, stride, 600, 360}, 600, 360));
  // What width × 4 rows would have needed is not enough.
  EXPECT_FALSE(PictureFits({2400u * 360, stride, 600, 360}, 600, 360));
}

TEST(PictureFits, RowsNarrowerThanThePictureAreRefused) {
  EXPECT_FALSE(PictureFits({1u << 30, 2396, 600, 360}, 600, 360));
  EXPECT_FALSE(PictureFits({1u << 30, 0, 600, 360}, 600, 360));
  EXPECT_FALSE(PictureFits({1u << 30, -2400, 600, 360}, 600, 360));
}

TEST(PictureFits, AViewLargerThanTheSurfaceIsRefused) {
  EXPECT_FALSE(PictureFits({601u * 4 * 360, 601 * 4, 600, 360}, 601, 360));
  EXPECT_FALSE(PictureFits({600u * 4 * 361, 600 * 4, 600, 360}, 600, 361));
  EXPECT_FALSE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, -1, 360));
}

TEST(PictureFits, ASurfaceWithOneZeroSideTakesNothing) {
  // A zero width with a zero stride: no row to divide the buffer by.
  EXPECT_FALSE(PictureFits({1u << 30, 0, 0, 360}, 0, 0));
  EXPECT_FALSE(PictureFits({1u << 30, 2400, 0, 360}, 0, 0));
  EXPECT_FALSE(PictureFits({1u << 30, 2400, 600, 0}, 0, 0));
  // A view with one zero side paints nothing and fits any real surface.
  EXPECT_TRUE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, 0, 360));
  EXPECT_TRUE(PictureFits({600u * 4 * 360, 600 * 4, 600, 360}, 600, 0));
}

TEST(PictureFits, EmptySurfacesAndHugeSizesDoNotWrap) {
  EXPECT_FALSE(PictureFits({0, 0, 0, 0}, 0, 0));
  EXPECT_FALSE(PictureFits({1024, 4, 1, -1}, 0, 0));
  const int32_t big = std::numeric_limits<int32_t>::max();
  const int64_t stride = static_cast<int64_t>(big) * 4;
  // big × 4 × big bytes is far more than any 32-bit count: no wrap to a small number.
  EXPECT_FALSE(PictureFits({0xFFFFFFFFu, stride, big, big}, big, big));
  EXPECT_TRUE(PictureFits({std::numeric_limits<uint64_t>::max(), stride, big, big}, big, big));
}

}  // namespace
