// The IE browser box in a real window: navigation, the container's text, status text,
// the new-window veto and the teardown. Under Wine the control navigates but renders
// nothing and never raises the new-window events itself, so those events are raised
// through the box's sink exactly as the control raises them.
#include "app/IeBrowserBox.h"

#include <exdispid.h>

#include <string>
#include <utility>
#include <vector>

#include "check.h"
#include "test_window.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace {

constexpr int kBoxId = 1201;

struct OleSession {
  OleSession() { OleInitialize(nullptr); }
  ~OleSession() { OleUninitialize(); }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
};
const OleSession ole;

class TestBstr {
 public:
  explicit TestBstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~TestBstr() { SysFreeString(b_); }
  TestBstr(const TestBstr&) = delete;
  TestBstr& operator=(const TestBstr&) = delete;
  BSTR Get() const { return b_; }

 private:
  BSTR b_;
};

HWND MakeWindow(const wchar_t* className, DWORD style, HWND parent, int width, int height) {
  return MakeTestWindow(className, 0, style, 0, 0, width, height, parent);
}

// One shown top-level window for the whole run (under Wine without a window manager,
// destroying a shown top-level window takes two seconds); each test gets a fresh page
// in it, as the box sits on a page of the main window.
HWND Host() {
  static OwnedWindow host(MakeWindow(L"IeBoxTestHost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 640, 440));
  return host.Get();
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages until done() holds or about five seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpPending();
    if (done()) return true;
    if (GetTickCount() - start > 5000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

// Windows reports a file address as given ("file:///C:/dir/a.html"); Wine reports it as a
// path in BeforeNavigate2 and as "file://C:\dir\a.html" in LocationURL. All name one file.
std::string FilePath(std::string url) {
  if (url.compare(0, 5, "file:") == 0) url.erase(0, url.find_first_not_of('/', 5));
  for (char& c : url) {
    if (c == '/') c = '\\';
  }
  return url;
}

struct Fixture {
  OwnedWindow page{MakeWindow(L"IeBoxTestPage", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Host(), 620, 400)};
  IeBrowserBox box;
  std::vector<std::string> navigations;  // top-level BeforeNavigate2 URLs, in order
  std::vector<std::string> asked;        // what the new-window handler was asked
  bool created = box.Create(page.Get(), 0, 20, 605, 360, kBoxId);

  Fixture() {
    box.SetBeforeNavigateHandler([this](const std::string& url) { navigations.push_back(url); });
  }
  // A handler that records each question and gives one answer.
  void AnswerNewWindows(bool allow) {
    box.SetNewWindowHandler([this, allow](const std::string& url) {
      asked.push_back(url);
      return allow;
    });
  }
  std::string FirstAsked() const { return asked.empty() ? "(not asked)" : asked.front(); }
  std::string FirstNavigation() const { return navigations.empty() ? "(none)" : navigations.front(); }
  bool WaitForAddress() {
    return PumpUntil([this] { return !box.Address().empty(); });
  }
};

struct NewWindowCall {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  IDispatch* newBrowser = nullptr;
  HRESULT hr = E_FAIL;
};

HRESULT Raise(IDispatch* sink, DISPID id, VARIANTARG* args, UINT count) {
  if (!sink) return E_POINTER;  // the box did not start: the checks of the answer fail
  DISPPARAMS params{args, nullptr, count, 0};
  return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

// NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl), arguments in reverse order.
NewWindowCall RaiseNewWindow3(IDispatch* sink, const std::wstring& url) {
  NewWindowCall call;
  TestBstr context(L"http://127.0.0.1:9/page.html");
  TestBstr target(url);
  VARIANTARG args[5];
  for (VARIANTARG& arg : args) VariantInit(&arg);
  args[4].vt = VT_BYREF | VT_DISPATCH;
  args[4].ppdispVal = &call.newBrowser;
  args[3].vt = VT_BYREF | VT_BOOL;
  args[3].pboolVal = &call.cancel;
  args[2].vt = VT_UI4;
  args[2].ulVal = 0x6;  // NWMF_USERINITED | NWMF_FIRST_USERINITED: a click on a link
  args[1].vt = VT_BSTR;
  args[1].bstrVal = context.Get();
  args[0].vt = VT_BSTR;
  args[0].bstrVal = target.Get();
  call.hr = Raise(sink, DISPID_NEWWINDOW3, args, 5);
  return call;
}

// NewWindow2(ppDisp, Cancel).
NewWindowCall RaiseNewWindow2(IDispatch* sink) {
  NewWindowCall call;
  VARIANTARG args[2];
  args[1].vt = VT_BYREF | VT_DISPATCH;
  args[1].ppdispVal = &call.newBrowser;
  args[0].vt = VT_BYREF | VT_BOOL;
  args[0].pboolVal = &call.cancel;
  call.hr = Raise(sink, DISPID_NEWWINDOW2, args, 2);
  return call;
}

HRESULT RaiseStatusText(IDispatch* sink, const std::wstring& text) {
  TestBstr value(text);
  VARIANTARG arg;
  arg.vt = VT_BSTR;
  arg.bstrVal = value.Get();
  return Raise(sink, DISPID_STATUSTEXTCHANGE, &arg, 1);
}

// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel): the
// page's own navigation names the control (or nothing) as pDisp, a frame's names another.
HRESULT RaiseBeforeNavigate(IDispatch* sink, IDispatch* target, const std::wstring& url) {
  TestBstr address(url);
  VARIANT urlValue, empty;
  VariantInit(&empty);
  urlValue.vt = VT_BSTR;
  urlValue.bstrVal = address.Get();
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANTARG args[7];
  for (VARIANTARG& arg : args) {
    arg.vt = VT_BYREF | VT_VARIANT;
    arg.pvarVal = &empty;
  }
  args[6].vt = target ? VT_DISPATCH : VT_EMPTY;
  args[6].pdispVal = target;
  args[5].pvarVal = &urlValue;
  args[0].vt = VT_BYREF | VT_BOOL;
  args[0].pboolVal = &cancel;
  return Raise(sink, DISPID_BEFORENAVIGATE2, args, 7);
}

}  // namespace

TEST(CreatedControlFillsTheContainerAndFollowsItsSize) {
  Fixture f;
  CHECK(f.created);
  const HWND container = f.box.Window();
  wchar_t className[64] = {};
  GetClassNameW(container, className, 64);
  CHECK_EQ(std::wstring(className), std::wstring(L"TavrelBrowserBox"));
  CHECK(GetParent(container) == f.page.Get());
  CHECK_EQ(GetDlgCtrlID(container), kBoxId);
  const HWND control = GetWindow(container, GW_CHILD);
  CHECK(control != nullptr);
  if (!control) return;
  RECT inner{}, client{};
  GetWindowRect(control, &inner);
  GetClientRect(container, &client);
  MapWindowPoints(container, nullptr, reinterpret_cast<POINT*>(&client), 2);
  CHECK_EQ(inner.left, client.left);
  CHECK_EQ(inner.top, client.top);
  CHECK_EQ(inner.right - inner.left, 605L);
  CHECK_EQ(inner.bottom - inner.top, 360L);
  const SIZE sizes[] = {{400, 250}, {620, 390}, {123, 45}};
  for (const SIZE& size : sizes) {
    MoveWindow(container, 0, 20, size.cx, size.cy, TRUE);
    PumpPending();
    GetWindowRect(control, &inner);
    CHECK_EQ(inner.right - inner.left, size.cx);
    CHECK_EQ(inner.bottom - inner.top, size.cy);
  }
}

TEST(FileAddressNavigates) {
  Fixture f;
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"tavrel-ie-box-test.html";
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const char html[] = "<html><body><p>box</p></body></html>";
  DWORD written = 0;
  CHECK(WriteFile(file.Get(), html, sizeof html - 1, &written, nullptr));
  file.Reset();
  std::string url = "file:///" + WideToGbk(path);
  for (char& c : url) {
    if (c == '\\') c = '/';
  }

  f.box.SetAddress(url);
  const bool navigated = f.WaitForAddress();
  DeleteFileW(path.c_str());
  CHECK(navigated);
  CHECK_EQ(FilePath(f.FirstNavigation()), FilePath(url));
  CHECK_EQ(FilePath(f.box.Address()), FilePath(url));
  // The container's text follows what the control reports it is going to.
  CHECK_EQ(WindowText(f.box.Window()), GbkToWide(f.navigations.empty() ? "" : f.navigations.back()));
}

TEST(HttpAddressWithChineseQueryNavigates) {
  Fixture f;
  const std::string url = "http://127.0.0.1:9/s?wd=搜索";
  CHECK_EQ(url.substr(24), std::string("\xCB\xD1\xCB\xF7"));  // the literal is GBK
  f.box.SetAddress(url);
  CHECK_EQ(WindowText(f.box.Window()), std::wstring(L"http://127.0.0.1:9/s?wd=\u641C\u7D22"));
  CHECK(f.WaitForAddress());
  CHECK_EQ(f.FirstNavigation(), url);
  CHECK_EQ(f.box.Address(), url);
}

TEST(StatusTextFollowsTheControlIncludingChinese) {
  Fixture f;
  CHECK_EQ(f.box.StatusText(), std::string());
  CHECK_EQ(RaiseStatusText(f.box.EventSink(), L"\u72B6\u6001 http://127.0.0.1:9/a"), S_OK);
  CHECK_EQ(f.box.StatusText(), std::string("\xD7\xB4\xCC\xAC http://127.0.0.1:9/a"));  // "状态" in GBK
  RaiseStatusText(f.box.EventSink(), L"");
  CHECK_EQ(f.box.StatusText(), std::string());
}

TEST(NewWindow3AsksWithItsUrlAndItsAnswerDecides) {
  Fixture f;
  f.AnswerNewWindows(false);
  const NewWindowCall refused = RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/\u65B0.html");
  CHECK_EQ(refused.hr, S_OK);
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(f.FirstAsked(), std::string("http://127.0.0.1:9/新.html"));
  CHECK_EQ(refused.cancel, VARIANT_TRUE);
  CHECK(refused.newBrowser == nullptr);
  PumpPending();

  f.AnswerNewWindows(true);
  CHECK_EQ(RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/b.html").cancel, VARIANT_FALSE);
  CHECK_EQ(f.asked.size(), size_t{2});
  PumpPending();
  // Without a handler the control keeps its own behaviour.
  f.box.SetNewWindowHandler(nullptr);
  CHECK_EQ(RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/c.html").cancel, VARIANT_FALSE);
}

TEST(HandlerThatNavigatesInPlaceEndsOnTheNewUrl) {
  Fixture f;
  f.box.SetNewWindowHandler([&](const std::string& url) {
    f.asked.push_back(url);
    f.box.SetAddress(url);
    return false;
  });
  const NewWindowCall call = RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/inplace.html");
  CHECK_EQ(call.cancel, VARIANT_TRUE);
  CHECK_EQ(WindowText(f.box.Window()), std::wstring(L"http://127.0.0.1:9/inplace.html"));
  CHECK(f.WaitForAddress());
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(f.navigations.size(), size_t{1});
  CHECK_EQ(f.FirstNavigation(), std::string("http://127.0.0.1:9/inplace.html"));
  CHECK_EQ(f.box.Address(), std::string("http://127.0.0.1:9/inplace.html"));
}

TEST(LastAddressAskedInsideAnEventWins) {
  Fixture f;
  f.box.SetNewWindowHandler([&](const std::string&) {
    f.box.SetAddress("http://127.0.0.1:9/first.html");
    f.box.SetAddress("http://127.0.0.1:9/second.html");
    return false;
  });
  RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/x.html");
  CHECK(f.WaitForAddress());
  PumpPending();
  CHECK_EQ(f.navigations.size(), size_t{1});
  CHECK_EQ(f.box.Address(), std::string("http://127.0.0.1:9/second.html"));
  CHECK_EQ(WindowText(f.box.Window()), std::wstring(L"http://127.0.0.1:9/second.html"));
}

TEST(EmptyNewWindow3UrlLeavesTheStatusTextToTheProgram) {
  Fixture f;
  // What the program does: the status bar holds the link under the mouse.
  f.box.SetNewWindowHandler([&](const std::string& url) {
    f.asked.push_back(url);
    f.box.SetAddress(url.empty() ? f.box.StatusText() : url);
    return false;
  });
  RaiseStatusText(f.box.EventSink(), L"http://127.0.0.1:9/from-status.html");
  CHECK_EQ(RaiseNewWindow3(f.box.EventSink(), L"").cancel, VARIANT_TRUE);
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(f.FirstAsked(), std::string());
  CHECK(f.WaitForAddress());
  CHECK_EQ(f.box.Address(), std::string("http://127.0.0.1:9/from-status.html"));
}

TEST(NewWindow2AloneAsksOnceWithoutUrl) {
  Fixture f;
  f.AnswerNewWindows(false);
  const NewWindowCall call = RaiseNewWindow2(f.box.EventSink());
  CHECK_EQ(call.hr, S_OK);
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(f.FirstAsked(), std::string());
  CHECK_EQ(call.cancel, VARIANT_TRUE);
  CHECK(call.newBrowser == nullptr);
  PumpPending();
  // A later request is a new question, whichever event brings it.
  CHECK_EQ(RaiseNewWindow2(f.box.EventSink()).cancel, VARIANT_TRUE);
  CHECK_EQ(f.asked.size(), size_t{2});
  PumpPending();
  CHECK_EQ(RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/later.html").cancel, VARIANT_TRUE);
  CHECK_EQ(f.asked.size(), size_t{3});
  CHECK_EQ(f.asked.back(), std::string("http://127.0.0.1:9/later.html"));
}

TEST(BothEventsOfOneRequestAskOnce) {
  Fixture f;
  f.AnswerNewWindows(false);
  // NewWindow3 first: asked with its URL; NewWindow2 of the same request gets the answer.
  const NewWindowCall third = RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/pair.html");
  const NewWindowCall second = RaiseNewWindow2(f.box.EventSink());
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(f.FirstAsked(), std::string("http://127.0.0.1:9/pair.html"));
  CHECK_EQ(third.cancel, VARIANT_TRUE);
  CHECK_EQ(second.cancel, VARIANT_TRUE);
  PumpPending();

  // NewWindow2 first: asked once, without a URL.
  f.asked.clear();
  const NewWindowCall early = RaiseNewWindow2(f.box.EventSink());
  const NewWindowCall late = RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/pair2.html");
  CHECK_EQ(f.asked.size(), size_t{1});
  CHECK_EQ(early.cancel, VARIANT_TRUE);
  CHECK_EQ(late.cancel, VARIANT_TRUE);
  PumpPending();

  // Two NewWindow3 in a row are two requests (a script opening two windows).
  f.asked.clear();
  RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/one.html");
  RaiseNewWindow3(f.box.EventSink(), L"http://127.0.0.1:9/two.html");
  CHECK_EQ(f.asked.size(), size_t{2});
}

TEST(FrameNavigationsDoNotChangeTheAddressText) {
  Fixture f;
  f.box.SetAddress("http://127.0.0.1:9/page.html");
  CHECK(f.WaitForAddress());
  const size_t before = f.navigations.size();
  // Any browser object other than the control stands for a frame inside the page.
  RaiseBeforeNavigate(f.box.EventSink(), f.box.EventSink(), L"http://127.0.0.1:9/frame.html");
  CHECK_EQ(WindowText(f.box.Window()), std::wstring(L"http://127.0.0.1:9/page.html"));
  CHECK_EQ(f.navigations.size(), before);
  RaiseBeforeNavigate(f.box.EventSink(), nullptr, L"http://127.0.0.1:9/top.html");
  CHECK_EQ(WindowText(f.box.Window()), std::wstring(L"http://127.0.0.1:9/top.html"));
  CHECK_EQ(f.navigations.size(), before + 1);
}

TEST(HistoryCommandsWithoutHistoryAreHarmless) {
  Fixture f;
  f.box.GoBack();
  f.box.GoForward();
  f.box.Refresh();
  PumpPending();
  CHECK_EQ(f.box.Address(), std::string());
  f.box.SetAddress("http://127.0.0.1:9/after.html");
  CHECK(f.WaitForAddress());
  f.box.GoBack();
  f.box.GoForward();
  f.box.Refresh();
  PumpPending();
  CHECK_EQ(f.box.Address(), std::string("http://127.0.0.1:9/after.html"));
}

TEST(KeysOutsideTheBoxAreNotTaken) {
  Fixture f;
  MSG outside{f.page.Get(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  CHECK(!f.box.TranslateAccelerator(&outside));
  MSG notKey{GetWindow(f.box.Window(), GW_CHILD), WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
  CHECK(!f.box.TranslateAccelerator(&notKey));
  CHECK(!f.box.TranslateAccelerator(nullptr));
}

TEST(DestroyTwiceReleasesEverything) {
  Fixture f;
  const HWND container = f.box.Window();
  CHECK(f.box.HeldReferences() > 0);
  f.box.Destroy();
  CHECK(f.box.Window() == nullptr);
  CHECK(!IsWindow(container));
  CHECK_EQ(f.box.HeldReferences(), 0UL);
  f.box.Destroy();
  CHECK_EQ(f.box.HeldReferences(), 0UL);
  // A dead box ignores what it is asked.
  f.box.SetAddress("http://127.0.0.1:9/dead.html");
  f.box.GoBack();
  CHECK_EQ(f.box.Address(), std::string());
  // And it can be made again.
  CHECK(f.box.Create(f.page.Get(), 0, 20, 300, 200, kBoxId));
  f.box.SetAddress("http://127.0.0.1:9/again.html");
  CHECK(f.WaitForAddress());
  CHECK_EQ(f.box.Address(), std::string("http://127.0.0.1:9/again.html"));
}

TEST(ParentDestroyedFirstStillReleasesTheControl) {
  Fixture f;
  const HWND container = f.box.Window();
  CHECK(f.box.HeldReferences() > 0);
  f.page.Reset();
  CHECK(!IsWindow(container));
  CHECK(f.box.Window() == nullptr);
  CHECK_EQ(f.box.HeldReferences(), 0UL);
  f.box.Destroy();
}

CHECK_MAIN()
