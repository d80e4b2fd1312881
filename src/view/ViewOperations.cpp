// The operations through which the program drives its engine view: loading,
// state, size, history, editing, cookies, volume, zoom, scripts and the whole-page
// picture. Each passes the view and its converted arguments to one engine entry
// point; none hands the engine a null view.
#include <cstring>
#include <new>

#include "enginehost/EngineView.h"
#include "enginehost/WideText.h"
#include "enginehost/WkeApi.h"
#include "view/PageBitmap.h"

namespace {

// UTF-16 bytes as the engine takes them: null when there are none, otherwise
// the first unit, unconverted and unchecked.
const wchar_t* WidePointer(const Bytes& bytes) {
  return bytes.empty() ? nullptr : reinterpret_cast<const wchar_t*>(bytes.data());
}

const char* BodyPointer(const Bytes& body) {
  return body.empty() ? nullptr : reinterpret_cast<const char*>(body.data());
}

// The engine's UTF-16 text with its zero unit; 00 00 when it gave none.
Bytes Utf16Bytes(const wchar_t* text) {
  if (!text) return Bytes(2, 0);
  const size_t bytes = 2 * static_cast<size_t>(lstrlenW(text)) + 2;
  Bytes out(bytes);
  std::memcpy(out.data(), text, bytes);
  return out;
}

constexpr char kHideOverflow[] = "document.body.style.overflow='hidden'";
constexpr char kShowOverflow[] = "document.body.style.overflow='visible'";

// The view, already resized to the picture's size, painted into a bitmap file;
// empty when the memory cannot be had.
Bytes PaintedFile(WkeView view, int32_t width, int32_t height, uint32_t pixelBytes) {
  try {
    std::vector<uint8_t> pixels(pixelBytes);
    // Rows of exactly width × 4 bytes, top row first.
    if (pixelBytes > 0) wkePaint2(view, pixels.data(), 0);
    Bytes file(pagebitmap::kHeaderBytes + static_cast<size_t>(pixelBytes));
    const auto headers = pagebitmap::Headers(width, height, pixelBytes);
    std::memcpy(file.data(), headers.data(), headers.size());
    if (pixelBytes > 0) std::memcpy(file.data() + pagebitmap::kHeaderBytes, pixels.data(), pixelBytes);
    return file;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

// The whole page at its full size, then the view's own size and overflow back.
Bytes CaptureWholePage(WkeView view) {
  // No scroll bars in the picture.
  wkeRunJS(view, kHideOverflow);
  const int32_t contentWidth = wkeGetContentWidth(view);
  const int32_t contentHeight = wkeGetContentHeight(view);
  const int32_t width = wkeGetWidth(view);
  const int32_t height = wkeGetHeight(view);
  Bytes file;
  // A page too large to hold is not laid out at its full size at all.
  if (const auto pixelBytes = pagebitmap::PixelBytes(contentWidth, contentHeight)) {
    wkeResize(view, contentWidth, contentHeight);
    file = PaintedFile(view, contentWidth, contentHeight, *pixelBytes);
  }
  wkeResize(view, width, height);
  wkeRunJS(view, kShowOverflow);
  return file;
}

// Every operation goes through one of these two: the call with the current
// view, or, without one, no call at all and the empty answer `none`.
template <typename Call>
void WithView(const std::atomic<WkeView>& current, Call call) {
  if (const WkeView view = current.load()) call(view);
}

template <typename Result, typename Call>
Result WithView(const std::atomic<WkeView>& current, Result none, Call call) {
  const WkeView view = current.load();
  return view ? static_cast<Result>(call(view)) : none;
}

}  // namespace

HWND EngineView::GetHostWindow() const { return hostWindow_.load(); }

WkeView EngineView::GetWebView() const { return webView_.load(); }

void EngineView::LoadURL(const std::string& url) {
  WithView(webView_, [&](WkeView view) { wkeLoadURLW(view, ToWide(url.c_str()).data()); });
}

void EngineView::LoadURLW(const Bytes& url) {
  WithView(webView_, [&](WkeView view) { wkeLoadURLW(view, WidePointer(url)); });
}

void EngineView::PostURL(const std::string& url, const Bytes& body) {
  WithView(webView_, [&](WkeView view) {
    wkePostURLW(view, ToWide(url.c_str()).data(), BodyPointer(body), static_cast<int>(body.size()));
  });
}

void EngineView::PostURLW(const Bytes& url, const Bytes& body) {
  WithView(webView_, [&](WkeView view) {
    wkePostURLW(view, WidePointer(url), BodyPointer(body), static_cast<int>(body.size()));
  });
}

void EngineView::LoadHTML(const std::string& html) {
  WithView(webView_, [&](WkeView view) { wkeLoadHTMLW(view, ToWide(html.c_str()).data()); });
}

void EngineView::LoadHTMLW(const Bytes& html) {
  WithView(webView_, [&](WkeView view) { wkeLoadHTMLW(view, WidePointer(html)); });
}

void EngineView::LoadFile(const std::string& path) {
  WithView(webView_, [&](WkeView view) { wkeLoadFileW(view, ToWide(path.c_str()).data()); });
}

void EngineView::LoadFileW(const Bytes& path) {
  WithView(webView_, [&](WkeView view) { wkeLoadFileW(view, WidePointer(path)); });
}

void EngineView::Load(const std::string& what) {
  WithView(webView_, [&](WkeView view) { wkeLoadW(view, ToWide(what.c_str()).data()); });
}

void EngineView::LoadW(const Bytes& what) {
  WithView(webView_, [&](WkeView view) { wkeLoadW(view, WidePointer(what)); });
}

void EngineView::SetUserAgent(const std::string& agent) {
  WithView(webView_, [&](WkeView view) { wkeSetUserAgentW(view, ToWide(agent.c_str()).data()); });
}

void EngineView::SetUserAgentW(const Bytes& agent) {
  WithView(webView_, [&](WkeView view) { wkeSetUserAgentW(view, WidePointer(agent)); });
}

bool EngineView::IsLoading() { return WithView(webView_, false, wkeIsLoading); }
bool EngineView::IsLoadingSucceeded() { return WithView(webView_, false, wkeIsLoadingSucceeded); }
bool EngineView::IsLoadingFailed() { return WithView(webView_, false, wkeIsLoadingFailed); }
bool EngineView::IsLoadingCompleted() { return WithView(webView_, false, wkeIsLoadingCompleted); }
bool EngineView::IsDocumentReady() { return WithView(webView_, false, wkeIsDocumentReady); }
void EngineView::StopLoading() { WithView(webView_, wkeStopLoading); }
void EngineView::Reload() { WithView(webView_, wkeReload); }

std::string EngineView::GetTitle() {
  return WithView(webView_, std::string(), [](WkeView view) { return ToGbk(wkeGetTitleW(view)); });
}

Bytes EngineView::GetTitleW() { return Utf16Bytes(WithView<const wchar_t*>(webView_, nullptr, wkeGetTitleW)); }

int32_t EngineView::GetWidth() { return WithView(webView_, 0, wkeGetWidth); }
int32_t EngineView::GetHeight() { return WithView(webView_, 0, wkeGetHeight); }
int32_t EngineView::GetContentWidth() { return WithView(webView_, 0, wkeGetContentWidth); }
int32_t EngineView::GetContentHeight() { return WithView(webView_, 0, wkeGetContentHeight); }
bool EngineView::CanGoBack() { return WithView(webView_, false, wkeCanGoBack); }
bool EngineView::GoBack() { return WithView(webView_, false, wkeGoBack); }
bool EngineView::CanGoForward() { return WithView(webView_, false, wkeCanGoForward); }
bool EngineView::GoForward() { return WithView(webView_, false, wkeGoForward); }
void EngineView::EditorSelectAll() { WithView(webView_, wkeEditorSelectAll); }
void EngineView::EditorCopy() { WithView(webView_, wkeEditorCopy); }
void EngineView::EditorCut() { WithView(webView_, wkeEditorCut); }
void EngineView::EditorPaste() { WithView(webView_, wkeEditorPaste); }
void EngineView::EditorDelete() { WithView(webView_, wkeEditorDelete); }

std::string EngineView::GetCookie() {
  return WithView(webView_, std::string(), [](WkeView view) { return ToGbk(wkeGetCookieW(view)); });
}

Bytes EngineView::GetCookieW() { return Utf16Bytes(WithView<const wchar_t*>(webView_, nullptr, wkeGetCookieW)); }

void EngineView::SetCookieEnabled(int32_t enable) {
  WithView(webView_, [&](WkeView view) { wkeSetCookieEnabled(view, enable != 0); });
}

bool EngineView::IsCookieEnabled() { return WithView(webView_, false, wkeIsCookieEnabled); }

void EngineView::SetMediaVolume(float volume) {
  WithView(webView_, [&](WkeView view) { wkeSetMediaVolume(view, volume); });
}

float EngineView::GetMediaVolume() { return WithView(webView_, 0.0f, wkeMediaVolume); }

void EngineView::SetZoomFactor(float factor) {
  WithView(webView_, [&](WkeView view) { wkeSetZoomFactor(view, factor); });
}

float EngineView::GetZoomFactor() { return WithView(webView_, 0.0f, wkeGetZoomFactor); }

void EngineView::SetEditable(int32_t editable) {
  WithView(webView_, [&](WkeView view) { wkeSetEditable(view, editable != 0); });
}

WkeScriptValue EngineView::RunJS(const std::string& script) {
  return WithView<WkeScriptValue>(webView_, 0,
                                  [&](WkeView view) { return wkeRunJSW(view, ToWide(script.c_str()).data()); });
}

WkeScriptValue EngineView::RunJSW(const Bytes& script) {
  return WithView<WkeScriptValue>(webView_, 0, [&](WkeView view) { return wkeRunJSW(view, WidePointer(script)); });
}

WkeExecState EngineView::GlobalExec() { return WithView<WkeExecState>(webView_, nullptr, wkeGlobalExec); }

Bytes EngineView::CaptureBitmap() { return WithView(webView_, Bytes(), CaptureWholePage); }
