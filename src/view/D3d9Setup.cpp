#include "view/D3d9Setup.h"

std::array<QuadVertex, 4> MakeQuad(int32_t width, int32_t height) {
  const float right = static_cast<float>(static_cast<double>(width) - 0.5);
  const float bottom = static_cast<float>(static_cast<double>(height) - 0.5);
  return {{
      {-0.5f, -0.5f, 0.0f, 1.0f, 0.0f, 0.0f},
      {right, -0.5f, 0.0f, 1.0f, 1.0f, 0.0f},
      {-0.5f, bottom, 0.0f, 1.0f, 0.0f, 1.0f},
      {right, bottom, 0.0f, 1.0f, 1.0f, 1.0f},
  }};
}

bool DeviceCreationSucceeded(int32_t result) { return result == 0 || result == d3d9::kDeviceLost; }

DeviceCheck DecideDeviceCheck(int32_t cooperativeLevel) {
  switch (cooperativeLevel) {
    case d3d9::kDeviceLost:
      return DeviceCheck::DropTextureAndSkip;
    case d3d9::kDeviceNotReset:
      return DeviceCheck::DropTextureAndReset;
    default:
      return DeviceCheck::Draw;
  }
}
