// The Direct2D back end against the stand-in engine and Wine's Direct2D and WIC:
// the engine's rows in the WIC bitmap at the stride of the lock, what reaches the
// screen of a top-level window, when nothing is drawn, the bitmap's life, a
// picture that would not fit, releasing, and a start without COM.
#include <windows.h>
#include <d2d1.h>
#include <wincodec.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "picture_support.h"
#include "test_window.h"
#include "view/D2dRenderer.h"
#include "view/Renderer.h"

namespace {

using engine_test::CallLog;
using engine_test::ClearLog;
using engine_test::ScopedView;

constexpr int kLeft = 60;
constexpr int kTop = 60;
constexpr int kWidth = 600;
constexpr int kHeight = 360;

// Direct2D's drawing reaches this display in a top-level window only.
HWND TopLevelHost() {
  static OwnedWindow window(
      MakeTestWindow(L"D2dTopLevel", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight));
  engine_test::Pump();
  return window.Get();
}

HWND ChildHost() {
  static OwnedWindow stage(MakeTestWindow(L"D2dStage", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft,
                                          kTop + 420, 800, 400));
  static OwnedWindow host(
      MakeTestWindow(L"D2dChildHost", 0, WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, stage.Get()));
  engine_test::Pump();
  return host.Get();
}

// The WIC bitmap's pixels, read through a lock of its own.
std::vector<uint32_t> BitmapPixels(IWICBitmap* bitmap, UINT* stride = nullptr) {
  std::vector<uint32_t> pixels;
  UINT width = 0, height = 0;
  if (!bitmap || FAILED(bitmap->GetSize(&width, &height))) return pixels;
  const WICRect all{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  ComPtr<IWICBitmapLock> lock;
  if (FAILED(bitmap->Lock(&all, WICBitmapLockRead, lock.Put()))) return pixels;
  UINT size = 0, rowBytes = 0;
  BYTE* data = nullptr;
  lock->GetDataPointer(&size, &data);
  lock->GetStride(&rowBytes);
  if (stride) *stride = rowBytes;
  if (!data) return pixels;
  pixels.resize(static_cast<size_t>(width) * height);
  for (UINT y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * rowBytes);
    for (UINT x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = row[x] & 0x00FFFFFFu;
  }
  return pixels;
}

void BitmapSize(IWICBitmap* bitmap, UINT* width, UINT* height) {
  *width = *height = 0;
  if (bitmap) bitmap->GetSize(width, height);
}

TEST(InitHoldsBothFactoriesAndATargetOfTheWindow) {
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  CHECK(renderer.Factory() != nullptr);
  CHECK(renderer.WicFactory() != nullptr);
  REQUIRE(renderer.RenderTarget() != nullptr);
  CHECK(renderer.WicBitmap() == nullptr);  // made by the first changed frame
  CHECK(renderer.RenderTarget()->GetHwnd() == ChildHost());
  renderer.Release();
}

TEST(TheEnginePaintsItsRowsAtTheStrideOfTheLock) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L"wkePaint2(#");
  UINT stride = 0;
  const std::vector<uint32_t> painted = BitmapPixels(renderer.WicBitmap(), &stride);
  CHECK_EQ(picture_test::LastPaintPitch(log), static_cast<int>(stride));
  CHECK(stride >= static_cast<UINT>(kWidth) * 4);
  wkeSetDirty(view.Get(), true);
  CHECK_SAME_PICTURE(painted, picture_test::EnginePicture(view.Get(), kWidth, kHeight), kWidth);
  renderer.Release();
}

TEST(ATopLevelWindowShowsThePictureOnTheScreen) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  const std::vector<uint32_t> picture = picture_test::EnginePicture(view.Get(), kWidth, kHeight);
  D2dRenderer renderer;
  REQUIRE(renderer.Init(TopLevelHost()));
  const std::vector<uint32_t> screen =
      picture_test::ShownOnScreen(renderer, view.Get(), picture, kLeft, kTop, kWidth, kHeight);
  CHECK_SAME_PICTURE(screen, picture, kWidth);
  CHECK_EQ(picture_test::At(screen, kWidth, 590, 10), picture_test::kHeaderColour);
  CHECK_EQ(picture_test::At(screen, kWidth, 300, 150), picture_test::kMouseColour);
  renderer.Release();
}

