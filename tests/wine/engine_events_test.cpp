// Each adapter behind its real trampoline, called by the stand-in engine with its
// own string handles and records: what the handler receives (GBK text, plain
// values), what goes back to the engine, and the defaults without a handler.
#include <string>
#include <vector>

#include "check.h"
#include "test_window.h"
#include "engine_support.h"
#include "enginehost/CallbackTable.h"
#include "enginehost/EngineEvents.h"
#include "enginehost/Trampolines.h"

namespace {

using engine_test::CallLog;
using engine_test::ClearLog;

// What the handlers received, reset by each test.
struct Received {
  int calls = 0;
  std::vector<std::string> texts;
  std::vector<long long> numbers;
  std::vector<void*> pointers;
};
Received received;
bool confirmAnswer = false;
bool navigationAnswer = true;
const char* promptAnswer = nullptr;
WkeView newViewAnswer = nullptr;

void __stdcall OnText(const char* text) {
  ++received.calls;
  received.texts.push_back(text);
}
bool __stdcall OnConfirm(const char* message) {
  ++received.calls;
  received.texts.push_back(message);
  return confirmAnswer;
}
const char* __stdcall OnPrompt(const char* message, const char* defaultValue) {
  ++received.calls;
  received.texts.push_back(message);
  received.texts.push_back(defaultValue);
  return promptAnswer;
}
void __stdcall OnConsole(int source, int type, int level, const char* message, const char* url, unsigned line) {
  ++received.calls;
  received.numbers = {source, type, level, line};
  received.texts = {message, url};
}
bool __stdcall OnNavigation(int type, const char* url) {
  ++received.calls;
  received.numbers.push_back(type);
  received.texts.push_back(url);
  return navigationAnswer;
}
WkeView __stdcall OnCreateView(int type, const char* url, const char* target, int x, int y, int width, int height,
                               int features) {
  ++received.calls;
  received.numbers = {type, x, y, width, height, features};
  received.texts = {url, target};
  return newViewAnswer;
}
void __stdcall OnDocumentReady(const char* url, WkeExecState frame, WkeExecState mainFrame) {
  ++received.calls;
  received.texts.push_back(url);
  received.pointers = {frame, mainFrame};
}
void __stdcall OnLoadingFinish(const char* url, int result, const char* reason) {
  ++received.calls;
  received.texts = {url, reason};
  received.numbers = {result};
}

template <typename Handler>
void* Param(Handler handler) {
  return reinterpret_cast<void*>(handler);
}

// A view with the trampolines built; the view goes before its trampolines.
struct Fixture {
  TrampolineTable trampolines;
  engine_test::ScopedView view{400, 300};
  Fixture() {
    trampolines.Build();
    received = Received();
    ClearLog();
  }
  WkeView View() const { return view.Get(); }
  void Register(int index, void* handler) { RegisterEvent(view.Get(), trampolines, index, handler); }
};

TEST(TitleReachesTheHandlerAsGbkWithReplacementsOutsideGbk) {
  Fixture f;
  f.Register(kTitleChanged, Param(&OnText));
  wkeLoadHTMLW(f.View(), L"<title>标题 \x0E01 abc</title><p>x</p>");  // U+0E01 has no GBK form
  CHECK_EQ(received.calls, 1);
  if (!received.texts.empty()) CHECK_EQ(received.texts[0], std::string("标题 ? abc"));
  CHECK_LOG_HAS(CallLog(), L"wkeGetStringW(\"标题 \x0E01 abc\")");
}

TEST(UrlAndAlertGoThroughTheTextAdapter) {
  Fixture f;
  f.Register(kURLChanged, Param(&OnText));
  wkeLoadURLW(f.View(), L"https://example.com/路径");
  CHECK_EQ(received.calls, 1);
  if (received.calls == 1) CHECK_EQ(received.texts[0], std::string("https://example.com/路径"));

  received = Received();
  f.Register(kAlertBox, Param(&OnText));
  wkeRunJSW(f.View(), L"alert('你好，世界')");
  CHECK_EQ(received.calls, 1);
  if (received.calls == 1) CHECK_EQ(received.texts[0], std::string("你好，世界"));
}

TEST(ConfirmPassesTheHandlersAnswerBack) {
  Fixture f;
  f.Register(kConfirmBox, Param(&OnConfirm));
  confirmAnswer = true;
  CHECK_EQ(wkeRunJSW(f.View(), L"confirm('继续吗')"), (1ll << 32) | 1);
  confirmAnswer = false;
  CHECK_EQ(wkeRunJSW(f.View(), L"confirm('继续吗')"), (1ll << 32) | 0);
  CHECK_EQ(received.calls, 2);
  if (received.calls == 2) CHECK_EQ(received.texts[1], std::string("继续吗"));
}

TEST(PromptWritesTheAnswerIntoTheResultString) {
  Fixture f;
  f.Register(kPromptBox, Param(&OnPrompt));
  promptAnswer = "答案 42";
  const WkeScriptValue value = wkeRunJSW(f.View(), L"prompt('问题', '默认值')");
  CHECK_EQ(received.calls, 1);
  if (received.texts.size() == 2) {
    CHECK_EQ(received.texts[0], std::string("问题"));
    CHECK_EQ(received.texts[1], std::string("默认值"));
  }
  const std::wstring log = CallLog();
  CHECK_LOG_HAS(log, L"wkeSetStringW(\"答案 42\", 5)");
  CHECK_LOG_HAS(log, L"> prompt(\"问题\", \"默认值\") -> true \"答案 42\"");
  CHECK_EQ(value, (3ll << 32) | 5);
}

TEST(PromptDismissedLeavesTheResultUntouched) {
  Fixture f;
  f.Register(kPromptBox, Param(&OnPrompt));
  promptAnswer = nullptr;
  wkeRunJSW(f.View(), L"prompt('问题', '默认值')");
  CHECK_EQ(received.calls, 1);
  const std::wstring log = CallLog();
  CHECK_LOG_LACKS(log, L"wkeSetStringW");
  CHECK_LOG_HAS(log, L"-> false \"(untouched)\"");
}

TEST(ConsoleRecordIsSpreadIntoPlainValues) {
  Fixture f;
  wkeLoadHTMLW(f.View(), L"<p>page</p>");
  f.Register(kConsoleMessage, Param(&OnConsole));
  wkeRunJSW(f.View(), L"console.log('first'); console.error('出错了 \x0E01')");
  CHECK_EQ(received.calls, 2);
  if (received.numbers.size() == 4 && received.texts.size() == 2) {
    CHECK_EQ(received.numbers[0], 1ll);  // source: script
    CHECK_EQ(received.numbers[1], 0ll);  // type
    CHECK_EQ(received.numbers[2], 3ll);  // level: error
    CHECK_EQ(received.numbers[3], 2ll);  // the second statement
    CHECK_EQ(received.texts[0], std::string("出错了 ?"));
    CHECK_EQ(received.texts[1], std::string("about:blank"));
  }
}

TEST(NavigationHandlerMayCancel) {
  Fixture f;
  wkeLoadHTMLW(f.View(), L"<title>first</title>");
  f.Register(kNavigation, Param(&OnNavigation));
  navigationAnswer = false;
  wkeLoadURLW(f.View(), L"https://example.com/不去");
  CHECK_EQ(received.calls, 1);
  if (received.calls == 1) {
    CHECK_EQ(received.texts[0], std::string("https://example.com/不去"));
    CHECK_EQ(received.numbers[0], 4ll);  // the engine's code for a load from the host
  }
  CHECK_EQ(std::wstring(wkeGetTitleW(f.View())), std::wstring(L"first"));
  navigationAnswer = true;
  wkeLoadURLW(f.View(), L"https://example.com/去");
  CHECK_EQ(received.calls, 2);
  CHECK_EQ(std::wstring(wkeGetTitleW(f.View())), std::wstring(L"https://example.com/去"));
}

TEST(CreateViewGetsTheRecordAndFeatureBits) {
  Fixture f;
  f.Register(kCreateView, Param(&OnCreateView));
  newViewAnswer = nullptr;
  wkeRunJSW(f.View(),
            L"window.open('https://example.com/新', '窗口', "
            L"'menubar=0,status=0,toolbar=0,location=0,scrollbars=0,resizable=0,fullscreen=0,left=5,top=6,width=300,height=200')");
  CHECK_EQ(received.calls, 1);
  if (received.numbers.size() == 6 && received.texts.size() == 2) {
    CHECK_EQ(received.numbers[0], 0ll);  // link
    CHECK_EQ(received.numbers[1], 5ll);
    CHECK_EQ(received.numbers[2], 6ll);
    CHECK_EQ(received.numbers[3], 300ll);
    CHECK_EQ(received.numbers[4], 200ll);
    CHECK_EQ(received.numbers[5], 0ll);  // every switch off
    CHECK_EQ(received.texts[0], std::string("https://example.com/新"));
    CHECK_EQ(received.texts[1], std::string("窗口"));
  }
  wkeRunJSW(f.View(), L"window.open('https://example.com/', 'w', "
                      L"'menubar,status,toolbar,location,scrollbars,resizable,fullscreen')");
  if (received.numbers.size() == 6) CHECK_EQ(received.numbers[5], 127ll);
  wkeRunJSW(f.View(), L"window.open('https://example.com/', 'w', 'status=yes,scrollbars=yes')");
  if (received.numbers.size() == 6) CHECK_EQ(received.numbers[5], 2ll + 16ll);
}

TEST(CreateViewAnswerIsTheViewThatLoadsThePage) {
  Fixture f;
  f.Register(kCreateView, Param(&OnCreateView));
  newViewAnswer = f.View();  // keep it in the same view
  wkeLoadHTMLW(f.View(), L"<title>old</title>");
  wkeRunJSW(f.View(), L"window.open('https://example.com/same')");
  CHECK_EQ(std::wstring(wkeGetTitleW(f.View())), std::wstring(L"https://example.com/same"));
}

TEST(DocumentReadyPassesTheExecutionStatesThrough) {
  Fixture f;
  f.Register(kDocumentReady, Param(&OnDocumentReady));
  wkeLoadHTMLW(f.View(), L"<p>ready</p>");
  CHECK_EQ(received.calls, 1);
  if (received.calls == 1 && received.pointers.size() == 2) {
    CHECK_EQ(received.texts[0], std::string("about:blank"));
    CHECK(received.pointers[0] == wkeGlobalExec(f.View()));
    CHECK(received.pointers[1] == wkeGlobalExec(f.View()));
  }
}

TEST(LoadingFinishGivesUrlResultAndReason) {
  Fixture f;
  f.Register(kLoadingFinish, Param(&OnLoadingFinish));
  wkeLoadURLW(f.View(), L"https://example.com/页");
  CHECK_EQ(received.calls, 1);
  if (received.calls == 1) {
    CHECK_EQ(received.texts[0], std::string("https://example.com/页"));
    CHECK_EQ(received.numbers[0], 1ll);  // failed: the stand-in fetches nothing
    CHECK_EQ(received.texts[1], std::string("the stand-in engine fetches nothing from the network"));
  }
  wkeLoadHTMLW(f.View(), L"<p>local</p>");
  CHECK_EQ(received.calls, 2);
  if (received.calls == 2) {
    CHECK_EQ(received.numbers[0], 0ll);
    CHECK_EQ(received.texts[1], std::string(""));
  }
}

TEST(WithoutAHandlerNothingIsConvertedAndTheDefaultsGoBack) {
  Fixture f;
  for (int index : {kTitleChanged, kURLChanged, kAlertBox, kConfirmBox, kPromptBox, kConsoleMessage, kNavigation,
                    kCreateView, kDocumentReady, kLoadingFinish}) {
    f.Register(index, nullptr);
  }
  ClearLog();
  wkeLoadHTMLW(f.View(), L"<title>t</title><script>alert('a')</script>");
  CHECK_EQ(wkeRunJSW(f.View(), L"confirm('c')"), (1ll << 32) | 0);  // false
  wkeRunJSW(f.View(), L"prompt('p', 'd')");
  wkeRunJSW(f.View(), L"console.log('m')");
  CHECK_EQ(wkeRunJSW(f.View(), L"window.open('https://example.com/x')"), (1ll << 32) | 0);  // no view
  wkeLoadURLW(f.View(), L"https://example.com/goes");  // navigation true: it goes on
  CHECK_EQ(std::wstring(wkeGetTitleW(f.View())), std::wstring(L"https://example.com/goes"));
  const std::wstring log = CallLog();
  CHECK_LOG_LACKS(log, L"wkeGetStringW");
  CHECK_LOG_LACKS(log, L"wkeSetStringW");
  CHECK_LOG_HAS(log, L"-> false \"(untouched)\"");
  CHECK_LOG_HAS(log, L"> createView(");
  CHECK_LOG_HAS(log, L") -> #0");
  CHECK_LOG_HAS(log, L"\"https://example.com/goes\") -> true");
  CHECK_EQ(received.calls, 0);
}

TEST(AdaptersCalledDirectlyWithoutHandlerReturnTheirDefaults) {
  CHECK(!ConfirmBoxAdapter(nullptr, nullptr, nullptr));
  CHECK(NavigationAdapter(nullptr, nullptr, 0, nullptr));
  CHECK(CreateViewAdapter(nullptr, nullptr, nullptr) == nullptr);
  CHECK(!PromptBoxAdapter(nullptr, nullptr, nullptr, nullptr, nullptr));
  PaintUpdatedAdapter(nullptr, nullptr, nullptr, 0, 0, 10, 10);  // no window: nothing happens
  // A record that is missing calls no handler rather than reading through null.
  received = Received();
  CHECK(CreateViewAdapter(nullptr, Param(&OnCreateView), nullptr) == nullptr);
  ConsoleMessageAdapter(nullptr, Param(&OnConsole), nullptr);
  DocumentReadyAdapter(nullptr, Param(&OnDocumentReady), nullptr);
  CHECK_EQ(received.calls, 0);
}

// --- layered mode: the engine's picture pushed to a layered window ----------------

HWND LayeredWindow() {
  return MakeTestWindow(L"EngineEventsLayered", WS_EX_LAYERED | WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, 700, 100, 240,
                        160);
}

COLORREF ScreenPixel(int x, int y) {
  const WindowDc screen(nullptr);
  return GetPixel(screen.Get(), x, y);
}

TEST(PaintUpdatedPushesThePictureToTheLayeredHost) {
  Fixture f;
  OwnedWindow host(LayeredWindow());
  CHECK(host.Get() != nullptr);
  wkeResize(f.View(), 240, 160);
  wkeSetTransparent(f.View(), true);
  f.Register(kPaintUpdated, host.Get());
  ClearLog();
  wkeLoadHTMLW(f.View(), L"<title>layered</title>");
  engine_test::Pump();
  Sleep(300);
  engine_test::Pump();
  CHECK_LOG_HAS(CallLog(), L"> paintUpdated(#");
  // The header band is opaque (40, 70, 120); the background is fully transparent.
  const COLORREF header = ScreenPixel(700 + 200, 100 + 38);
  CHECK_EQ(static_cast<unsigned>(header), static_cast<unsigned>(RGB(40, 70, 120)));
}

}  // namespace

CHECK_MAIN()
