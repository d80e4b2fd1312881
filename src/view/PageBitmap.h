// The bitmap file of a whole page picture: a 14-byte file header, a 40-byte info
// header and the engine's 32-bit pixels, rows top-down, exactly as painted. No
// Windows header.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace pagebitmap {

constexpr uint32_t kHeaderBytes = 54;
// A picture larger than this is not taken: two buffers of it are needed at once,
// and a 32-bit process has little more than a gigabyte of room for both.
constexpr uint32_t kMaxPixelBytes = 256u << 20;

// width × height × 4, the pixel bytes of a picture of that size; nothing when a
// size is negative or the bytes would exceed `limit` (which also keeps the file
// size, 54 more, inside 32 bits).
std::optional<uint32_t> PixelBytes(int32_t width, int32_t height, uint32_t limit = kMaxPixelBytes);

// The two headers, little-endian and packed: "BM", file size 54 + pixelBytes,
// pixels at 54; width, height negated (top row first), one plane, 32 bits, no
// compression, image size pixelBytes, 3780 pixels per metre both ways.
std::array<uint8_t, kHeaderBytes> Headers(int32_t width, int32_t height, uint32_t pixelBytes);

}  // namespace pagebitmap
