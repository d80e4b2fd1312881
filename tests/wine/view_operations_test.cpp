// The view's operations against the stand-in engine: what each passes to the
// engine and gives back, the whole-page picture, the event registrations
// through the view's own trampolines, and nothing at all without a view.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "enginehost/EngineView.h"
#include "view_support.h"

namespace {

using engine_test::ClearLog;
using view_test::Calls;
using view_test::CreatedName;

void InitialiseEngine() {
  static const bool done = (wkeInitialize(), true);
  (void)done;
}

// A created view in a 600 × 360 host, laid out at that size; log cleared. The
// paint thread's repaints stay out of the log: these tests compare the calls
// of the view's operations alone.
struct LiveView {
  LiveView() {
    InitialiseEngine();
    host = view_test::MakeHost(L"ViewOperationsHost");
    ClearLog();
    view.Create(host.Get(), 0);
    name = CreatedName(Calls());
    SendMessageW(host.Get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(600, 360));
    ClearLog();
  }
  view_test::RepaintsSetAside repaints;
  OwnedWindow host;
  EngineView view;
  std::wstring name;
};

Bytes Utf16(const std::wstring& text) {
  Bytes bytes((text.size() + 1) * 2, 0);
  std::memcpy(bytes.data(), text.c_str(), bytes.size());
  return bytes;
}

Bytes BytesOf(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

std::string Hex(const Bytes& bytes) {
  std::string out;
  char buffer[4];
  for (uint8_t b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", b);
    out += buffer;
  }
  return out;
}

uint32_t U32(const Bytes& b, size_t at) {
  return at + 4 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24)
                            : 0xDEADBEEFu;
}
int32_t I32(const Bytes& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
uint32_t U16(const Bytes& b, size_t at) { return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8) : 0xDEADu; }

// Where each piece comes in the log, to check their order; npos when missing.
std::vector<size_t> Positions(const std::wstring& log, const std::vector<std::wstring>& pieces) {
  std::vector<size_t> at;
  for (const std::wstring& piece : pieces) at.push_back(log.find(piece));
  return at;
}

// Fails with the log when a piece is missing or comes before the one it should follow.
bool InOrder(const std::wstring& log, const std::vector<std::wstring>& pieces, int line) {
  const std::vector<size_t> at = Positions(log, pieces);
  for (size_t i = 0; i < at.size(); ++i) {
    if (at[i] == std::wstring::npos || (i > 0 && at[i] < at[i - 1])) {
      check::Fail(__FILE__, line, (at[i] == std::wstring::npos ? "missing " : "out of order ") +
                                      check::Show(pieces[i]) + "\n      log: " + check::Show(log));
      return false;
    }
  }
  return true;
}

const wchar_t kHidden[] = L"\"document.body.style.overflow='hidden'\"";
const wchar_t kVisible[] = L"\"document.body.style.overflow='visible'\"";

TEST(CaptureBitmapTakesTheWholePageAndPutsTheViewBack) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.LoadHTML("<title>整页</title><body style=\"width:800px;height:1200px\"><p>第一行</p></body>");
  ClearLog();
  const Bytes file = live.view.CaptureBitmap();
  const std::wstring log = Calls();
  CHECK_EQ(file.size(), static_cast<size_t>(54 + 3840000));
  if (file.size() < 54) return;
  CHECK_EQ(file[0], 'B');
  CHECK_EQ(file[1], 'M');
  CHECK_EQ(U32(file, 2), 3840054u);
  CHECK_EQ(U32(file, 6), 0u);
  CHECK_EQ(U32(file, 10), 54u);
  CHECK_EQ(U32(file, 14), 40u);
  CHECK_EQ(I32(file, 18), 800);
  CHECK_EQ(I32(file, 22), -1200);
  CHECK_EQ(U16(file, 26), 1u);
  CHECK_EQ(U16(file, 28), 32u);
  CHECK_EQ(U32(file, 30), 0u);
  CHECK_EQ(U32(file, 34), 3840000u);
  CHECK_EQ(U32(file, 38), 3780u);
  CHECK_EQ(U32(file, 42), 3780u);
  CHECK_EQ(U32(file, 46), 0u);
  CHECK_EQ(U32(file, 50), 0u);
  InOrder(log,
          {L"wkeRunJS(" + n + L", " + kHidden + L")", L"wkeGetContentWidth(" + n + L") -> 800",
           L"wkeGetContentHeight(" + n + L") -> 1200", L"wkeGetWidth(" + n + L") -> 600",
           L"wkeGetHeight(" + n + L") -> 360", L"wkeResize(" + n + L", 800, 1200)", L"wkePaint2(" + n,
           L"wkeResize(" + n + L", 600, 360)", L"wkeRunJS(" + n + L", " + kVisible + L")"},
          __LINE__);
  CHECK_LOG_HAS(log, L", 0)\n");  // rows of exactly 800 × 4 bytes
  CHECK_EQ(live.view.GetWidth(), 600);
  CHECK_EQ(live.view.GetHeight(), 360);

