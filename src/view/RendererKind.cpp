#include "view/RendererKind.h"

RendererKind ChooseRendererKind(int requested) {
  switch (requested) {
    case 1:
      return RendererKind::Direct2D;
    case 2:
      return RendererKind::Direct3D9;
    default:
      return RendererKind::Gdi;
  }
}

int32_t DibStride(int32_t width) { return ((width * 32 + 31) >> 5) << 2; }

uint32_t DibImageSize(int32_t width, int32_t height) {
  return static_cast<uint32_t>(DibStride(width)) * static_cast<uint32_t>(height < 0 ? -height : height);
}
