#include "view/Renderer.h"

#include "view/D2dRenderer.h"
#include "view/D3d9Renderer.h"
#include "view/GdiRenderer.h"
#include "view/RendererKind.h"

bool Renderer::Init(HWND) { return false; }

void Renderer::Release() {}

void Renderer::Resize(int, int) {}

void Renderer::Render(WkeView) {}

std::unique_ptr<Renderer> MakeRenderer(int kind) {
  switch (ChooseRendererKind(kind)) {
    case RendererKind::Gdi:
      return std::make_unique<GdiRenderer>();
    case RendererKind::Direct2D:
      return std::make_unique<D2dRenderer>();
    case RendererKind::Direct3D9:
      return std::make_unique<D3d9Renderer>();
  }
  return std::make_unique<GdiRenderer>();
}

void ChooseRenderer(std::unique_ptr<Renderer>& renderer, int kind, HWND window, RendererFactory make) {
  renderer = make(kind);
  if (renderer->Init(window)) return;
  renderer->Release();
  renderer = make(static_cast<int>(RendererKind::Gdi));
  renderer->Init(window);
}
