// The GDI renderer putting the stand-in engine's picture into a real window, read
// back from the screen; when it draws and when it does not; when the DIB is
// rebuilt; and the choice of a renderer by kind with the fall-back to GDI.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "test_window.h"
#include "engine_support.h"
#include "view/GdiRenderer.h"
#include "view/Renderer.h"

namespace {

using engine_test::CallLog;
using engine_test::ClearLog;
using engine_test::ScopedView;

constexpr int kLeft = 60;
constexpr int kTop = 60;
constexpr int kWidth = 600;
constexpr int kHeight = 360;

HWND TestWindow() {
  static OwnedWindow window(
      MakeTestWindow(L"GdiRendererTest", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight));
  engine_test::Pump();
  return window.Get();
}

// The screen's pixels over the window, as 0x00RRGGBB, top row first.
std::vector<uint32_t> Screenshot(int width = kWidth, int height = kHeight) {
  engine_test::Pump();
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  const WindowDc screen(nullptr);
  const OwnedDc memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const GdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const SelectedObject selected(memory.Get(), bitmap.Get());
  BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), kLeft, kTop, SRCCOPY);
  GdiFlush();
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFFu;
  return pixels;
}

// The stand-in's picture of the view, painted into a buffer of our own.
std::vector<uint32_t> EnginePicture(WkeView view, int width = kWidth, int height = kHeight) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  wkePaint2(view, pixels.data(), 0);
  for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

void FillWindow(HWND window, COLORREF colour) {
  const WindowDc dc(window);
  const RECT all{0, 0, kWidth, kHeight};
  const GdiObject brush(CreateSolidBrush(colour));
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
  GdiFlush();
}

int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, size_t* first) {
  int count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i] && count++ == 0) *first = i;
  }
  return count;
}

// The buffer address the renderer last gave to wkePaint2, from the call log.
std::wstring PaintedInto(const std::wstring& log) {
  const size_t at = log.rfind(L"wkePaint2(");
  if (at == std::wstring::npos) return L"";
  const size_t start = log.find(L", ", at) + 2;
  return log.substr(start, log.find(L',', start) - start);
}

const wchar_t kPage[] =
    L"<title>渲染测试 Render</title><p>第一行 first line</p><a href='https://example.com/'>a link</a>"
    L"<p>最后一行</p>";

TEST(RenderPutsTheEnginesPictureIntoTheWindow) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), kPage);
  wkeFireMouseEvent(view.Get(), WM_MOUSEMOVE, 300, 150, 0);
  GdiRenderer renderer;
  CHECK(renderer.Init(window));
  FillWindow(window, RGB(0, 255, 0));
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L"wkeIsDirty(#");
  CHECK_LOG_HAS(log, L") -> true");
  CHECK_LOG_HAS(log, L"wkePaint2(#");
  CHECK_LOG_HAS(log, L", 0)");  // pitch 0: rows of width × 4 bytes
  CHECK(!wkeIsDirty(view.Get()));

  const std::vector<uint32_t> screen = Screenshot();
  const std::vector<uint32_t> picture = EnginePicture(view.Get());
  size_t first = 0;
  const int differences = Differences(screen, picture, &first);
  CHECK_EQ(differences, 0);
  if (differences) {
    std::printf("      first difference at (%d, %d): screen %06X, engine %06X\n", static_cast<int>(first % kWidth),
                static_cast<int>(first / kWidth), screen[first], picture[first]);
  }
  // Landmarks of the picture: the header band, the background, the mouse mark.
  CHECK_EQ(screen[static_cast<size_t>(10) * kWidth + 590], 0x284678u);   // RGB(40, 70, 120)
  CHECK_EQ(screen[static_cast<size_t>(300) * kWidth + 590], 0xF0F4E8u);  // the background below the lines
  CHECK_EQ(screen[static_cast<size_t>(150) * kWidth + 300], 0xFF0000u);  // the last mouse position
  renderer.Release();
}

TEST(RenderDrawsNothingWhileTheViewIsClean) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), kPage);
  GdiRenderer renderer;
  renderer.Init(window);
  renderer.Render(view.Get());
  CHECK(!wkeIsDirty(view.Get()));
  FillWindow(window, RGB(0, 255, 0));  // as if uncovered: the engine reports no change
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L") -> false");
  CHECK_LOG_LACKS(log, L"wkePaint2");
  const std::vector<uint32_t> screen = Screenshot();
  CHECK_EQ(screen[static_cast<size_t>(10) * kWidth + 590], 0x00FF00u);
  CHECK_EQ(screen[static_cast<size_t>(200) * kWidth + 300], 0x00FF00u);
  // Marked dirty (as the host's paint handling does), the next Render draws again.
  wkeSetDirty(view.Get(), true);
  renderer.Render(view.Get());
  CHECK_EQ(Screenshot()[static_cast<size_t>(10) * kWidth + 590], 0x284678u);
  renderer.Release();
}