  // The pixels are the engine's own, unchanged: the same page painted again at
  // the full size gives the same bytes.
  wkeResize(live.view.GetWebView(), 800, 1200);
  std::vector<uint8_t> again(3840000);
  wkePaint2(live.view.GetWebView(), again.data(), 0);
  wkeResize(live.view.GetWebView(), 600, 360);
  CHECK(std::memcmp(file.data() + 54, again.data(), again.size()) == 0);
  // The title band, blue-green-red-alpha.
  const size_t band = 54 + (10 * 800 + 700) * 4;
  CHECK_EQ(Hex(Bytes(file.begin() + band, file.begin() + band + 4)), std::string("78 46 28 FF "));
}

TEST(CaptureBitmapOfEmptyContentIsTheHeadersAlone) {
  LiveView live;
  live.view.LoadHTML("<body style=\"width:0px;height:0px\"></body>");
  ClearLog();
  const Bytes file = live.view.CaptureBitmap();
  const std::wstring log = Calls();
  CHECK_EQ(file.size(), 54u);
  CHECK_EQ(U32(file, 2), 54u);
  CHECK_EQ(I32(file, 18), 0);
  CHECK_EQ(I32(file, 22), 0);
  CHECK_EQ(U32(file, 34), 0u);
  CHECK_LOG_HAS(log, L"wkeResize(" + live.name + L", 600, 360)");
  CHECK_LOG_HAS(log, L"wkeRunJS(" + live.name + L", " + kVisible + L")");
  CHECK_EQ(live.view.GetWidth(), 600);
}

TEST(CaptureBitmapLeavesTheBodyOverflowVisible) {
  LiveView live;
  live.view.LoadHTML("<body style=\"width:100px;height:50px;overflow:scroll\"></body>");
  // A string script value carries its length: "scroll" 6, "visible" 7.
  CHECK_EQ(live.view.RunJS("document.body.style.overflow"), (WkeScriptValue(3) << 32) | 6);
  CHECK_EQ(live.view.CaptureBitmap().size(), static_cast<size_t>(54 + 100 * 50 * 4));
  CHECK_EQ(live.view.RunJS("document.body.style.overflow"), (WkeScriptValue(3) << 32) | 7);
}

TEST(CaptureBitmapRefusesAPageTooLargeToHoldAndStillPutsTheViewBack) {
  LiveView live;
  // 1.6 GB of pixels, then a size whose byte count does not fit 32 bits.
  for (const int size : {20000, 70000}) {
    const std::string side = std::to_string(size) + "px";
    live.view.LoadHTML("<body style=\"width:" + side + ";height:" + side + ";overflow:auto\"></body>");
    ClearLog();
    const Bytes file = live.view.CaptureBitmap();
    const std::wstring log = Calls();
    CHECK_EQ(file.size(), 0u);
    CHECK_LOG_HAS(log, L"wkeGetContentHeight(" + live.name + L") -> " + std::to_wstring(size));
    CHECK_LOG_LACKS(log, L"wkePaint2");
    CHECK_LOG_LACKS(log, L"wkeResize(" + live.name + L", " + std::to_wstring(size));  // never laid out that large
    CHECK_LOG_HAS(log, L"wkeResize(" + live.name + L", 600, 360)");
    CHECK_LOG_HAS(log, L"wkeRunJS(" + live.name + L", " + kVisible + L")");
    CHECK_EQ(live.view.GetWidth(), 600);
    CHECK_EQ(live.view.GetHeight(), 360);
    CHECK_EQ(live.view.RunJS("document.body.style.overflow"), (WkeScriptValue(3) << 32) | 7);
  }
}

