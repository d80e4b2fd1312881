// Run with the system's d3d9 or d2d1 library disabled by a Wine DLL override,
// or with a d3d9.dll that lacks Direct3DCreate9 (loaded from broken-d3d9 beside
// the program, with Wine told to prefer it to its own):
//   renderer_fallback_test.exe d3d9|d2d1|d3d9-without-entry
// The back end that needs the library cannot start, a view asking for it gets
// the GDI back end and shows the page, and the other back end still starts.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "enginehost/EngineView.h"
#include "picture_support.h"
#include "test_window.h"
#include "view/D2dRenderer.h"
#include "view/D3d9Renderer.h"
#include "view/GdiRenderer.h"
#include "view/Renderer.h"
#include "view_support.h"

namespace {

std::string disabled;  // "d3d9", "d2d1" or "d3d9-without-entry"

bool Direct3DBroken() { return disabled != "d2d1"; }

int DisabledKind() { return Direct3DBroken() ? 2 : 1; }

std::unique_ptr<Renderer> DisabledBackEnd() {
  if (Direct3DBroken()) return std::make_unique<D3d9Renderer>();
  return std::make_unique<D2dRenderer>();
}
std::unique_ptr<Renderer> OtherBackEnd() {
  if (Direct3DBroken()) return std::make_unique<D2dRenderer>();
  return std::make_unique<D3d9Renderer>();
}

// Loads the d3d9.dll without an entry from beside the program, so that the
// back end's LoadLibraryA("d3d9.dll") finds it loaded.
bool LoadBrokenDirect3D() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  return LoadLibraryW((folder + L"broken-d3d9\\d3d9.dll").c_str()) != nullptr;
}

TEST(TheLibraryIsMissingOrLacksItsEntry) {
  if (disabled == "d3d9-without-entry") {
    const HMODULE module = GetModuleHandleA("d3d9.dll");
    CHECK(module != nullptr);
    CHECK(GetProcAddress(module, "BrokenD3d9Marker") != nullptr);
    CHECK(GetProcAddress(module, "Direct3DCreate9") == nullptr);
    return;
  }
  const std::wstring name = disabled == "d3d9" ? L"d3d9.dll" : L"d2d1.dll";
  const HMODULE module = LoadLibraryW(name.c_str());
  CHECK(module == nullptr);
  if (module) FreeLibrary(module);
}

TEST(TheBackEndThatNeedsItCannotStart) {
  const OwnedWindow host = view_test::MakeHost(L"FallbackHostA");
  const std::unique_ptr<Renderer> renderer = DisabledBackEnd();
  CHECK(!renderer->Init(host.Get()));
  renderer->Release();
  if (auto* d3d9 = dynamic_cast<D3d9Renderer*>(renderer.get())) {
    CHECK(d3d9->Direct3D() == nullptr && d3d9->Device() == nullptr);
  }
  if (auto* d2d = dynamic_cast<D2dRenderer*>(renderer.get())) {
    CHECK(d2d->Factory() == nullptr && d2d->WicFactory() == nullptr && d2d->RenderTarget() == nullptr);
  }
}

TEST(ChoosingItGivesTheGdiRenderer) {
  const OwnedWindow host = view_test::MakeHost(L"FallbackHostB");
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, DisabledKind(), host.Get());
  CHECK(dynamic_cast<GdiRenderer*>(renderer.get()) != nullptr);
  renderer->Release();
}

TEST(AViewAskingForItShowsThePageThroughGdi) {
  const OwnedWindow host = view_test::MakeHost(L"FallbackHostC");
  EngineView view;
  // The program asks for no kind: that is Direct3D 9.
  CHECK(Direct3DBroken() ? view.Create(host.Get()) : view.Create(host.Get(), DisabledKind()));
  engine_test::ClearLog();
  wkeLoadHTMLW(view.GetWebView(), picture_test::kPage);
  view_test::PumpFor(300);
  // GDI paints with rows of width × 4 bytes: pitch 0.
  CHECK_LOG_HAS(engine_test::CallLog(), L", 0)");
  const std::vector<uint32_t> screen =
      picture_test::ScreenPixels(view_test::kLeft, view_test::kTop, view_test::kWidth, view_test::kHeight);
  const std::vector<uint32_t> picture =
      picture_test::EnginePicture(view.GetWebView(), view_test::kWidth, view_test::kHeight);
  CHECK_SAME_PICTURE(screen, picture, view_test::kWidth);
  CHECK_EQ(picture_test::At(screen, view_test::kWidth, 590, 10), picture_test::kHeaderColour);
  view.Destroy();
}

TEST(TheOtherBackEndStillStarts) {
  const OwnedWindow host = view_test::MakeHost(L"FallbackHostD");
  const std::unique_ptr<Renderer> renderer = OtherBackEnd();
  CHECK(renderer->Init(host.Get()));
  renderer->Release();
}

}  // namespace

int main(int argc, char** argv) {
  disabled = argc > 1 ? argv[1] : "";
  if (disabled != "d3d9" && disabled != "d2d1" && disabled != "d3d9-without-entry") {
    std::printf("usage: renderer_fallback_test d3d9|d2d1|d3d9-without-entry\n");
    return 2;
  }
  if (disabled == "d3d9-without-entry" && !LoadBrokenDirect3D()) {
    std::printf("the d3d9.dll without an entry did not load\n");
    return 1;
  }
  wkeInitialize();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // WIC, for the Direct2D back end
  const int failed = check::RunAll();
  CoUninitialize();
  return failed;
}
