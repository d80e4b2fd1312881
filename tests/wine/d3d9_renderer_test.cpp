// The Direct3D 9 back end against the stand-in engine and Wine's Direct3D: what
// it draws (read back from the device, since a child window's drawing does not
// reach this display, and from the screen for a top-level window), the texture's
// life, a picture that would not fit, and releasing.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "picture_support.h"
#include "test_window.h"
#include "view/D3d9Renderer.h"
#include "view/RendererKind.h"
#include "view/Renderer.h"

namespace {

using engine_test::CallLog;
using engine_test::ClearLog;
using engine_test::ScopedView;
using picture_test::At;

constexpr int kLeft = 60;
constexpr int kTop = 60;
constexpr int kWidth = 600;
constexpr int kHeight = 360;

// A child host in a top-level stage, as the program's shape box is.
HWND ChildHost() {
  static OwnedWindow stage(MakeTestWindow(L"D3d9Stage", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft,
                                          kTop, 800, 400));
  static OwnedWindow host(
      MakeTestWindow(L"D3d9ChildHost", 0, WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, stage.Get()));
  engine_test::Pump();
  return host.Get();
}

// A top-level window, whose Direct3D drawing does reach the screen here.
HWND TopLevelHost() {
  static OwnedWindow window(MakeTestWindow(L"D3d9TopLevel", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, kLeft, kTop + 420,
                                           kWidth, kHeight));
  engine_test::Pump();
  return window.Get();
}

// The device's back buffer, copied into system memory.
std::vector<uint32_t> BackBuffer(IDirect3DDevice9* device, int* width = nullptr, int* height = nullptr) {
  std::vector<uint32_t> pixels;
  ComPtr<IDirect3DSurface9> back;
  if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Put()))) return pixels;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  if (width) *width = static_cast<int>(desc.Width);
  if (height) *height = static_cast<int>(desc.Height);
  ComPtr<IDirect3DSurface9> copy;
  if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy.Put(),
                                                 nullptr)) ||
      FAILED(device->GetRenderTargetData(back.Get(), copy.Get()))) {
    return pixels;
  }
  D3DLOCKED_RECT locked{};
  if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
  pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) pixels[static_cast<size_t>(y) * desc.Width + x] = row[x] & 0x00FFFFFFu;
  }
  copy->UnlockRect();
  return pixels;
}

// Present discards the back buffer, and a child window's presented picture does
// not reach this display. So while a spy is in scope, every Present of any
// device first copies the back buffer it is about to show.
class PresentSpy {
 public:
  explicit PresentSpy(IDirect3DDevice9* device) {
    if (!device) return;
    slot_ = *reinterpret_cast<void***>(device) + kPresentSlot;
    DWORD old = 0;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    original_ = reinterpret_cast<PresentFunction>(*slot_);
    *slot_ = reinterpret_cast<void*>(&Spy);
    VirtualProtect(slot_, sizeof(void*), old, &old);
    Shown().clear();
    Count() = 0;
  }
  ~PresentSpy() {
    if (!slot_) return;
    DWORD old = 0;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
    *slot_ = reinterpret_cast<void*>(original_);
    VirtualProtect(slot_, sizeof(void*), old, &old);
  }
  PresentSpy(const PresentSpy&) = delete;
  PresentSpy& operator=(const PresentSpy&) = delete;

  // The picture of the last Present, and how many Presents there were.
  static std::vector<uint32_t>& Shown() {
    static std::vector<uint32_t> shown;
    return shown;
  }
  static int& Count() {
    static int count = 0;
    return count;
  }

 private:
  using PresentFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, const RECT*, const RECT*, HWND,
                                                      const RGNDATA*);
  static constexpr int kPresentSlot = 17;  // after IUnknown's 3 and the device's 14 methods before it

  static HRESULT STDMETHODCALLTYPE Spy(IDirect3DDevice9* device, const RECT* source, const RECT* destination,
                                       HWND window, const RGNDATA* dirty) {
    Shown() = BackBuffer(device);
    ++Count();
    return original_(device, source, destination, window, dirty);
  }

  void** slot_ = nullptr;
  static inline PresentFunction original_ = nullptr;
};