TEST(TitleAsUtf16BytesAndAsGbkText) {
  LiveView live;
  live.view.LoadHTML("<title>abc</title>");
  CHECK_EQ(Hex(live.view.GetTitleW()), std::string("61 00 62 00 63 00 00 00 "));
  live.view.LoadHTML("<p>no title</p>");
  CHECK_EQ(Hex(live.view.GetTitleW()), std::string("00 00 "));
  CHECK_EQ(live.view.GetTitle(), std::string());
  live.view.LoadHTML("<title>中文 ok</title>");
  CHECK_EQ(live.view.GetTitle(), std::string("中文 ok"));
  CHECK_EQ(Hex(live.view.GetTitleW()), std::string("2D 4E 87 65 20 00 6F 00 6B 00 00 00 "));
}

TEST(CookiesAndTheBooleanArgumentsPassedAsOneOrZero) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.LoadHTML("<title>c</title>");
  CHECK_EQ(Hex(live.view.GetCookieW()), std::string("00 00 "));
  live.view.RunJS("document.cookie = 'k=值'");
  CHECK_EQ(live.view.GetCookie(), std::string("k=值"));
  CHECK_EQ(Hex(live.view.GetCookieW()), std::string("6B 00 3D 00 3C 50 00 00 "));
  ClearLog();
  live.view.SetCookieEnabled(5);
  CHECK(live.view.IsCookieEnabled());
  live.view.SetCookieEnabled(0);
  CHECK(!live.view.IsCookieEnabled());
  live.view.SetCookieEnabled(-1);
  live.view.SetEditable(7);
  live.view.SetEditable(0);
  CHECK_EQ(Calls(), L"wkeSetCookieEnabled(" + n + L", true)\nwkeIsCookieEnabled(" + n + L") -> true\n" +
                        L"wkeSetCookieEnabled(" + n + L", false)\nwkeIsCookieEnabled(" + n + L") -> false\n" +
                        L"wkeSetCookieEnabled(" + n + L", true)\nwkeSetEditable(" + n + L", true)\n" +
                        L"wkeSetEditable(" + n + L", false)\n");
}

TEST(Utf16BytesPassThroughAndEmptyBytesAreANullPointer) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.LoadURLW(Bytes());
  live.view.LoadHTMLW(Bytes());
  live.view.LoadFileW(Bytes());
  live.view.LoadW(Bytes());
  live.view.SetUserAgentW(Bytes());
  live.view.RunJSW(Bytes());
  CHECK_EQ(Calls(), L"wkeLoadURLW(" + n + L", null)\nwkeLoadHTMLW(" + n + L", null)\nwkeLoadFileW(" + n +
                        L", null)\nwkeLoadW(" + n + L", null)\nwkeSetUserAgentW(" + n + L", null)\nwkeRunJSW(" + n +
                        L", null)\n");
  live.view.LoadURLW(Utf16(L"https://example.com/é中"));
  live.view.SetUserAgentW(Utf16(L"Agent/1 代理"));
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkeLoadURLW(" + n + L", \"https://example.com/é中\")");
  CHECK_LOG_HAS(log, L"wkeSetUserAgentW(" + n + L", \"Agent/1 代理\")");
}

TEST(TextArgumentsGoToTheEngineAsUtf16) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.LoadURL("https://www.baidu.com/s?wd=答案 a%2Bb");
  live.view.SetUserAgent("代理 agent");
  live.view.Load("<title>载入</title>");
  live.view.LoadFile("C:\\没有这个文件.html");
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkeLoadURLW(" + n + L", \"https://www.baidu.com/s?wd=答案 a%2Bb\")\n");
  CHECK_LOG_HAS(log, L"wkeSetUserAgentW(" + n + L", \"代理 agent\")\n");
  CHECK_LOG_HAS(log, L"wkeLoadW(" + n + L", \"<title>载入</title>\")\n");
  CHECK_LOG_HAS(log, L"wkeLoadFileW(" + n + L", \"C:\\没有这个文件.html\")\n");
  CHECK(live.view.IsLoadingFailed());
  live.view.LoadHTML("<title>标题</title>");
  CHECK_EQ(live.view.GetTitle(), std::string("标题"));
  CHECK(live.view.IsLoadingSucceeded());
  CHECK(live.view.IsLoadingCompleted());
  CHECK(live.view.IsDocumentReady());
  CHECK(!live.view.IsLoading());
  // A script in GBK; its value comes back unchanged (a string of 2 characters).
  CHECK_EQ(live.view.RunJS("document.title = '新的'"), (WkeScriptValue(3) << 32) | 2);
  CHECK_EQ(live.view.GetTitle(), std::string("新的"));
  CHECK_LOG_HAS(Calls(), L"wkeRunJSW(" + n + L", \"document.title = '新的'\")");
}

