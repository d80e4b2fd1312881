// The view's drawing back end: it puts the engine's picture into the host window.
// The base renderer draws nothing and cannot start; a view holds one until it is
// created.
#pragma once
#include <windows.h>

#include <memory>

#include "enginehost/WkeTypes.h"

class Renderer {
 public:
  Renderer() = default;
  // Frees what the renderer still holds.
  virtual ~Renderer() = default;
  // Renderers own drawing resources and are made by kind instead of copied.
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Prepares drawing into `window`; false when this back end cannot draw there.
  virtual bool Init(HWND window);
  // Frees the drawing resources; may run more than once. The renderer is not
  // started again afterwards.
  virtual void Release();
  // The client area's new size in pixels.
  virtual void Resize(int width, int height);
  // Puts the engine's picture of webView into the window when it has changed.
  virtual void Render(WkeView webView);
};

// A new renderer of the kind: 0 GDI, 1 Direct2D, 2 Direct3D 9, any other GDI.
std::unique_ptr<Renderer> MakeRenderer(int kind);

using RendererFactory = std::unique_ptr<Renderer> (*)(int kind);

// The renderer step of a view's creation: `renderer` is replaced by a new one of
// the kind and started on `window`; if it cannot start, it is released and a GDI
// renderer replaces it (whether that one starts is not looked at).
void ChooseRenderer(std::unique_ptr<Renderer>& renderer, int kind, HWND window,
                    RendererFactory make = MakeRenderer);