void TextureSize(IDirect3DTexture9* texture, int* width, int* height) {
  D3DSURFACE_DESC desc{};
  if (texture) texture->GetLevelDesc(0, &desc);
  *width = static_cast<int>(desc.Width);
  *height = static_cast<int>(desc.Height);
}

TEST(InitMakesAWindowedDeviceOfTheClientSize) {
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  CHECK(renderer.Direct3D() != nullptr);
  REQUIRE(renderer.Device() != nullptr);
  CHECK(renderer.Texture() == nullptr);  // made by the first frame
  ComPtr<IDirect3DSwapChain9> chain;
  CHECK_EQ(renderer.Device()->GetSwapChain(0, chain.Put()), S_OK);
  D3DPRESENT_PARAMETERS p{};
  if (chain) chain->GetPresentParameters(&p);
  CHECK_EQ(p.BackBufferWidth, static_cast<UINT>(kWidth));
  CHECK_EQ(p.BackBufferHeight, static_cast<UINT>(kHeight));
  CHECK_EQ(static_cast<int>(p.BackBufferFormat), static_cast<int>(D3DFMT_X8R8G8B8));
  CHECK_EQ(p.BackBufferCount, 1u);
  CHECK_EQ(static_cast<int>(p.SwapEffect), static_cast<int>(D3DSWAPEFFECT_DISCARD));
  CHECK(p.hDeviceWindow == ChildHost());
  CHECK(p.Windowed);
  CHECK(p.EnableAutoDepthStencil);
  CHECK_EQ(static_cast<int>(p.AutoDepthStencilFormat), static_cast<int>(D3DFMT_D24X8));
  CHECK_EQ(p.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
  renderer.Release();
}

TEST(TheFirstFrameMakesTheTextureAndDrawsTheWholePicture) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), kWidth, kHeight);
  CHECK(!wkeIsDirty(view.Get()));  // nothing pending: the new texture alone must ask for a paint
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  const PresentSpy spy(renderer.Device());
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L"wkeSetDirty(#");
  CHECK_LOG_HAS(log, L"wkePaint2(#");
  CHECK(picture_test::LastPaintPitch(log) >= kWidth * 4);  // the texture's own pitch, not 0
  int width = 0, height = 0;
  TextureSize(renderer.Texture(), &width, &height);
  CHECK_EQ(width, kWidth);
  CHECK_EQ(height, kHeight);

  CHECK_EQ(PresentSpy::Count(), 1);
  const std::vector<uint32_t> drawn = PresentSpy::Shown();
  CHECK_SAME_PICTURE(drawn, picture, kWidth);
  CHECK_EQ(At(drawn, kWidth, 590, 10), picture_test::kHeaderColour);
  CHECK_EQ(At(drawn, kWidth, 590, 300), picture_test::kBackgroundColour);
  CHECK_EQ(At(drawn, kWidth, 300, 150), picture_test::kMouseColour);
  renderer.Release();
}

TEST(ATopLevelWindowShowsThePictureOnTheScreen) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), kWidth, kHeight);
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(TopLevelHost()));
  const std::vector<uint32_t> screen =
      picture_test::ShownOnScreen(renderer, view.Get(), picture, kLeft, kTop + 420, kWidth, kHeight);
  CHECK_SAME_PICTURE(screen, picture, kWidth);
  renderer.Release();
}

TEST(ACleanViewIsNotPaintedAgainButEveryFrameIsDrawn) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  const PresentSpy spy(renderer.Device());
  renderer.Render(view.Get());
  const std::vector<uint32_t> first = PresentSpy::Shown();
  // Wipe the back buffer: a frame of a clean view must draw the picture again.
  renderer.Device()->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 255, 0), 1.0f, 0);
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L") -> false");
  CHECK_LOG_LACKS(log, L"wkePaint2");
  CHECK_EQ(PresentSpy::Count(), 2);
  CHECK_SAME_PICTURE(PresentSpy::Shown(), first, kWidth);
  renderer.Release();
}

