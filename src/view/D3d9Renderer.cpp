#include "view/D3d9Renderer.h"

#include "enginehost/WkeApi.h"
#include "view/LockedPixels.h"

namespace {

using Direct3DCreate9Function = IDirect3D9*(WINAPI*)(UINT sdkVersion);

// Render states by their published numbers: the alpha of the source is taken
// for the alpha channel only (SRCBLENDALPHA, not SRCBLEND).
constexpr D3DRENDERSTATETYPE kAlphaBlendEnable = static_cast<D3DRENDERSTATETYPE>(27);
constexpr D3DRENDERSTATETYPE kSourceBlendAlpha = static_cast<D3DRENDERSTATETYPE>(207);
constexpr D3DRENDERSTATETYPE kDestinationBlend = static_cast<D3DRENDERSTATETYPE>(20);

}  // namespace

D3d9Renderer::~D3d9Renderer() { Release(); }

D3DPRESENT_PARAMETERS D3d9Renderer::MakePresentParameters(HWND window) const {
  const PresentParameterValues values;
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = values.backBufferWidth;
  parameters.BackBufferHeight = values.backBufferHeight;
  parameters.BackBufferFormat = static_cast<D3DFORMAT>(values.backBufferFormat);
  parameters.BackBufferCount = values.backBufferCount;
  parameters.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(values.multiSampleType);
  parameters.MultiSampleQuality = values.multiSampleQuality;
  parameters.SwapEffect = static_cast<D3DSWAPEFFECT>(values.swapEffect);
  parameters.hDeviceWindow = window;
  parameters.Windowed = values.windowed;
  parameters.EnableAutoDepthStencil = values.enableAutoDepthStencil;
  parameters.AutoDepthStencilFormat = static_cast<D3DFORMAT>(values.autoDepthStencilFormat);
  parameters.Flags = values.flags;
  parameters.FullScreen_RefreshRateInHz = values.fullScreenRefreshRate;
  parameters.PresentationInterval = values.presentationInterval;
  return parameters;
}

bool D3d9Renderer::Init(HWND window) {
  window_ = window;
  // Loaded for the life of the process: the device and its driver live in it.
  const HMODULE module = LoadLibraryA("d3d9.dll");
  if (!module) return false;
  const auto create =
      reinterpret_cast<Direct3DCreate9Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, "Direct3DCreate9")));
  if (!create) return false;
  direct3D_.Attach(create(d3d9::kSdkVersion));
  if (!direct3D_) return false;

  D3DPRESENT_PARAMETERS parameters = MakePresentParameters(window);
  HRESULT result = direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetParent(window),
                                           d3d9::kHardwareVertexFlags, &parameters, device_.Put());
  if (!DeviceCreationSucceeded(result)) {
    result = direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetParent(window),
                                     d3d9::kSoftwareVertexFlags, &parameters, device_.Put());
    if (!DeviceCreationSucceeded(result)) return false;
  }
  // Device creation filled in the window's client size.
  Resize(static_cast<int>(parameters.BackBufferWidth), static_cast<int>(parameters.BackBufferHeight));
  return true;
}

void D3d9Renderer::Release() {
  texture_.Reset();
  device_.Reset();
  direct3D_.Reset();
}

void D3d9Renderer::Resize(int width, int height) {
  // The view sizes its renderer at every repaint; resetting the device for an
  // unchanged size would throw the texture away every frame.
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  vertices_ = MakeQuad(width, height);
  if (device_) {
    D3DPRESENT_PARAMETERS parameters = MakePresentParameters(window_);
    // While the old texture lives this reset fails; the next frame's device
    // check then resets the device without it.
    device_->Reset(&parameters);
  }
  texture_.Reset();
}

bool D3d9Renderer::CheckDevice() {
  switch (DecideDeviceCheck(device_->TestCooperativeLevel())) {
    case DeviceCheck::DropTextureAndSkip:
      texture_.Reset();
      return false;
    case DeviceCheck::DropTextureAndReset: {
      texture_.Reset();
      D3DPRESENT_PARAMETERS parameters = MakePresentParameters(window_);
      return SUCCEEDED(device_->Reset(&parameters));
    }
    case DeviceCheck::Draw:
      break;
  }
  return true;
}

bool D3d9Renderer::UpdateTexture(WkeView webView) {
  if (!texture_) {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    if (FAILED(device_->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                      texture_.Put(), nullptr))) {
      texture_.Reset();
      return false;
    }
    textureWidth_ = width;
    textureHeight_ = height;
    // A new texture holds nothing yet: the whole view is painted into it.
    wkeSetDirty(webView, true);
  }
  if (!wkeIsDirty(webView)) return true;

  D3DLOCKED_RECT locked{};
  if (FAILED(texture_->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD)) || !locked.pBits) return true;
  const LockedPixels surface{static_cast<uint64_t>(locked.Pitch < 0 ? 0 : locked.Pitch) * textureHeight_,
                             locked.Pitch, textureWidth_, textureHeight_};
  const bool fits = PictureFits(surface, wkeGetWidth(webView), wkeGetHeight(webView));
  if (fits) wkePaint2(webView, locked.pBits, locked.Pitch);
  texture_->UnlockRect(0);
  if (!fits) {
    // The engine's view and the texture disagree on the size: make the
    // texture again from the client area rather than paint past it.
    texture_.Reset();
    return false;
  }
  return true;
}

void D3d9Renderer::Render(WkeView webView) {
  // Device creation may have reported a lost device without giving one.
  if (!device_) return;
  if (!CheckDevice() || !UpdateTexture(webView)) return;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 128, 128, 64), 1.0f, 0);
  if (FAILED(device_->BeginScene())) return;
  device_->SetTexture(0, texture_.Get());
  device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device_->SetRenderState(kAlphaBlendEnable, TRUE);
  device_->SetRenderState(kSourceBlendAlpha, D3DBLEND_SRCALPHA);
  device_->SetRenderState(kDestinationBlend, D3DBLEND_INVSRCALPHA);
  static_assert(sizeof vertices_ == 96, "the strip is one contiguous buffer of four vertices");
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices_.data(), sizeof(QuadVertex));
  device_->EndScene();
  device_->Present(nullptr, nullptr, nullptr, nullptr);
}
