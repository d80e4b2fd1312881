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

}  // namespace

HWND EngineView::GetHostWindow() const { return hostWindow_.load(); }

WkeView EngineView::GetWebView() const { return webView_.load(); }

void EngineView::LoadURL(const std::string& url) {
  if (const WkeView view = webView_.load()) wkeLoadURLW(view, ToWide(url.c_str()).data());
}

void EngineView::LoadURLW(const Bytes& url) {
  if (const WkeView view = webView_.load()) wkeLoadURLW(view, WidePointer(url));
}

void EngineView::PostURL(const std::string& url, const Bytes& body) {
  if (const WkeView view = webView_.load()) {
    wkePostURLW(view, ToWide(url.c_str()).data(), BodyPointer(body), static_cast<int>(body.size()));
  }
}

void EngineView::PostURLW(const Bytes& url, const Bytes& body) {
  if (const WkeView view = webView_.load()) {
    wkePostURLW(view, WidePointer(url), BodyPointer(body), static_cast<int>(body.size()));
  }
}

void EngineView::LoadHTML(const std::string& html) {
  if (const WkeView view = webView_.load()) wkeLoadHTMLW(view, ToWide(html.c_str()).data());
}

void EngineView::LoadHTMLW(const Bytes& html) {
  if (const WkeView view = webView_.load()) wkeLoadHTMLW(view, WidePointer(html));
}

void EngineView::LoadFile(const std::string& path) {
  if (const WkeView view = webView_.load()) wkeLoadFileW(view, ToWide(path.c_str()).data());
}

void EngineView::LoadFileW(const Bytes& path) {
  if (const WkeView view = webView_.load()) wkeLoadFileW(view, WidePointer(path));
}

void EngineView::Load(const std::string& what) {
  if (const WkeView view = webView_.load()) wkeLoadW(view, ToWide(what.c_str()).data());
}

void EngineView::LoadW(const Bytes& what) {
  if (const WkeView view = webView_.load()) wkeLoadW(view, WidePointer(what));
}

void EngineView::SetUserAgent(const std::string& agent) {
  if (const WkeView view = webView_.load()) wkeSetUserAgentW(view, ToWide(agent.c_str()).data());
}

void EngineView::SetUserAgentW(const Bytes& agent) {
  if (const WkeView view = webView_.load()) wkeSetUserAgentW(view, WidePointer(agent));
}

bool EngineView::IsLoading() {
  const WkeView view = webView_.load();
  return view && wkeIsLoading(view);
}

bool EngineView::IsLoadingSucceeded() {
  const WkeView view = webView_.load();
  return view && wkeIsLoadingSucceeded(view);
}

bool EngineView::IsLoadingFailed() {
  const WkeView view = webView_.load();
  return view && wkeIsLoadingFailed(view);
}

bool EngineView::IsLoadingCompleted() {
  const WkeView view = webView_.load();
  return view && wkeIsLoadingCompleted(view);
}

bool EngineView::IsDocumentReady() {
  const WkeView view = webView_.load();
  return view && wkeIsDocumentReady(view);
}

void EngineView::StopLoading() {
  if (const WkeView view = webView_.load()) wkeStopLoading(view);
}

void EngineView::Reload() {
  if (const WkeView view = webView_.load()) wkeReload(view);
}

std::string EngineView::GetTitle() {
  const WkeView view = webView_.load();
  return view ? ToGbk(wkeGetTitleW(view)) : std::string();
}

Bytes EngineView::GetTitleW() {
  const WkeView view = webView_.load();
  return Utf16Bytes(view ? wkeGetTitleW(view) : nullptr);
}

int32_t EngineView::GetWidth() {
  const WkeView view = webView_.load();
  return view ? wkeGetWidth(view) : 0;
}

int32_t EngineView::GetHeight() {
  const WkeView view = webView_.load();
  return view ? wkeGetHeight(view) : 0;
}

int32_t EngineView::GetContentWidth() {
  const WkeView view = webView_.load();
  return view ? wkeGetContentWidth(view) : 0;
}

int32_t EngineView::GetContentHeight() {
  const WkeView view = webView_.load();
  return view ? wkeGetContentHeight(view) : 0;
}

bool EngineView::CanGoBack() {
  const WkeView view = webView_.load();
  return view && wkeCanGoBack(view);
}

bool EngineView::GoBack() {
  const WkeView view = webView_.load();
  return view && wkeGoBack(view);
}

bool EngineView::CanGoForward() {
  const WkeView view = webView_.load();
  return view && wkeCanGoForward(view);
}

bool EngineView::GoForward() {
  const WkeView view = webView_.load();
  return view && wkeGoForward(view);
}

void EngineView::EditorSelectAll() {
  if (const WkeView view = webView_.load()) wkeEditorSelectAll(view);
}

void EngineView::EditorCopy() {
  if (const WkeView view = webView_.load()) wkeEditorCopy(view);
}

void EngineView::EditorCut() {
  if (const WkeView view = webView_.load()) wkeEditorCut(view);
}

void EngineView::EditorPaste() {
  if (const WkeView view = webView_.load()) wkeEditorPaste(view);
}

void EngineView::EditorDelete() {
  if (const WkeView view = webView_.load()) wkeEditorDelete(view);
}

std::string EngineView::GetCookie() {
  const WkeView view = webView_.load();
  return view ? ToGbk(wkeGetCookieW(view)) : std::string();
}

Bytes EngineView::GetCookieW() {
  const WkeView view = webView_.load();
  return Utf16Bytes(view ? wkeGetCookieW(view) : nullptr);
}

void EngineView::SetCookieEnabled(int32_t enable) {
  if (const WkeView view = webView_.load()) wkeSetCookieEnabled(view, enable != 0);
}

bool EngineView::IsCookieEnabled() {
  const WkeView view = webView_.load();
  return view && wkeIsCookieEnabled(view);
}

void EngineView::SetMediaVolume(float volume) {
  if (const WkeView view = webView_.load()) wkeSetMediaVolume(view, volume);
}

float EngineView::GetMediaVolume() {
  const WkeView view = webView_.load();
  return view ? wkeMediaVolume(view) : 0.0f;
}

void EngineView::SetZoomFactor(float factor) {
  if (const WkeView view = webView_.load()) wkeSetZoomFactor(view, factor);
}

float EngineView::GetZoomFactor() {
  const WkeView view = webView_.load();
  return view ? wkeGetZoomFactor(view) : 0.0f;
}

void EngineView::SetEditable(int32_t editable) {
  if (const WkeView view = webView_.load()) wkeSetEditable(view, editable != 0);
}

WkeScriptValue EngineView::RunJS(const std::string& script) {
  const WkeView view = webView_.load();
  return view ? wkeRunJSW(view, ToWide(script.c_str()).data()) : 0;
}

WkeScriptValue EngineView::RunJSW(const Bytes& script) {
  const WkeView view = webView_.load();
  return view ? wkeRunJSW(view, WidePointer(script)) : 0;
}

WkeExecState EngineView::GlobalExec() {
  const WkeView view = webView_.load();
  return view ? wkeGlobalExec(view) : nullptr;
}

Bytes EngineView::CaptureBitmap() {
  const WkeView view = webView_.load();
  if (!view) return {};
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
