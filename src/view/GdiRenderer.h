// The GDI back end: the engine paints into a 32-bit top-down DIB section selected
// into a memory DC, which is copied to the window's client area at (0, 0). It
// draws only when the engine reports a change.
#pragma once
#include "platform/Handles.h"
#include "view/Renderer.h"

class GdiRenderer : public Renderer {
 public:
  GdiRenderer() = default;
  ~GdiRenderer() override;

  bool Init(HWND window) override;
  void Release() override;
  void Resize(int width, int height) override;
  void Render(WkeView webView) override;

 private:
  // Builds the DIB at the current size and selects it; on failure `bits_` stays null.
  void CreateDib();

  HWND window_ = nullptr;
  OwnedDc memoryDC_;
  GdiObject dib_;
  HGDIOBJ firstBitmap_ = nullptr;  // the memory DC's own bitmap, put back before the DIB is deleted
  void* bits_ = nullptr;           // null: the DIB must be built before the next drawing
  int width_ = 0;
  int height_ = 0;
};
