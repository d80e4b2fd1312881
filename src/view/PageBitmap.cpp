#include "view/PageBitmap.h"

namespace pagebitmap {
namespace {

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

}  // namespace

std::optional<uint32_t> PixelBytes(int32_t width, int32_t height, uint32_t limit) {
  if (width < 0 || height < 0) return std::nullopt;
  // Both factors are below 2^31, so the product of three fits 64 bits.
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
  if (bytes > limit || bytes > 0xFFFFFFFFull - kHeaderBytes) return std::nullopt;
  return static_cast<uint32_t>(bytes);
}

std::array<uint8_t, kHeaderBytes> Headers(int32_t width, int32_t height, uint32_t pixelBytes) {
  std::array<uint8_t, kHeaderBytes> out{};
  uint8_t* file = out.data();
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, kHeaderBytes + pixelBytes);
  Put16(file + 6, 0);
  Put16(file + 8, 0);
  Put32(file + 10, kHeaderBytes);

  uint8_t* info = file + 14;
  Put32(info + 0, 40);
  Put32(info + 4, static_cast<uint32_t>(width));
  Put32(info + 8, static_cast<uint32_t>(-static_cast<int64_t>(height)));
  Put16(info + 12, 1);
  Put16(info + 14, 32);
  Put32(info + 16, 0);
  Put32(info + 20, pixelBytes);
  Put32(info + 24, kPixelsPerMetre);
  Put32(info + 28, kPixelsPerMetre);
  Put32(info + 32, 0);
  Put32(info + 36, 0);
  return out;
}

}  // namespace pagebitmap
