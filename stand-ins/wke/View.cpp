// The views: made, found, set and asked about, and the callbacks registered on them.
#include "View.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "CallLog.h"
#include "Exports.h"
#include "Picture.h"

namespace {

std::mutex viewsMutex;
std::map<View*, std::unique_ptr<View>> views;
int nextViewId = 1;
bool initialized = false;

}  // namespace

View* Find(WkeView handle) {
  std::lock_guard<std::mutex> lock(viewsMutex);
  const auto found = views.find(reinterpret_cast<View*>(handle));
  return found == views.end() ? nullptr : found->second.get();
}

STANDIN_EXPORT void WKE_CALL wkeInitialize() {
  LogCall(L"wkeInitialize", {});
  initialized = true;
}

STANDIN_EXPORT_FINALIZE void WKE_CALL wkeFinalize() {
  LogCall(L"wkeFinalize", {});
  std::lock_guard<std::mutex> lock(viewsMutex);
  views.clear();
  initialized = false;
}

STANDIN_EXPORT WkeView WKE_CALL wkeCreateWebView() {
  if (!initialized) {
    LogCall(L"wkeCreateWebView", {});
    Log(L"> not initialised: no view");
    return nullptr;
  }
  auto view = std::make_unique<View>();
  View* raw = view.get();
  {
    std::lock_guard<std::mutex> lock(viewsMutex);
    view->id = nextViewId++;
    views[raw] = std::move(view);
  }
  Log(L"wkeCreateWebView() -> " + V(Handle(*raw)));
  return Handle(*raw);
}

STANDIN_EXPORT void WKE_CALL wkeDestroyWebView(WkeView handle) {
  LogCall(L"wkeDestroyWebView", {V(handle)});
  std::lock_guard<std::mutex> lock(viewsMutex);
  views.erase(reinterpret_cast<View*>(handle));
}

STANDIN_EXPORT void WKE_CALL wkeSetHostWindow(WkeView handle, HWND window) {
  LogCall(L"wkeSetHostWindow", {V(handle), P(window)});
  if (View* view = Find(handle)) view->hostWindow = window;
}