TEST(TheDibIsRebuiltOnlyWhenTheSizeChanges) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), kPage);
  GdiRenderer renderer;
  renderer.Init(window);  // the client size: 600 × 360
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring first = PaintedInto(CallLog());
  CHECK(!first.empty());

  renderer.Resize(600, 360);
  renderer.Resize(600, 360);
  wkeSetDirty(view.Get(), true);
  renderer.Render(view.Get());
  CHECK_EQ(PaintedInto(CallLog()), first);

  renderer.Resize(601, 360);
  wkeResize(view.Get(), 601, 360);
  renderer.Render(view.Get());
  const std::wstring second = PaintedInto(CallLog());
  CHECK(!second.empty());
  CHECK(second != first);

  wkeSetDirty(view.Get(), true);
  renderer.Render(view.Get());
  CHECK_EQ(PaintedInto(CallLog()), second);
  renderer.Release();
}

TEST(AfterReleaseNothingPaintsIntoTheDeletedDib) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), kPage);
  GdiRenderer renderer;
  renderer.Init(window);
  renderer.Render(view.Get());
  renderer.Release();
  renderer.Release();  // twice does no harm
  wkeSetDirty(view.Get(), true);
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
}

TEST(AnEmptyWindowMakesNoDibAndDrawsNothing) {
  OwnedWindow empty(MakeTestWindow(L"GdiRendererEmpty", 0, WS_POPUP, 0, 0, 0, 0));
  ScopedView view(0, 0);
  wkeSetDirty(view.Get(), true);
  GdiRenderer renderer;
  CHECK(renderer.Init(empty.Get()));
  ClearLog();
  renderer.Render(view.Get());
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
  renderer.Resize(50, 40);  // a later size works
  wkeResize(view.Get(), 50, 40);
  renderer.Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
}

// --- the choice of a renderer -------------------------------------------------------

TEST(KindsZeroAndAnyOtherNumberGiveTheGdiRenderer) {
  for (int kind : {0, 3, 7, -1}) {
    const std::unique_ptr<Renderer> renderer = MakeRenderer(kind);
    CHECK(dynamic_cast<GdiRenderer*>(renderer.get()) != nullptr);
  }
}

struct Recorded {
  std::vector<std::string> calls;
};
Recorded recorded;

// A back end that cannot start, recording what is done to it.
class FailingRenderer : public Renderer {
 public:
  explicit FailingRenderer(int kind) : kind_(kind) { recorded.calls.push_back("make " + std::to_string(kind)); }
  ~FailingRenderer() override { recorded.calls.push_back("destroy " + std::to_string(kind_)); }
  bool Init(HWND) override {
    recorded.calls.push_back("init " + std::to_string(kind_));
    return false;
  }
  void Release() override { recorded.calls.push_back("release " + std::to_string(kind_)); }

 private:
  int kind_;
};

std::unique_ptr<Renderer> FailingThenGdi(int kind) {
  if (kind == 0) {
    recorded.calls.push_back("make 0");
    return std::make_unique<GdiRenderer>();
  }
  return std::make_unique<FailingRenderer>(kind);
}

std::string Joined(const std::vector<std::string>& calls) {
  std::string out;
  for (const std::string& c : calls) out += (out.empty() ? "" : ", ") + c;
  return out;
}

TEST(ARendererThatCannotStartIsReleasedAndReplacedByGdi) {
  recorded = Recorded();
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, 2, TestWindow(), FailingThenGdi);
  CHECK_EQ(Joined(recorded.calls), std::string("make 2, init 2, release 2, make 0, destroy 2"));
  CHECK(dynamic_cast<GdiRenderer*>(renderer.get()) != nullptr);
}

TEST(AGdiRendererThatStartsIsKept) {
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, 7, TestWindow());
  auto* gdi = dynamic_cast<GdiRenderer*>(renderer.get());
  CHECK(gdi != nullptr);
  // It is started: with a dirty view it paints.
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), kPage);
  ClearLog();
  renderer->Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
  renderer->Release();
}

TEST(TheDefaultKindFallsBackToGdiUntilItsBackEndExists) {
  std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
  ChooseRenderer(renderer, 2, TestWindow());
  CHECK(dynamic_cast<GdiRenderer*>(renderer.get()) != nullptr);
  renderer->Release();
  ChooseRenderer(renderer, 1, TestWindow());
  CHECK(dynamic_cast<GdiRenderer*>(renderer.get()) != nullptr);
  renderer->Release();
}

TEST(TheBaseRendererDrawsNothingAndCannotStart) {
  Renderer base;
  CHECK(!base.Init(TestWindow()));
  ScopedView view(kWidth, kHeight);
  wkeSetDirty(view.Get(), true);
  ClearLog();
  base.Resize(10, 10);
  base.Render(view.Get());
  base.Release();
  CHECK_LOG_LACKS(CallLog(), L"wkePaint2");
  CHECK_LOG_LACKS(CallLog(), L"wkeIsDirty");
}

}  // namespace

CHECK_MAIN()