TEST(AChangedViewIsPaintedIntoTheSameTexture) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  const PresentSpy spy(renderer.Device());
  renderer.Render(view.Get());
  IDirect3DTexture9* const texture = renderer.Texture();
  wkeFireMouseEvent(view.Get(), WM_MOUSEMOVE, 100, 300, 0);
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), kWidth, kHeight);
  wkeSetDirty(view.Get(), true);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
  CHECK(renderer.Texture() == texture);
  const std::vector<uint32_t> drawn = PresentSpy::Shown();
  CHECK_SAME_PICTURE(drawn, picture, kWidth);
  CHECK_EQ(At(drawn, kWidth, 100, 300), picture_test::kMouseColour);
  renderer.Release();
}

TEST(ResizeDropsTheTextureAndTheNextFrameDrawsAtTheNewSize) {
  const HWND host = ChildHost();
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(host));
  const PresentSpy spy(renderer.Device());
  renderer.Render(view.Get());
  CHECK(renderer.Texture() != nullptr);

  // The same size changes nothing: the texture stays.
  renderer.Resize(kWidth, kHeight);
  CHECK(renderer.Texture() != nullptr);

  SetWindowPos(host, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  wkeResize(view.Get(), 400, 300);
  renderer.Resize(400, 300);
  CHECK(renderer.Texture() == nullptr);
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), 400, 300);
  // The reset in Resize met the old texture; this frame's device check resets
  // the device again and draws.
  renderer.Render(view.Get());
  int width = 0, height = 0;
  TextureSize(renderer.Texture(), &width, &height);
  CHECK_EQ(width, 400);
  CHECK_EQ(height, 300);
  BackBuffer(renderer.Device(), &width, &height);
  CHECK_EQ(width, 400);
  CHECK_EQ(height, 300);
  CHECK_SAME_PICTURE(PresentSpy::Shown(), picture, 400);
  renderer.Release();
  SetWindowPos(host, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST(AViewLargerThanTheTextureIsNotPaintedIntoIt) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  const PresentSpy spy(renderer.Device());
  renderer.Render(view.Get());
  // The engine's view grows without the renderer being told.
  wkeResize(view.Get(), 900, 700);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
  CHECK(renderer.Texture() == nullptr);  // made again from the client area next time
  CHECK(wkeIsDirty(view.Get()));
  // Back at the client size, the next frame paints.
  wkeResize(view.Get(), kWidth, kHeight);
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), kWidth, kHeight);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
  CHECK_SAME_PICTURE(PresentSpy::Shown(), picture, kWidth);
  renderer.Release();
}

TEST(TwoReleasesReleaseEachInterfaceOnce) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D3d9Renderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  const PresentSpy spy(renderer.Device());
  renderer.Render(view.Get());
  IDirect3DTexture9* const texture = renderer.Texture();
  IDirect3DDevice9* const device = renderer.Device();
  IDirect3D9* const direct3D = renderer.Direct3D();
  REQUIRE(texture && device && direct3D);
  texture->AddRef();
  device->AddRef();
  direct3D->AddRef();
  renderer.Release();
  renderer.Release();
  CHECK(renderer.Texture() == nullptr);
  CHECK(renderer.Device() == nullptr);
  CHECK(renderer.Direct3D() == nullptr);
  // Ours are the last references: the renderer gave each of its own back once.
  CHECK_EQ(texture->Release(), 0ul);
  CHECK_EQ(device->Release(), 0ul);
  CHECK_EQ(direct3D->Release(), 0ul);
}

TEST(WithoutADeviceRenderTouchesNothing) {
  ScopedView view(kWidth, kHeight);
  wkeSetDirty(view.Get(), true);
  D3d9Renderer never;  // never started
  ClearLog();
  never.Render(view.Get());
  never.Resize(300, 200);
  never.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wke");
  D3d9Renderer released;
  CHECK(released.Init(ChildHost()));
  released.Release();
  released.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wke");
}

TEST(KindTwoAndTheDefaultChooseDirect3D) {
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, 2, ChildHost());
  CHECK(dynamic_cast<D3d9Renderer*>(renderer.get()) != nullptr);
  renderer->Release();
  CHECK(dynamic_cast<D3d9Renderer*>(MakeRenderer(kDefaultRendererKind).get()) != nullptr);
}

}  // namespace


CHECK_MAIN()