TEST(PostSendsTheBodyAndAnEmptyBodyAsNullAndZero) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.PostURL("https://example.com/提交", Bytes());
  CHECK_LOG_HAS(Calls(), L"wkePostURLW(" + n + L", \"https://example.com/提交\", 0x0, 0)");
  live.view.PostURL("https://example.com/form", BytesOf({'k', '=', 'v'}));
  std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkePostURLW(" + n + L", \"https://example.com/form\", 0x");
  CHECK_LOG_HAS(log, L", 3)\n");
  CHECK_LOG_LACKS(log, L"0x0, 3");
  live.view.PostURLW(Bytes(), Bytes());
  CHECK_LOG_HAS(Calls(), L"wkePostURLW(" + n + L", null, 0x0, 0)");
}

TEST(HistoryGoesBackAndForthAndReloads) {
  LiveView live;
  const std::wstring& n = live.name;
  CHECK(!live.view.CanGoBack());
  CHECK(!live.view.GoBack());
  live.view.LoadURL("https://example.com/一");
  live.view.LoadURL("https://example.com/二");
  CHECK(live.view.CanGoBack());
  CHECK(!live.view.CanGoForward());
  CHECK(live.view.GoBack());
  CHECK_EQ(live.view.GetTitle(), std::string("https://example.com/一"));
  CHECK(live.view.CanGoForward());
  CHECK(live.view.GoForward());
  CHECK_EQ(live.view.GetTitle(), std::string("https://example.com/二"));
  CHECK(!live.view.GoForward());
  ClearLog();
  live.view.Reload();
  live.view.StopLoading();
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"wkeReload(" + n + L")\n");
  CHECK_LOG_HAS(log, L"wkeStopLoading(" + n + L")\n");
}

TEST(SizesEditingVolumeZoomAndScriptState) {
  LiveView live;
  const std::wstring& n = live.name;
  live.view.LoadHTML("<body style=\"width:640px;height:2000px\"></body>");
  CHECK_EQ(live.view.GetWidth(), 600);
  CHECK_EQ(live.view.GetHeight(), 360);
  CHECK_EQ(live.view.GetContentWidth(), 640);
  CHECK_EQ(live.view.GetContentHeight(), 2000);
  live.view.SetMediaVolume(0.25f);
  CHECK_EQ(live.view.GetMediaVolume(), 0.25f);
  live.view.SetZoomFactor(1.5f);
  CHECK_EQ(live.view.GetZoomFactor(), 1.5f);
  const WkeExecState state = live.view.GlobalExec();
  CHECK(state != nullptr);
  CHECK(live.view.GlobalExec() == state);
  ClearLog();
  live.view.EditorSelectAll();
  live.view.EditorCopy();
  live.view.EditorCut();
  live.view.EditorPaste();
  live.view.EditorDelete();
  CHECK_EQ(Calls(), L"wkeEditorSelectAll(" + n + L")\nwkeEditorCopy(" + n + L")\nwkeEditorCut(" + n +
                        L")\nwkeEditorPaste(" + n + L")\nwkeEditorDelete(" + n + L")\n");
}

