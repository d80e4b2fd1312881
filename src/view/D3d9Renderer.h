// The Direct3D 9 back end: the engine paints into a dynamic texture of the
// window's size, and every frame draws it as one screen-aligned quad and
// presents. Direct3D 9 is loaded at run time; without it, or without a device,
// Init fails and the view takes the GDI back end.
#pragma once
#include <d3d9.h>

#include <array>

#include "platform/Handles.h"
#include "view/D3d9Setup.h"
#include "view/Renderer.h"

class D3d9Renderer : public Renderer {
 public:
  D3d9Renderer() = default;
  ~D3d9Renderer() override;

  bool Init(HWND window) override;
  void Release() override;
  void Resize(int width, int height) override;
  void Render(WkeView webView) override;

  // What the renderer holds, without a reference; for reading back a frame.
  IDirect3D9* Direct3D() const { return direct3D_.Get(); }
  IDirect3DDevice9* Device() const { return device_.Get(); }
  IDirect3DTexture9* Texture() const { return texture_.Get(); }

 private:
  D3DPRESENT_PARAMETERS MakePresentParameters(HWND window) const;
  // May this frame be drawn? Drops the texture of a lost device, and resets a
  // device that may be reset.
  bool CheckDevice();
  // Makes the texture when there is none and has the engine paint into it when
  // the view has changed; false when the frame cannot be drawn.
  bool UpdateTexture(WkeView webView);

  HWND window_ = nullptr;
  ComPtr<IDirect3D9> direct3D_;
  ComPtr<IDirect3DDevice9> device_;
  ComPtr<IDirect3DTexture9> texture_;  // null: the next frame makes one
  std::array<QuadVertex, 4> vertices_{};
  int width_ = 0;  // the size the quad was built for
  int height_ = 0;
  int textureWidth_ = 0;  // the size the texture was made at
  int textureHeight_ = 0;
};
