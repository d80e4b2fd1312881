#include "view/LockedPixels.h"

bool PictureFits(const LockedPixels& locked, int32_t viewWidth, int32_t viewHeight) {
  if (locked.width <= 0 || locked.height <= 0 || viewWidth < 0 || viewHeight < 0) return false;
  if (viewWidth > locked.width || viewHeight > locked.height) return false;
  const int64_t rowBytes = static_cast<int64_t>(locked.width) * 4;
  if (locked.stride < rowBytes) return false;
  // Every row of the surface, stride bytes each, lies in the buffer.
  return locked.bufferBytes / static_cast<uint64_t>(locked.stride) >= static_cast<uint64_t>(locked.height);
}