TEST(ACleanViewIsNeitherPaintedNorDrawn) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  renderer.Render(view.Get());
  IWICBitmap* const bitmap = renderer.WicBitmap();
  const std::vector<uint32_t> before = BitmapPixels(bitmap);
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L") -> false");
  CHECK_LOG_LACKS(log, L"wkePaint2");
  CHECK(renderer.WicBitmap() == bitmap);
  CHECK(BitmapPixels(bitmap) == before);
  renderer.Release();
}

TEST(ResizeToTheSameSizeKeepsTheBitmapAndAnyOtherDropsIt) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  renderer.Render(view.Get());
  const ComPtr<IWICBitmap> first = [&] {
    ComPtr<IWICBitmap> held;
    if (renderer.WicBitmap()) renderer.WicBitmap()->AddRef();
    held.Attach(renderer.WicBitmap());
    return held;
  }();
  renderer.Resize(kWidth, kHeight);
  wkeSetDirty(view.Get(), true);
  renderer.Render(view.Get());
  CHECK(renderer.WicBitmap() == first.Get());

  renderer.Resize(400, 300);
  wkeResize(view.Get(), 400, 300);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
  CHECK(renderer.WicBitmap() != first.Get());
  UINT width = 0, height = 0;
  BitmapSize(renderer.WicBitmap(), &width, &height);
  CHECK_EQ(width, 400u);
  CHECK_EQ(height, 300u);
  wkeSetDirty(view.Get(), true);
  CHECK_SAME_PICTURE(BitmapPixels(renderer.WicBitmap()), picture_test::EnginePicture(view.Get(), 400, 300), 400);
  renderer.Release();
}

TEST(AViewLargerThanTheBitmapIsNotPaintedIntoIt) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  renderer.Render(view.Get());
  wkeResize(view.Get(), 900, 700);  // the engine's view grows without the renderer being told
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
  CHECK(wkeIsDirty(view.Get()));
  wkeResize(view.Get(), kWidth, kHeight);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
  renderer.Release();
}

TEST(TwoReleasesReleaseEachInterfaceOnce) {
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  D2dRenderer renderer;
  REQUIRE(renderer.Init(ChildHost()));
  renderer.Render(view.Get());
  IWICBitmap* const bitmap = renderer.WicBitmap();
  ID2D1HwndRenderTarget* const target = renderer.RenderTarget();
  ID2D1Factory* const factory = renderer.Factory();
  IWICImagingFactory* const wic = renderer.WicFactory();
  REQUIRE(bitmap && target && factory && wic);
  bitmap->AddRef();
  target->AddRef();
  factory->AddRef();
  wic->AddRef();
  renderer.Release();
  renderer.Release();
  CHECK(!renderer.WicBitmap() && !renderer.RenderTarget() && !renderer.Factory() && !renderer.WicFactory());
  // Ours are the last references: the renderer gave each of its own back once.
  CHECK_EQ(bitmap->Release(), 0ul);
  CHECK_EQ(target->Release(), 0ul);
  CHECK_EQ(factory->Release(), 0ul);
  CHECK_EQ(wic->Release(), 0ul);
  // Released, it paints nothing.
  wkeSetDirty(view.Get(), true);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
}

TEST(WithoutComTheStartFailsAndHoldsNothing) {
  bool started = true;
  bool holdsSomething = true;
  std::thread([&] {
    D2dRenderer renderer;
    started = renderer.Init(ChildHost());
    holdsSomething = renderer.Factory() || renderer.WicFactory() || renderer.RenderTarget();
    renderer.Release();
  }).join();
  CHECK(!started);
  CHECK(!holdsSomething);
}

TEST(KindOneChoosesDirect2D) {
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, 1, ChildHost());
  CHECK(dynamic_cast<D2dRenderer*>(renderer.get()) != nullptr);
  renderer->Release();
}

}  // namespace

int main() {
  // WIC is made through COM, which the program's GUI thread has started.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int failed = check::RunAll();
  CoUninitialize();
  return failed;
}
