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
#include "picture_support.h"
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

// The screen's pixels over the window, once pending paints are done.
std::vector<uint32_t> Screenshot() {
  engine_test::Pump();
  return picture_test::ScreenPixels(kLeft, kTop, kWidth, kHeight);
}

// The buffer address the renderer last gave to wkePaint2, from the call log.
std::wstring PaintedInto(const std::wstring& log) {
  const size_t at = log.rfind(L"wkePaint2(");
  if (at == std::wstring::npos) return L"";
  const size_t start = log.find(L", ", at) + 2;
  return log.substr(start, log.find(L',', start) - start);
}

TEST(RenderPutsTheEnginesPictureIntoTheWindow) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  picture_test::LoadPage(view.Get());
  GdiRenderer renderer;
  CHECK(renderer.Init(window));
  picture_test::FillWindow(window, RGB(0, 255, 0));
  ClearLog();
  renderer.Render(view.Get());
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L"wkeIsDirty(#");
  CHECK_LOG_HAS(log, L") -> true");
  CHECK_LOG_HAS(log, L"wkePaint2(#");
  CHECK_LOG_HAS(log, L", 0)");  // pitch 0: rows of width × 4 bytes
  CHECK(!wkeIsDirty(view.Get()));

  const std::vector<uint32_t> screen = Screenshot();
  CHECK_SAME_PICTURE(screen, picture_test::EnginePicture(view.Get(), kWidth, kHeight), kWidth);
  // Landmarks of the picture: the header band, the background, the mouse mark.
  CHECK_EQ(screen[static_cast<size_t>(10) * kWidth + 590], 0x284678u);   // RGB(40, 70, 120)
  CHECK_EQ(screen[static_cast<size_t>(300) * kWidth + 590], 0xF0F4E8u);  // the background below the lines
  CHECK_EQ(screen[static_cast<size_t>(150) * kWidth + 300], 0xFF0000u);  // the last mouse position
  renderer.Release();
}

TEST(RenderDrawsNothingWhileTheViewIsClean) {
  const HWND window = TestWindow();
  ScopedView view(kWidth, kHeight);
  wkeLoadHTMLW(view.Get(), picture_test::kPage);
  GdiRenderer renderer;
  renderer.Init(window);
  renderer.Render(view.Get());
  CHECK(!wkeIsDirty(view.Get()));
  picture_test::FillWindow(window, RGB(0, 255, 0));  // as if uncovered: the engine reports no change
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
  wkeLoadHTMLW(view.Get(), picture_test::kPage);
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
  wkeLoadHTMLW(view.Get(), picture_test::kPage);
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
  wkeLoadHTMLW(view.Get(), picture_test::kPage);
  ClearLog();
  renderer->Render(view.Get());
  CHECK_LOG_HAS(CallLog(), L"wkePaint2(#");
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
