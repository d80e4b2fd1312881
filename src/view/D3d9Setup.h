// The Direct3D 9 back end's arithmetic and decisions, apart from Direct3D
// itself: the screen-aligned quad, the present parameters' values, which device
// creation results count as success, and what a frame does with the device's
// cooperative level.
#pragma once
#include <array>
#include <cstdint>

// One pre-transformed, textured vertex: the 24-byte layout of XYZRHW | TEX1.
struct QuadVertex {
  float x, y, z, reciprocalW, u, v;
};
static_assert(sizeof(QuadVertex) == 24, "XYZRHW | TEX1 vertex");

// The quad covering a client area of width × height as a triangle strip (top
// left, top right, bottom left, bottom right), shifted half a pixel up and left
// so that texels land on pixel centres.
std::array<QuadVertex, 4> MakeQuad(int32_t width, int32_t height);

// Result codes and flags with their published values.
namespace d3d9 {
constexpr int32_t kDeviceLost = static_cast<int32_t>((1u << 31) | (0x876u << 16) | 2152u);
constexpr int32_t kDeviceNotReset = static_cast<int32_t>((1u << 31) | (0x876u << 16) | 2153u);
constexpr uint32_t kSdkVersion = 32u | 0x80000000u;
// FPU_PRESERVE | PUREDEVICE | HARDWARE_VERTEXPROCESSING, then SOFTWARE_VERTEXPROCESSING.
constexpr uint32_t kHardwareVertexFlags = 0x52;
constexpr uint32_t kSoftwareVertexFlags = 0x32;
}  // namespace d3d9

// The present parameters apart from the device window, field by field in the
// published order. A back buffer of 0 × 0 lets device creation take the
// window's client size.
struct PresentParameterValues {
  uint32_t backBufferWidth = 0;
  uint32_t backBufferHeight = 0;
  uint32_t backBufferFormat = 22;  // X8R8G8B8
  uint32_t backBufferCount = 1;
  uint32_t multiSampleType = 0;
  uint32_t multiSampleQuality = 0;
  uint32_t swapEffect = 1;  // discard
  int32_t windowed = 1;
  int32_t enableAutoDepthStencil = 1;
  uint32_t autoDepthStencilFormat = 77;  // D24X8
  uint32_t flags = 0;
  uint32_t fullScreenRefreshRate = 0;
  uint32_t presentationInterval = 0x80000000u;  // immediate: no wait for the retrace
};

// A device creation that returned this may go on; a lost device is taken as a
// start that can draw later.
bool DeviceCreationSucceeded(int32_t result);

// What a frame does after asking the device's cooperative level.
enum class DeviceCheck {
  Draw,                 // the device is ready
  DropTextureAndSkip,   // lost: nothing can be drawn until it may be reset
  DropTextureAndReset,  // may be reset: the frame is drawn when the reset works
};
DeviceCheck DecideDeviceCheck(int32_t cooperativeLevel);
