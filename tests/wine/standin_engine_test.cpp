// The stand-in engine itself, so the host tests can rely on it: painting with a
// pitch, the dirty flag polled from another thread, history, content size, links
// followed by a click, new-window requests, files, and the paint-updated
// callback's real device context.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "engine_support.h"

namespace {

using engine_test::CallLog;
using engine_test::ClearLog;
using engine_test::ScopedView;

std::wstring Title(WkeView view) {
  const wchar_t* title = wkeGetTitleW(view);
  return title ? title : L"(none)";
}

TEST(PaintHonoursTheRowPitchAndClearsTheDirtyFlag) {
  ScopedView view(40, 100);
  wkeLoadHTMLW(view.Get(), L"<title>t</title>");
  CHECK(wkeIsDirty(view.Get()));
  const int pitch = 40 * 4 + 64;
  std::vector<uint32_t> buffer(static_cast<size_t>(pitch / 4) * 100, 0xDEADBEEFu);
  wkePaint2(view.Get(), buffer.data(), pitch);
  CHECK(!wkeIsDirty(view.Get()));
  std::vector<uint32_t> packed(40 * 100);
  wkePaint2(view.Get(), packed.data(), 0);
  int wrong = 0;
  for (int row = 0; row < 100; ++row) {
    for (int x = 0; x < 40; ++x) wrong += buffer[static_cast<size_t>(row) * (pitch / 4) + x] != packed[row * 40 + x];
    for (int x = 40; x < pitch / 4; ++x) wrong += buffer[static_cast<size_t>(row) * (pitch / 4) + x] != 0xDEADBEEFu;
  }
  CHECK_EQ(wrong, 0);
  CHECK_EQ(packed[5 * 40 + 20], 0xFF284678u);  // the opaque header band
}

TEST(DirtyFlagCanBePolledFromAnotherThread) {
  ScopedView view(100, 80);
  std::vector<uint32_t> pixels(100 * 80);
  wkePaint2(view.Get(), pixels.data(), 0);
  std::atomic<bool> stop{false};
  std::atomic<int> seenDirty{0};
  std::thread poller([&] {
    while (!stop) {
      if (wkeIsDirty(view.Get())) ++seenDirty;
      Sleep(1);
    }
  });
  for (int i = 0; i < 50; ++i) {
    wkeFireKeyPressEvent(view.Get(), 'a' + (i % 26), 0, false);
    Sleep(2);
    wkePaint2(view.Get(), pixels.data(), 0);
  }
  wkeSetDirty(view.Get(), true);
  Sleep(30);
  stop = true;
  poller.join();
  CHECK(seenDirty > 0);
  ClearLog();
}

TEST(HistoryGoesBackForwardAndReloads) {
  ScopedView view;
  CHECK(!wkeCanGoBack(view.Get()));
  wkeLoadHTMLW(view.Get(), L"<title>一</title>");
  wkeLoadURLW(view.Get(), L"https://example.com/二");
  CHECK(wkeCanGoBack(view.Get()));
  CHECK(!wkeCanGoForward(view.Get()));
  CHECK(wkeGoBack(view.Get()));
  CHECK_EQ(Title(view.Get()), std::wstring(L"一"));
  CHECK(!wkeGoBack(view.Get()));
  CHECK(wkeCanGoForward(view.Get()));
  CHECK(wkeGoForward(view.Get()));
  CHECK_EQ(Title(view.Get()), std::wstring(L"https://example.com/二"));
  CHECK(wkeIsLoadingFailed(view.Get()));  // nothing is fetched from the network
  ClearLog();
  wkeReload(view.Get());
  CHECK_EQ(Title(view.Get()), std::wstring(L"https://example.com/二"));
  CHECK_LOG_HAS(CallLog(), L"wkeReload(#");
}

TEST(ContentSizeFollowsThePage) {
  ScopedView view(600, 360);
  CHECK_EQ(wkeGetContentWidth(view.Get()), 0);
  wkeLoadHTMLW(view.Get(), L"<body style='width:800px; height:1200px; overflow:scroll'><p>big</p></body>");
  CHECK_EQ(wkeGetContentWidth(view.Get()), 800);
  CHECK_EQ(wkeGetContentHeight(view.Get()), 1200);
  CHECK_EQ(static_cast<unsigned long long>(wkeRunJSW(view.Get(), L"document.body.style.overflow")),
           (3ull << 32) | 6u);  // "scroll"
  wkeLoadHTMLW(view.Get(), L"<body style='width:0px;height:0px'></body>");
  CHECK_EQ(wkeGetContentWidth(view.Get()), 0);
  CHECK_EQ(wkeGetContentHeight(view.Get()), 0);
  wkeLoadHTMLW(view.Get(), L"<p>one</p><p>two</p><p>three</p>");
  CHECK(wkeGetContentHeight(view.Get()) > 48);
  CHECK(wkeGetContentWidth(view.Get()) > 16);
}

TEST(AClickOnALinkLineFollowsIt) {
  ScopedView view(400, 300);
  wkeLoadHTMLW(view.Get(), L"<title>start</title><a href='https://example.com/next'>next page</a>");
  wkeFireMouseEvent(view.Get(), WM_LBUTTONDOWN, 20, 50, MK_LBUTTON);
  wkeFireMouseEvent(view.Get(), WM_LBUTTONUP, 20, 50, 0);
  CHECK_EQ(Title(view.Get()), std::wstring(L"https://example.com/next"));
  CHECK(wkeCanGoBack(view.Get()));
}

WkeView newWindowView = nullptr;
WkeView WKE_CALL KeepInView(WkeView, void*, const WkeNewViewRecord* record) {
  CHECK(record != nullptr);
  if (record) CHECK_EQ(std::wstring(wkeGetStringW(record->target)), std::wstring(L"_blank"));
  return newWindowView;
}

TEST(ALinkAimedAtANewWindowAsksTheHost) {
  ScopedView view(400, 300);
  wkeLoadHTMLW(view.Get(), L"<title>start</title><a href='https://example.com/popup' target='_blank'>popup</a>");
  ClearLog();
  wkeFireMouseEvent(view.Get(), WM_LBUTTONUP, 20, 50, 0);  // no handler: nothing opens
  CHECK_EQ(Title(view.Get()), std::wstring(L"start"));
  CHECK_LOG_HAS(CallLog(), L"not registered: nothing opens");
  newWindowView = view.Get();
  wkeOnCreateView(view.Get(), KeepInView, nullptr);
  wkeFireMouseEvent(view.Get(), WM_LBUTTONUP, 20, 50, 0);
  CHECK_EQ(Title(view.Get()), std::wstring(L"https://example.com/popup"));
}

TEST(AFileIsShownAsItsPage) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"standin-page.html";
  const char html[] = u8"<title>文件页</title><p>from a file</p>";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, html, sizeof html - 1, &written, nullptr);
  CloseHandle(file);
  ScopedView view;
  wkeLoadFileW(view.Get(), path.c_str());
  CHECK_EQ(Title(view.Get()), std::wstring(L"文件页"));
  CHECK(wkeIsLoadingSucceeded(view.Get()));
  DeleteFileW(path.c_str());
}

