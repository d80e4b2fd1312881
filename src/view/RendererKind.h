// Which drawing back end a view gets, and the row arithmetic of a 32-bit DIB.
#pragma once
#include <cstdint>

enum class RendererKind : int { Gdi = 0, Direct2D = 1, Direct3D9 = 2 };

// Asked for when the caller names no kind.
constexpr int kDefaultRendererKind = 2;

// 0, 1 and 2 name their back ends; any other number gets the GDI one.
RendererKind ChooseRendererKind(int requested);

// Bytes in one row of a 32-bit DIB of that width, rounded up to whole 32-bit words.
int32_t DibStride(int32_t width);
// Bytes of pixels in a 32-bit DIB of that size.
uint32_t DibImageSize(int32_t width, int32_t height);