// Every operation of a view that has no engine view.
void UseEverything(EngineView& view) {
  view.LoadURL("https://example.com/");
  view.LoadURLW(Utf16(L"https://example.com/"));
  view.PostURL("https://example.com/", BytesOf({1}));
  view.PostURLW(Utf16(L"https://example.com/"), BytesOf({1}));
  view.LoadHTML("<p>x</p>");
  view.LoadHTMLW(Utf16(L"<p>x</p>"));
  view.LoadFile("C:\\x.html");
  view.LoadFileW(Utf16(L"C:\\x.html"));
  view.Load("x");
  view.LoadW(Utf16(L"x"));
  view.SetUserAgent("a");
  view.SetUserAgentW(Utf16(L"a"));
  CHECK(!view.IsLoading());
  CHECK(!view.IsLoadingSucceeded());
  CHECK(!view.IsLoadingFailed());
  CHECK(!view.IsLoadingCompleted());
  CHECK(!view.IsDocumentReady());
  view.StopLoading();
  view.Reload();
  CHECK_EQ(view.GetTitle(), std::string());
  CHECK_EQ(Hex(view.GetTitleW()), std::string("00 00 "));
  CHECK_EQ(view.GetWidth(), 0);
  CHECK_EQ(view.GetHeight(), 0);
  CHECK_EQ(view.GetContentWidth(), 0);
  CHECK_EQ(view.GetContentHeight(), 0);
  CHECK(!view.CanGoBack());
  CHECK(!view.GoBack());
  CHECK(!view.CanGoForward());
  CHECK(!view.GoForward());
  view.EditorSelectAll();
  view.EditorCopy();
  view.EditorCut();
  view.EditorPaste();
  view.EditorDelete();
  CHECK_EQ(view.GetCookie(), std::string());
  CHECK_EQ(Hex(view.GetCookieW()), std::string("00 00 "));
  view.SetCookieEnabled(1);
  CHECK(!view.IsCookieEnabled());
  view.SetMediaVolume(0.5f);
  CHECK_EQ(view.GetMediaVolume(), 0.0f);
  view.SetZoomFactor(2.0f);
  CHECK_EQ(view.GetZoomFactor(), 0.0f);
  view.SetEditable(1);
  CHECK_EQ(view.RunJS("1"), WkeScriptValue(0));
  CHECK_EQ(view.RunJSW(Utf16(L"1")), WkeScriptValue(0));
  CHECK(view.GlobalExec() == nullptr);
  CHECK_EQ(view.CaptureBitmap().size(), 0u);
  view.OnTitleChanged(nullptr);
  view.OnURLChanged(nullptr);
  view.OnAlertBox(nullptr);
  view.OnConfirmBox(nullptr);
  view.OnPromptBox(nullptr);
  view.OnConsoleMessage(nullptr);
  view.OnNavigation(nullptr);
  view.OnCreateView(nullptr);
  view.OnDocumentReady(nullptr);
  view.OnLoadingFinish(nullptr);
  CHECK(view.GetWebView() == nullptr);
  CHECK(view.GetHostWindow() == nullptr);
}

TEST(WithoutAViewNoOperationCallsTheEngine) {
  InitialiseEngine();
  EngineView never;
  ClearLog();
  UseEverything(never);
  CHECK_EQ(engine_test::CallLog(), std::wstring());

  LiveView live;
  live.view.Destroy();
  ClearLog();
  UseEverything(live.view);
  CHECK_EQ(engine_test::CallLog(), std::wstring());
}

// --- the event registrations, through the view's trampolines ---------------------

struct Received {
  std::vector<std::string> texts;
  std::vector<long long> numbers;
};
Received received;
EngineView* theView = nullptr;
bool letNavigate = true;

void __stdcall TitleHandler(const char* title) { received.texts.push_back(std::string("title:") + title); }
void __stdcall UrlHandler(const char* url) { received.texts.push_back(std::string("url:") + url); }
void __stdcall AlertHandler(const char* message) { received.texts.push_back(std::string("alert:") + message); }
bool __stdcall ConfirmHandler(const char* message) {
  received.texts.push_back(std::string("confirm:") + message);
  return true;
}
const char* __stdcall PromptHandler(const char* message, const char* defaultValue) {
  received.texts.push_back(std::string("prompt:") + message + "|" + defaultValue);
  return "答复";
}
void __stdcall ConsoleHandler(int source, int type, int level, const char* message, const char*, unsigned line) {
  received.texts.push_back(std::string("console:") + message);
  received.numbers.insert(received.numbers.end(), {source, type, level, line});
}
bool __stdcall NavigationHandler(int, const char* url) {
  received.texts.push_back(std::string("navigation:") + url);
  return letNavigate;
}
WkeView __stdcall SameViewHandler(int, const char* url, const char* target, int, int, int, int, int) {
  received.texts.push_back(std::string("new window:") + url + "|" + target);
  return theView->GetWebView();
}
void __stdcall ReadyHandler(const char* url, WkeExecState, WkeExecState) {
  received.texts.push_back(std::string("ready:") + url);
}
void __stdcall FinishHandler(const char* url, int result, const char*) {
  received.texts.push_back(std::string("finish:") + url);
  received.numbers.push_back(result);
}

