#include "view/GdiRenderer.h"

#include <cstring>

#include "enginehost/WkeApi.h"
#include "view/RendererKind.h"

GdiRenderer::~GdiRenderer() { Release(); }

bool GdiRenderer::Init(HWND window) {
  window_ = window;
  memoryDC_.Reset(CreateCompatibleDC(nullptr));
  if (!memoryDC_) return false;
  RECT rect{};
  GetClientRect(window, &rect);
  Resize(rect.right, rect.bottom);
  return true;
}

void GdiRenderer::Release() {
  // A bitmap still selected into a DC cannot be deleted, so the DC gets its own back first.
  if (dib_) {
    if (memoryDC_ && firstBitmap_) SelectObject(memoryDC_.Get(), firstBitmap_);
    dib_.Reset();
  }
  firstBitmap_ = nullptr;
  memoryDC_.Reset();
  // Nothing may paint into the deleted DIB's memory.
  bits_ = nullptr;
}

void GdiRenderer::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  bits_ = nullptr;
}

void GdiRenderer::Render(WkeView webView) {
  if (!wkeIsDirty(webView)) return;
  if (!bits_) CreateDib();
  if (!bits_) return;
  wkePaint2(webView, bits_, 0);
  const WindowDc windowDc(window_);
  BitBlt(windowDc.Get(), 0, 0, width_, height_, memoryDC_.Get(), 0, 0, SRCCOPY);
}

void GdiRenderer::CreateDib() {
  if (!memoryDC_) return;
  // A header and an (unused) colour table of 256 entries.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info;
  static_assert(sizeof info == 1064, "BITMAPINFO with a 256-entry colour table");
  std::memset(&info, 0, sizeof info);
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width_;
  info.header.biHeight = -height_;  // top row first, as the engine paints
  info.header.biPlanes = 1;
  info.header.biBitCount = 32;
  info.header.biCompression = BI_RGB;
  info.header.biSizeImage = DibImageSize(width_, height_);
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) {
    bits_ = nullptr;
    return;
  }
  const HGDIOBJ previous = SelectObject(memoryDC_.Get(), bitmap.Get());
  if (!firstBitmap_) firstBitmap_ = previous;
  dib_ = std::move(bitmap);  // the old DIB, now deselected, is deleted here
  bits_ = bits;
}