STANDIN_EXPORT void WKE_CALL wkeSetTransparent(WkeView handle, bool transparent) {
  LogCall(L"wkeSetTransparent", {V(handle), B(transparent)});
  if (View* view = Find(handle)) {
    view->transparent = transparent;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeSetCookieEnabled(WkeView handle, bool enable) {
  LogCall(L"wkeSetCookieEnabled", {V(handle), B(enable)});
  if (View* view = Find(handle)) view->cookieEnabled = enable;
}

STANDIN_EXPORT void WKE_CALL wkeSetEditable(WkeView handle, bool editable) {
  LogCall(L"wkeSetEditable", {V(handle), B(editable)});
  if (View* view = Find(handle)) {
    view->editable = editable;
    MarkDirty(*view);
  }
}

// Polled from the host's paint thread: reads only the atomic flag, and under
// the lock, since the GUI thread may destroy the view meanwhile.
STANDIN_EXPORT bool WKE_CALL wkeIsDirty(WkeView handle) {
  bool dirty = false;
  std::wstring name = handle ? L"#?" : L"#0";
  {
    std::lock_guard<std::mutex> lock(viewsMutex);
    const auto found = views.find(reinterpret_cast<View*>(handle));
    if (found != views.end()) {
      dirty = found->second->dirty.load();
      name = L"#" + std::to_wstring(found->second->id);
    }
  }
  Log(L"wkeIsDirty(" + name + L") -> " + B(dirty));
  return dirty;
}

STANDIN_EXPORT void WKE_CALL wkeOnPaintUpdated(WkeView handle, WkePaintUpdatedCallback callback, void* param) {
  LogCall(L"wkeOnPaintUpdated", {V(handle), P(callback), P(param)});
  if (View* view = Find(handle)) view->callbacks[kPaintSlot] = {reinterpret_cast<void*>(callback), param};
}

STANDIN_EXPORT void WKE_CALL wkeSetUserAgentW(WkeView handle, const wchar_t* agent) {
  LogCall(L"wkeSetUserAgentW", {V(handle), S(agent)});
  if (View* view = Find(handle)) view->userAgent = agent ? agent : L"";
}

#define STANDIN_VIEW_QUERY(result, name, expression, show)          \
  STANDIN_EXPORT result WKE_CALL name(WkeView handle) {              \
    View* view = Find(handle);                                       \
    const result value = view ? (expression) : result();             \
    Log(STANDIN_NAME(name) L"(" + V(handle) + L") -> " + show(value));        \
    return value;                                                    \
  }

STANDIN_VIEW_QUERY(bool, wkeIsLoading, false, B)
STANDIN_VIEW_QUERY(bool, wkeIsLoadingSucceeded, view->loaded && !view->loadFailed, B)
STANDIN_VIEW_QUERY(bool, wkeIsLoadingFailed, view->loaded && view->loadFailed, B)
STANDIN_VIEW_QUERY(bool, wkeIsLoadingCompleted, view->loaded, B)
STANDIN_VIEW_QUERY(bool, wkeIsDocumentReady, view->loaded, B)
STANDIN_VIEW_QUERY(bool, wkeCanGoBack, view->historyIndex > 0, B)
STANDIN_VIEW_QUERY(bool, wkeCanGoForward, view->historyIndex + 1 < static_cast<int>(view->history.size()), B)
STANDIN_VIEW_QUERY(bool, wkeIsCookieEnabled, view->cookieEnabled, B)
STANDIN_VIEW_QUERY(int, wkeGetWidth, view->width, I)
STANDIN_VIEW_QUERY(int, wkeGetHeight, view->height, I)
STANDIN_VIEW_QUERY(int, wkeGetContentWidth, ContentWidth(*view), I)
STANDIN_VIEW_QUERY(int, wkeGetContentHeight, ContentHeight(*view), I)
STANDIN_VIEW_QUERY(float, wkeMediaVolume, view->volume, F)
STANDIN_VIEW_QUERY(float, wkeGetZoomFactor, view->zoom, F)
STANDIN_VIEW_QUERY(WkeExecState, wkeGlobalExec, &view->execState, P)
#undef STANDIN_VIEW_QUERY

STANDIN_EXPORT const wchar_t* WKE_CALL wkeGetTitleW(WkeView handle) {
  View* view = Find(handle);
  const wchar_t* title = view && !view->title.empty() ? view->title.c_str() : nullptr;
  Log(L"wkeGetTitleW(" + V(handle) + L") -> " + S(title));
  return title;
}

STANDIN_EXPORT const wchar_t* WKE_CALL wkeGetCookieW(WkeView handle) {
  View* view = Find(handle);
  const wchar_t* cookie = view && !view->cookie.empty() ? view->cookie.c_str() : nullptr;
  Log(L"wkeGetCookieW(" + V(handle) + L") -> " + S(cookie));
  return cookie;
}

STANDIN_EXPORT const wchar_t* WKE_CALL wkeGetStringW(WkeString string) {
  const wchar_t* text = string ? string->text.c_str() : L"";
  Log(L"wkeGetStringW(" + S(text) + L")");
  return text;
}

STANDIN_EXPORT void WKE_CALL wkeSetStringW(WkeString string, const wchar_t* text, size_t units) {
  const std::wstring value = text ? std::wstring(text, units) : std::wstring();
  Log(L"wkeSetStringW(" + S(value) + L", " + I(static_cast<long long>(units)) + L")");
  if (string) string->text = value;
}

STANDIN_EXPORT void WKE_CALL wkeSetMediaVolume(WkeView handle, float volume) {
  LogCall(L"wkeSetMediaVolume", {V(handle), F(volume)});
  if (View* view = Find(handle)) view->volume = volume;
}

STANDIN_EXPORT void WKE_CALL wkeSetZoomFactor(WkeView handle, float factor) {
  LogCall(L"wkeSetZoomFactor", {V(handle), F(factor)});
  if (View* view = Find(handle); view && factor > 0) {
    view->zoom = factor;
    MarkDirty(*view);
  }
}

#define STANDIN_REGISTRATION(name, Callback, slot)                                           \
  STANDIN_EXPORT void WKE_CALL name(WkeView handle, Callback callback, void* param) {        \
    LogCall(STANDIN_NAME(name), {V(handle), P(callback), P(param)});                                  \
    if (View* view = Find(handle)) view->callbacks[slot] = {reinterpret_cast<void*>(callback), param}; \
  }

STANDIN_REGISTRATION(wkeOnTitleChanged, WkeTitleChangedCallback, kTitleSlot)
STANDIN_REGISTRATION(wkeOnURLChanged, WkeURLChangedCallback, kUrlSlot)
STANDIN_REGISTRATION(wkeOnAlertBox, WkeAlertBoxCallback, kAlertSlot)
STANDIN_REGISTRATION(wkeOnConfirmBox, WkeConfirmBoxCallback, kConfirmSlot)
STANDIN_REGISTRATION(wkeOnPromptBox, WkePromptBoxCallback, kPromptSlot)
STANDIN_REGISTRATION(wkeOnConsoleMessage, WkeConsoleMessageCallback, kConsoleSlot)
STANDIN_REGISTRATION(wkeOnNavigation, WkeNavigationCallback, kNavigationSlot)
STANDIN_REGISTRATION(wkeOnCreateView, WkeCreateViewCallback, kCreateViewSlot)
STANDIN_REGISTRATION(wkeOnDocumentReady, WkeDocumentReadyCallback, kDocumentReadySlot)
STANDIN_REGISTRATION(wkeOnLoadingFinish, WkeLoadingFinishCallback, kLoadingFinishSlot)
#undef STANDIN_REGISTRATION