bool Got(const std::string& text) {
  for (const std::string& t : received.texts) {
    if (t == text) return true;
  }
  check::Fail(__FILE__, __LINE__, "no handler received " + check::Show(text));
  for (const std::string& t : received.texts) std::printf("      received %s\n", check::Show(t).c_str());
  return false;
}

TEST(EachRegistrationReachesItsHandlerThroughItsOwnTrampoline) {
  LiveView live;
  received = Received();
  live.view.OnTitleChanged(TitleHandler);
  live.view.OnURLChanged(UrlHandler);
  live.view.OnAlertBox(AlertHandler);
  live.view.OnConfirmBox(ConfirmHandler);
  live.view.OnPromptBox(PromptHandler);
  live.view.OnConsoleMessage(ConsoleHandler);
  live.view.OnNavigation(NavigationHandler);
  live.view.OnDocumentReady(ReadyHandler);
  live.view.OnLoadingFinish(FinishHandler);
  const std::wstring log = Calls();
  for (const wchar_t* call : {L"wkeOnTitleChanged(", L"wkeOnURLChanged(", L"wkeOnAlertBox(", L"wkeOnConfirmBox(",
                              L"wkeOnPromptBox(", L"wkeOnConsoleMessage(", L"wkeOnNavigation(", L"wkeOnDocumentReady(",
                              L"wkeOnLoadingFinish("}) {
    CHECK_LOG_HAS(log, call + live.name + L", 0x");
  }
  live.view.LoadHTML(
      "<title>标题</title><script>alert('提示'); confirm('确定?'); prompt('问', '默认'); console.warn('注意')</script>");
  CHECK(Got("navigation:about:blank"));
  CHECK(Got("url:about:blank"));
  CHECK(Got("title:标题"));
  CHECK(Got("alert:提示"));
  CHECK(Got("confirm:确定?"));
  CHECK(Got("prompt:问|默认"));
  CHECK(Got("console:注意"));
  CHECK(Got("ready:about:blank"));
  CHECK(Got("finish:about:blank"));
  CHECK_LOG_HAS(Calls(), L"> prompt(\"问\", \"默认\") -> true \"答复\"");
  // The navigation handler's answer goes back: false stops the load.
  letNavigate = false;
  live.view.LoadURL("https://example.com/stopped");
  letNavigate = true;
  CHECK(live.view.GetTitle() != "https://example.com/stopped");
}

TEST(ALinkAimedAtANewWindowOpensInTheSameView) {
  LiveView live;
  theView = &live.view;
  received = Received();
  live.view.OnCreateView(SameViewHandler);
  live.view.LoadHTML("<title>起点</title><a href=\"https://example.com/新\" target=\"_blank\">new window</a>");
  ClearLog();
  // A user's click on the link's line, through the host window.
  SendMessageW(live.host.Get(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 56));
  SendMessageW(live.host.Get(), WM_LBUTTONUP, 0, MAKELPARAM(20, 56));
  const std::wstring log = Calls();
  CHECK_LOG_HAS(log, L"> createView(" + live.name + L", \"https://example.com/新\", \"_blank\") -> " + live.name);
  CHECK(Got("new window:https://example.com/新|_blank"));
  CHECK_EQ(live.view.GetTitle(), std::string("https://example.com/新"));
  CHECK(live.view.CanGoBack());
  CHECK_LOG_LACKS(log, L"wkeCreateWebView");
  theView = nullptr;
}

TEST(RegistrationsBeforeCreateMakeNoEngineCall) {
  InitialiseEngine();
  EngineView view;
  ClearLog();
  view.OnCreateView(SameViewHandler);
  view.OnTitleChanged(TitleHandler);
  CHECK_EQ(engine_test::CallLog(), std::wstring());
}

}  // namespace

CHECK_MAIN()
