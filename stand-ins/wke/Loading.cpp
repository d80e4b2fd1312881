#include "Loading.h"

#include <windows.h>

#include <algorithm>

#include "CallLog.h"
#include "Exports.h"
#include "Picture.h"
#include "Scripts.h"
#include "platform/Handles.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

std::wstring ReadFileText(const std::wstring& path, bool& found) {
  found = false;
  const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  {
    const KernelHandle file(opened);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  }
  found = true;
  if (bytes.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
  return text;
}

void ShowEntry(View& view, const HistoryEntry& entry) {
  view.page = Page();
  view.scrollY = 0;
  view.loadFailed = false;
  std::wstring failure;
  if (entry.kind == HistoryEntry::kUrl && (StartsWith(entry.address, L"http://") || StartsWith(entry.address, L"https://"))) {
    view.page.title = entry.address;
    view.page.lines.push_back({entry.address, L"", L""});
    view.page.lines.push_back({L"This stand-in engine shows no web content.", L"", L""});
    view.loadFailed = true;
    failure = L"the stand-in engine fetches nothing from the network";
  } else if (entry.kind == HistoryEntry::kHtml) {
    view.page = ParseHtml(entry.source);
  } else {
    bool found = false;
    const std::wstring text = ReadFileText(entry.source, found);
    if (found) {
      view.page = ParseHtml(text);
    } else {
      view.page.lines.push_back({L"Cannot open " + entry.source, L"", L""});
      view.loadFailed = true;
      failure = L"file not found";
    }
  }
  view.loaded = true;
  view.url = entry.address;
  WkeStringObject url{view.url};
  if (auto changed = CallbackOf<WkeURLChangedCallback>(view, kUrlSlot)) {
    changed(Handle(view), view.callbacks[kUrlSlot].param, Str(url));
  }
  view.title = view.page.title;
  if (!view.title.empty()) {
    if (auto changed = CallbackOf<WkeTitleChangedCallback>(view, kTitleSlot)) {
      WkeStringObject title{view.title};
      changed(Handle(view), view.callbacks[kTitleSlot].param, Str(title));
    }
  }
  const std::vector<std::wstring> scripts = view.page.scripts;
  for (const std::wstring& script : scripts) RunScript(view, script);
  if (auto ready = CallbackOf<WkeDocumentReadyCallback>(view, kDocumentReadySlot)) {
    const WkeDocumentReadyRecord record{Str(url), &view.execState, &view.execState};
    ready(Handle(view), view.callbacks[kDocumentReadySlot].param, &record);
  }
  if (auto finished = CallbackOf<WkeLoadingFinishCallback>(view, kLoadingFinishSlot)) {
    WkeStringObject reason{failure};
    finished(Handle(view), view.callbacks[kLoadingFinishSlot].param, Str(url), view.loadFailed ? 1 : 0, Str(reason));
  }
  MarkDirty(view);
}

bool StepHistory(WkeView handle, int step) {
  View* view = Find(handle);
  if (!view) return false;
  const int index = view->historyIndex + step;
  if (index < 0 || index >= static_cast<int>(view->history.size())) return false;
  const HistoryEntry entry = view->history[static_cast<size_t>(index)];
  view->historyIndex = index;
  if (!Navigate(*view, entry, kNavBackForward, false)) {
    view->historyIndex -= step;
    return false;
  }
  return true;
}
}  // namespace

bool Navigate(View& view, const HistoryEntry& entry, int type, bool addToHistory) {
  if (auto navigation = CallbackOf<WkeNavigationCallback>(view, kNavigationSlot)) {
    WkeStringObject url{entry.address};
    const bool go = navigation(Handle(view), view.callbacks[kNavigationSlot].param, type, Str(url));
    Log(L"> navigation(" + V(Handle(view)) + L", " + I(type) + L", " + S(entry.address) + L") -> " + B(go));
    if (!go) return false;
  }
  if (addToHistory) {
    view.history.resize(static_cast<size_t>(view.historyIndex + 1));
    view.history.push_back(entry);
    view.historyIndex = static_cast<int>(view.history.size()) - 1;
  }
  ShowEntry(view, entry);
  return true;
}

HistoryEntry UrlEntry(const std::wstring& url) {
  if (StartsWith(url, L"file:///")) {
    std::wstring path = url.substr(8);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return {HistoryEntry::kFile, url, path};
  }
  return {HistoryEntry::kUrl, url, L""};
}

HistoryEntry FileEntry(const std::wstring& path) {
  std::wstring url = L"file:///" + path;
  std::replace(url.begin(), url.end(), L'\\', L'/');
  return {HistoryEntry::kFile, url, path};
}

