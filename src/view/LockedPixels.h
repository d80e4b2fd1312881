// Whether the engine may paint its picture into locked pixel memory: the rows
// it writes must lie inside what the lock handed out, whatever the lock's
// stride and whatever size the engine's view has.
#pragma once
#include <cstdint>

struct LockedPixels {
  uint64_t bufferBytes;  // bytes the lock reports (or guarantees) from the first row on
  int64_t stride;        // bytes from one row to the next
  int32_t width;         // pixels of the locked surface
  int32_t height;
};

// True when a 32-bit picture of viewWidth × viewHeight, rows `stride` apart,
// fits into the locked surface and its buffer.
bool PictureFits(const LockedPixels& locked, int32_t viewWidth, int32_t viewHeight);