TEST(InputLeavesVisibleTraces) {
  ScopedView view(300, 200);
  std::vector<uint32_t> before(300 * 200);
  std::vector<uint32_t> after(300 * 200);
  wkePaint2(view.Get(), before.data(), 0);
  const WkeRect caretBefore = wkeGetCaretRect(view.Get());
  CHECK(wkeFireKeyPressEvent(view.Get(), L'字', 0, false));
  CHECK(!wkeFireKeyDownEvent(view.Get(), 'A', 0, false));  // not an editing key: not consumed
  CHECK(wkeFireKeyDownEvent(view.Get(), VK_LEFT, 0, false));
  wkeFireMouseEvent(view.Get(), WM_MOUSEMOVE, 150, 100, 0);
  wkePaint2(view.Get(), after.data(), 0);
  CHECK(before != after);
  CHECK_EQ(after[100 * 300 + 150], 0xFFFF0000u);  // the mouse mark
  CHECK(wkeGetCaretRect(view.Get()).x > caretBefore.x);
}

HDC paintedDc = nullptr;
int paintedWidth = 0;
DWORD paintedType = 0;
void WKE_CALL OnPaintUpdated(WkeView, void*, HDC hdc, int, int, int cx, int) {
  paintedDc = hdc;
  paintedType = GetObjectType(hdc);
  BITMAP bitmap{};
  GetObject(GetCurrentObject(hdc, OBJ_BITMAP), sizeof bitmap, &bitmap);
  paintedWidth = bitmap.bmWidth == cx ? cx : -bitmap.bmWidth;
}

TEST(TransparentViewsCallPaintUpdatedWithARealDc) {
  ScopedView view(120, 90);
  wkeOnPaintUpdated(view.Get(), OnPaintUpdated, nullptr);
  wkeSetTransparent(view.Get(), true);
  wkeLoadHTMLW(view.Get(), L"<title>see-through</title>");
  CHECK(paintedDc != nullptr);
  CHECK_EQ(paintedType, DWORD{OBJ_MEMDC});
  CHECK_EQ(paintedWidth, 120);
  std::vector<uint32_t> pixels(120 * 90);
  wkePaint2(view.Get(), pixels.data(), 0);
  CHECK_EQ(pixels[80 * 120 + 5] >> 24, 0xFFu);   // the trace band stays opaque
  CHECK_EQ(pixels[45 * 120 + 60], 0u);           // the background between header and band is clear
  CHECK_EQ(pixels[10 * 120 + 100], 0xFF284678u);  // the header is opaque
}

}  // namespace

CHECK_MAIN()