bool OpenNewWindow(View& view, const std::wstring& url, const std::wstring& target, const std::wstring& features) {
  auto create = CallbackOf<WkeCreateViewCallback>(view, kCreateViewSlot);
  if (!create) {
    Log(L"> createView(" + V(Handle(view)) + L", " + S(url) + L") not registered: nothing opens");
    return false;
  }
  WkeStringObject urlString{url};
  WkeStringObject targetString{target};
  const int fallback = features.empty() ? 1 : 0;
  WkeNewViewRecord record{};
  record.navigationType = kNavLink;
  record.url = Str(urlString);
  record.target = Str(targetString);
  record.x = FeatureValue(features, L"left", 0);
  record.y = FeatureValue(features, L"top", 0);
  record.width = FeatureValue(features, L"width", 0);
  record.height = FeatureValue(features, L"height", 0);
  record.menuBarVisible = static_cast<uint8_t>(FeatureValue(features, L"menubar", fallback));
  record.statusBarVisible = static_cast<uint8_t>(FeatureValue(features, L"status", fallback));
  record.toolBarVisible = static_cast<uint8_t>(FeatureValue(features, L"toolbar", fallback));
  record.locationBarVisible = static_cast<uint8_t>(FeatureValue(features, L"location", fallback));
  record.scrollBarsVisible = static_cast<uint8_t>(FeatureValue(features, L"scrollbars", fallback));
  record.resizable = static_cast<uint8_t>(FeatureValue(features, L"resizable", fallback));
  record.fullScreen = static_cast<uint8_t>(FeatureValue(features, L"fullscreen", 0));
  const WkeView chosen = create(Handle(view), view.callbacks[kCreateViewSlot].param, &record);
  Log(L"> createView(" + V(Handle(view)) + L", " + S(url) + L", " + S(target) + L") -> " + V(chosen));
  View* into = Find(chosen);
  if (!into) return false;
  return Navigate(*into, UrlEntry(url), kNavLink, true);
}

STANDIN_EXPORT void WKE_CALL wkeLoadURLW(WkeView handle, const wchar_t* url) {
  LogCall(L"wkeLoadURLW", {V(handle), S(url)});
  if (View* view = Find(handle)) Navigate(*view, UrlEntry(url ? url : L""), kNavOther, true);
}

STANDIN_EXPORT void WKE_CALL wkeLoadHTMLW(WkeView handle, const wchar_t* html) {
  LogCall(L"wkeLoadHTMLW", {V(handle), S(html)});
  if (View* view = Find(handle)) Navigate(*view, {HistoryEntry::kHtml, L"about:blank", html ? html : L""}, kNavOther, true);
}

STANDIN_EXPORT void WKE_CALL wkeLoadFileW(WkeView handle, const wchar_t* path) {
  LogCall(L"wkeLoadFileW", {V(handle), S(path)});
  if (View* view = Find(handle)) Navigate(*view, FileEntry(path ? path : L""), kNavOther, true);
}

// An address with a scheme is a URL, an existing file a file, anything else HTML.
STANDIN_EXPORT void WKE_CALL wkeLoadW(WkeView handle, const wchar_t* what) {
  LogCall(L"wkeLoadW", {V(handle), S(what)});
  View* view = Find(handle);
  if (!view) return;
  const std::wstring text = what ? what : L"";
  if (text.find(L"://") != std::wstring::npos) {
    Navigate(*view, UrlEntry(text), kNavOther, true);
  } else if (!text.empty() && GetFileAttributesW(text.c_str()) != INVALID_FILE_ATTRIBUTES) {
    Navigate(*view, FileEntry(text), kNavOther, true);
  } else {
    Navigate(*view, {HistoryEntry::kHtml, L"about:blank", text}, kNavOther, true);
  }
}

STANDIN_EXPORT void WKE_CALL wkePostURLW(WkeView handle, const wchar_t* url, const char* body, int bodyLength) {
  LogCall(L"wkePostURLW", {V(handle), S(url), P(body), I(bodyLength)});
  if (View* view = Find(handle)) Navigate(*view, UrlEntry(url ? url : L""), kNavPost, true);
}

STANDIN_EXPORT void WKE_CALL wkeStopLoading(WkeView handle) { LogCall(L"wkeStopLoading", {V(handle)}); }

STANDIN_EXPORT void WKE_CALL wkeReload(WkeView handle) {
  LogCall(L"wkeReload", {V(handle)});
  View* view = Find(handle);
  if (view && view->historyIndex >= 0) {
    Navigate(*view, view->history[static_cast<size_t>(view->historyIndex)], kNavReload, false);
  }
}

STANDIN_EXPORT bool WKE_CALL wkeGoBack(WkeView handle) {
  const bool moved = StepHistory(handle, -1);
  Log(L"wkeGoBack(" + V(handle) + L") -> " + B(moved));
  return moved;
}

STANDIN_EXPORT bool WKE_CALL wkeGoForward(WkeView handle) {
  const bool moved = StepHistory(handle, +1);
  Log(L"wkeGoForward(" + V(handle) + L") -> " + B(moved));
  return moved;
}
