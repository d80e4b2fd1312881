// The Direct2D back end: the engine paints into the memory of a WIC bitmap, and
// each changed frame draws that bitmap at the top-left corner of a render target
// bound to the window. Direct2D is loaded at run time and WIC made through COM
// (the calling thread must have COM started); without either, Init fails and the
// view takes the GDI back end.
#pragma once
#include <d2d1.h>
#include <wincodec.h>

#include <cstdint>

#include "platform/Handles.h"
#include "view/Renderer.h"

class D2dRenderer : public Renderer {
 public:
  D2dRenderer() = default;
  ~D2dRenderer() override;

  bool Init(HWND window) override;
  void Release() override;
  void Resize(int width, int height) override;
  void Render(WkeView webView) override;

  // What the renderer holds, without a reference; for looking at a frame.
  ID2D1Factory* Factory() const { return d2dFactory_.Get(); }
  IWICImagingFactory* WicFactory() const { return wicFactory_.Get(); }
  IWICBitmap* WicBitmap() const { return wicBitmap_.Get(); }
  ID2D1HwndRenderTarget* RenderTarget() const { return renderTarget_.Get(); }

 private:
  // Replaces the WIC bitmap by one of the current size; false when none could be made.
  bool CreateWicBitmap();
  // 0 when the factory was made; 1 without the library, 2 without its entry,
  // otherwise the factory's failure.
  HRESULT MakeFactory();

  HWND window_ = nullptr;
  ComPtr<ID2D1Factory> d2dFactory_;
  ComPtr<IWICImagingFactory> wicFactory_;
  ComPtr<IWICBitmap> wicBitmap_;
  ComPtr<ID2D1HwndRenderTarget> renderTarget_;
  // Where the WIC bitmap's memory was last locked; null means the next frame
  // makes a new bitmap. Only a mark: each frame locks the bitmap again.
  void* pixels_ = nullptr;
  uint32_t pixelsSize_ = 0;
  int width_ = 0;
  int height_ = 0;
};
