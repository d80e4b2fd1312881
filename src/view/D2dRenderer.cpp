#include "view/D2dRenderer.h"

#include "enginehost/WkeApi.h"
#include "view/LockedPixels.h"

namespace {

using D2D1CreateFactoryFunction = HRESULT(WINAPI*)(D2D1_FACTORY_TYPE type, REFIID iid,
                                                   const D2D1_FACTORY_OPTIONS* options, void** factory);

GUID GuidFromText(const wchar_t* text) {
  GUID guid{};
  CLSIDFromString(text, &guid);
  return guid;
}

const GUID& IidD2d1Factory() {
  static const GUID guid = GuidFromText(L"{06152247-6f50-465a-9245-118bfd3b6007}");
  return guid;
}
const GUID& ClsidWicImagingFactory() {
  static const GUID guid = GuidFromText(L"{CACAF262-9370-4615-A13B-9F5539DA4C0A}");
  return guid;
}
const GUID& IidWicImagingFactory() {
  static const GUID guid = GuidFromText(L"{ec5ec8a9-c395-4314-9c77-54d7a935ff70}");
  return guid;
}
const GUID& Wic32bppPbgra() {
  static const GUID guid = GuidFromText(L"{6FDDC324-4E03-4BFE-B185-3D77768DC910}");
  return guid;
}

}  // namespace

D2dRenderer::~D2dRenderer() { Release(); }

HRESULT D2dRenderer::MakeFactory() {
  OwnedModule module(LoadLibraryA("D2d1.dll"));
  if (!module) return 1;
  const auto create = reinterpret_cast<D2D1CreateFactoryFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(module.Get(), "D2D1CreateFactory")));
  if (!create) return 2;
  D2D1_FACTORY_OPTIONS options{};
  options.debugLevel = D2D1_DEBUG_LEVEL_NONE;
  const HRESULT result =
      create(D2D1_FACTORY_TYPE_SINGLE_THREADED, IidD2d1Factory(), &options, d2dFactory_.PutVoid());
  if (result != S_OK) {
    d2dFactory_.Reset();
    return result;
  }
  // The factory's code lives in the library: it stays loaded.
  module.Release();
  return S_OK;
}

bool D2dRenderer::Init(HWND window) {
  window_ = window;
  if (MakeFactory() != S_OK) return false;
  if (FAILED(CoCreateInstance(ClsidWicImagingFactory(), nullptr, CLSCTX_INPROC_SERVER, IidWicImagingFactory(),
                              wicFactory_.PutVoid()))) {
    wicFactory_.Reset();
    d2dFactory_.Reset();
    return false;
  }
  RECT client{};
  GetClientRect(window, &client);
  const D2D1_RENDER_TARGET_PROPERTIES targetProperties{};  // defaults throughout
  D2D1_HWND_RENDER_TARGET_PROPERTIES windowProperties{};
  windowProperties.hwnd = window;
  windowProperties.pixelSize = D2D1::SizeU(static_cast<UINT32>(client.right), static_cast<UINT32>(client.bottom));
  windowProperties.presentOptions = D2D1_PRESENT_OPTIONS_NONE;
  if (FAILED(d2dFactory_->CreateHwndRenderTarget(&targetProperties, &windowProperties, renderTarget_.Put()))) {
    renderTarget_.Reset();
    d2dFactory_.Reset();
    wicFactory_.Reset();
    return false;
  }
  Resize(client.right, client.bottom);
  return true;
}

void D2dRenderer::Release() {
  wicBitmap_.Reset();
  renderTarget_.Reset();
  d2dFactory_.Reset();
  wicFactory_.Reset();
}

void D2dRenderer::Resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  pixels_ = nullptr;
  if (renderTarget_) renderTarget_->Resize(D2D1::SizeU(static_cast<UINT32>(width), static_cast<UINT32>(height)));
}

bool D2dRenderer::CreateWicBitmap() {
  wicBitmap_.Reset();
  if (!wicFactory_) return false;
  const HRESULT result = wicFactory_->CreateBitmap(static_cast<UINT>(width_), static_cast<UINT>(height_),
                                                   Wic32bppPbgra(), WICBitmapCacheOnLoad, wicBitmap_.Put());
  if (FAILED(result)) wicBitmap_.Reset();
  return SUCCEEDED(result);
}

void D2dRenderer::Render(WkeView webView) {
  if (!wkeIsDirty(webView)) return;
  if (!pixels_) CreateWicBitmap();
  if (!wicBitmap_) return;

  const WICRect whole{0, 0, width_, height_};
  ComPtr<IWICBitmapLock> lock;
  if (FAILED(wicBitmap_->Lock(&whole, WICBitmapLockRead | WICBitmapLockWrite, lock.Put()))) return;
  UINT size = 0;
  BYTE* data = nullptr;
  UINT stride = 0;
  if (FAILED(lock->GetDataPointer(&size, &data)) || !data || FAILED(lock->GetStride(&stride))) {
    pixels_ = nullptr;
    return;
  }
  pixels_ = data;
  pixelsSize_ = size;
  // The engine writes its rows `stride` apart; they must all lie in what the lock gave.
  if (!PictureFits(LockedPixels{size, stride, width_, height_}, wkeGetWidth(webView), wkeGetHeight(webView))) {
    pixels_ = nullptr;
    return;
  }
  wkePaint2(webView, data, static_cast<int>(stride));
  lock.Reset();

  ComPtr<ID2D1Bitmap> bitmap;
  if (!renderTarget_ || FAILED(renderTarget_->CreateBitmapFromWicBitmap(wicBitmap_.Get(), nullptr, bitmap.Put()))) {
    pixels_ = nullptr;
    return;
  }
  renderTarget_->BeginDraw();
  renderTarget_->DrawBitmap(bitmap.Get(), nullptr, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr);
  renderTarget_->EndDraw(nullptr, nullptr);
}
