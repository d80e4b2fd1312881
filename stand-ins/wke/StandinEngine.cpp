// A stand-in for the WebKit engine library: the smallest engine behind the same
// entry points that lets every behaviour of its host be seen and tested. It
// fetches nothing from the network; it shows HTML as lines of text, paints a
// picture of its page and of the input it received, calls the registered
// callbacks, and logs every call, readable through standinCallLog.
//
// Its own codes: navigation types 0 link, 1 form post, 2 back/forward, 3 reload,
// 4 other; loading results 0 succeeded, 1 failed; console source 1 (script),
// type 0, level 1 log, 2 warn, 3 error. A script value is kind << 32 | payload:
// kind 0 undefined, 1 boolean (0/1), 2 number, 3 string (payload: its length).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "Page.h"
#include "enginehost/WkeEntryPoints.h"
#include "platform/Handles.h"

#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#if defined(STANDIN_WITHOUT_FINALIZE)
// The build that lacks one entry point, for the host's missing-entry message.
#define STANDIN_EXPORT_FINALIZE extern "C"
#else
#define STANDIN_EXPORT_FINALIZE STANDIN_EXPORT
#endif

struct WkeStringObject {
  std::wstring text;
};
struct WkeExecStateObject {
  int unused = 0;
};

namespace {

enum NavigationType { kNavLink = 0, kNavPost = 1, kNavBackForward = 2, kNavReload = 3, kNavOther = 4 };

constexpr COLORREF kBackground = RGB(240, 244, 232);
constexpr COLORREF kHeader = RGB(40, 70, 120);
constexpr COLORREF kTraceBand = RGB(255, 250, 205);
constexpr COLORREF kMouseMark = RGB(255, 0, 0);
constexpr COLORREF kFocusFrame = RGB(255, 128, 0);
constexpr COLORREF kScrollBar = RGB(160, 160, 160);
constexpr int kHeaderHeight = 40;
constexpr int kContentTop = 48;
constexpr int kTraceHeight = 40;
constexpr int kMargin = 8;

struct Callback {
  void* function = nullptr;
  void* param = nullptr;
};

struct HistoryEntry {
  enum Kind { kUrl, kHtml, kFile } kind = kHtml;
  std::wstring address;  // the URL shown
  std::wstring source;   // the HTML, or the file's path
};

struct View {
  int id = 0;
  int width = 0;
  int height = 0;
  std::atomic<bool> dirty{false};
  HWND hostWindow = nullptr;
  bool transparent = false;
  bool editable = false;
  bool focused = false;
  bool cookieEnabled = true;
  float zoom = 1.0f;
  float volume = 1.0f;
  std::wstring userAgent;
  std::wstring cookie;
  std::wstring url;
  std::wstring title;
  Page page;
  bool loaded = false;
  bool loadFailed = false;
  std::vector<HistoryEntry> history;
  int historyIndex = -1;
  int scrollY = 0;
  std::wstring typed;
  bool selectedAll = false;
  std::wstring clipboard;
  std::wstring lastKey;
  std::wstring lastMenu;
  std::wstring lastWheel;
  int mouseX = -1;
  int mouseY = -1;
  unsigned mouseMessage = 0;
  unsigned mouseFlags = 0;
  // Set by the script "standin.stayDirty = true": every paint leaves the view
  // dirty, so a host repaints it without pause (for measuring repaint rates).
  bool stayDirty = false;
  Callback callbacks[11];
  WkeExecStateObject execState;
  // The picture, drawn with GDI into a top-down 32-bit DIB. Members go in this
  // order so the bitmap is deselected before it is deleted, and both before the DC.
  OwnedDc dc;
  GdiObject bitmap;
  std::optional<SelectedObject> bitmapSelection;
  uint32_t* pixels = nullptr;  // the DIB's bits, owned by `bitmap`
  int pictureWidth = 0;
  int pictureHeight = 0;
};

enum CallbackSlot {
  kTitleSlot, kUrlSlot, kPaintSlot, kAlertSlot, kConfirmSlot, kPromptSlot,
  kConsoleSlot, kNavigationSlot, kCreateViewSlot, kDocumentReadySlot, kLoadingFinishSlot,
};

// --- the call log ---------------------------------------------------------------

std::mutex logMutex;
std::wstring callLog;
std::wstring logSnapshot;

std::mutex viewsMutex;
std::map<View*, std::unique_ptr<View>> views;
int nextViewId = 1;
bool initialized = false;

// When the environment names a file in WKE_STANDIN_LOG, every line of the log
// also goes there, as UTF-8, written through at once: a test in another process
// follows the calls of a program that knows nothing of it.
HANDLE LogFile() {
  static const KernelHandle file = [] {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"WKE_STANDIN_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return KernelHandle();
    const HANDLE opened = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return KernelHandle(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
  }();
  return file.Get();
}

void AppendToLogFile(const std::wstring& line) {
  const HANDLE file = LogFile();
  if (!file) return;
  const std::wstring withEnd = line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), utf8.data(), bytes, nullptr,
                      nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Log(const std::wstring& line) {
  std::lock_guard<std::mutex> lock(logMutex);
  // A host polling the dirty flag for hours must not grow the log without end.
  if (callLog.size() > (1u << 22)) callLog.erase(0, callLog.size() / 2);
  callLog += line;
  callLog += L'\n';
  AppendToLogFile(line);
}

View* Find(WkeView handle) {
  std::lock_guard<std::mutex> lock(viewsMutex);
  const auto found = views.find(reinterpret_cast<View*>(handle));
  return found == views.end() ? nullptr : found->second.get();
}

std::wstring V(WkeView handle) {
  const View* view = Find(handle);
  if (view) return L"#" + std::to_wstring(view->id);
  return handle ? L"#?" : L"#0";
}
std::wstring S(const wchar_t* text) { return text ? L"\"" + std::wstring(text) + L"\"" : L"null"; }
std::wstring S(const std::wstring& text) { return S(text.c_str()); }
std::wstring B(bool value) { return value ? L"true" : L"false"; }
std::wstring I(long long value) { return std::to_wstring(value); }
std::wstring F(float value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"%g", static_cast<double>(value));
  return buffer;
}
std::wstring P(const void* pointer) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  return buffer;
}
template <typename Function>
std::wstring P(Function* function) {
  return P(reinterpret_cast<const void*>(function));
}

void LogCall(const wchar_t* name, std::initializer_list<std::wstring> arguments) {
  std::wstring line = name;
  line += L'(';
  bool first = true;
  for (const std::wstring& argument : arguments) {
    if (!first) line += L", ";
    line += argument;
    first = false;
  }
  Log(line + L')');
}

WkeString Str(WkeStringObject& object) { return &object; }

// --- the picture ------------------------------------------------------------------

int LineHeight(const View& view) { return std::max(8, static_cast<int>(18 * view.zoom + 0.5f)); }

GdiObject MakeFont(const View& view) {
  return GdiObject(CreateFontW(-std::max(6, static_cast<int>(13 * view.zoom + 0.5f)), 0, 0, 0, FW_NORMAL, FALSE,
                               FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"SimSun"));
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// A memory DC with the view's font selected, for measuring text outside a paint.
class TextMeasure {
 public:
  explicit TextMeasure(const View& view) : font_(MakeFont(view)), useFont_(dc_.Get(), font_.Get()) {}
  int Width(const std::wstring& text) const { return TextWidth(dc_.Get(), text); }

 private:
  OwnedDc dc_{CreateCompatibleDC(nullptr)};
  GdiObject font_;
  SelectedObject useFont_;  // last: deselects the font before it and the DC go
};

bool EnsurePicture(View& view) {
  if (!view.dc) {
    view.dc.Reset(CreateCompatibleDC(nullptr));
    if (!view.dc) return false;
  }
  if (view.pixels && view.pictureWidth == view.width && view.pictureHeight == view.height) return true;
  if (view.width <= 0 || view.height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = view.width;
  info.bmiHeader.biHeight = -view.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  // The old bitmap leaves the DC before it is deleted.
  view.bitmapSelection.reset();
  view.bitmap = std::move(bitmap);
  view.bitmapSelection.emplace(view.dc.Get(), view.bitmap.Get());
  view.pixels = static_cast<uint32_t*>(bits);
  view.pictureWidth = view.width;
  view.pictureHeight = view.height;
  return true;
}

int ContentWidth(View& view) {
  if (view.page.statedWidth >= 0) return view.page.statedWidth;
  if (!view.loaded) return 0;
  const TextMeasure measure(view);
  int widest = 0;
  for (const PageLine& line : view.page.lines) widest = std::max(widest, measure.Width(line.text));
  return widest + 2 * kMargin;
}

int ContentHeight(const View& view) {
  if (view.page.statedHeight >= 0) return view.page.statedHeight;
  if (!view.loaded) return 0;
  return kContentTop + static_cast<int>(view.page.lines.size()) * LineHeight(view) + kMargin;
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT box{left, top, right, bottom};
  const GdiObject brush(CreateSolidBrush(colour));
  FillRect(dc, &box, static_cast<HBRUSH>(brush.Get()));
}

void DrawLine(HDC dc, int x, int y, const std::wstring& text, COLORREF colour) {
  SetTextColor(dc, colour);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

wchar_t Hex(unsigned digit) { return static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'A' + digit - 10); }

std::wstring HexWord(unsigned value) {
  std::wstring out = L"0x";
  for (int shift = 12; shift >= 0; shift -= 4) out += Hex((value >> shift) & 15);
  return out;
}

// The whole picture: header with title and address, the page's lines, a band with
// the traces of input, the mouse mark, the focus frame and, unless the body's
// overflow is hidden, a scroll bar when the page is taller than the view.
bool DrawPicture(View& view) {
  if (!EnsurePicture(view)) return false;
  HDC dc = view.dc.Get();
  const int w = view.width;
  const int h = view.height;
  FillBox(dc, 0, 0, w, h, kBackground);
  const GdiObject font = MakeFont(view);
  const SelectedObject useFont(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  const int lineHeight = LineHeight(view);

  int y = kContentTop - view.scrollY;
  for (const PageLine& line : view.page.lines) {
    if (y + lineHeight > kHeaderHeight && y < h) {
      DrawLine(dc, kMargin, y, line.text, line.href.empty() ? RGB(0, 0, 0) : RGB(0, 0, 238));
      if (!line.href.empty()) FillBox(dc, kMargin, y + lineHeight - 3, kMargin + TextWidth(dc, line.text),
                                      y + lineHeight - 2, RGB(0, 0, 238));
    }
    y += lineHeight;
  }

  FillBox(dc, 0, 0, w, kHeaderHeight, kHeader);
  DrawLine(dc, kMargin, 3, view.title, RGB(255, 255, 255));
  DrawLine(dc, kMargin, 21, view.url, RGB(200, 220, 255));

  if (view.page.overflow != L"hidden" && ContentHeight(view) > h) FillBox(dc, w - 8, kHeaderHeight, w, h, kScrollBar);

  const int band = h - kTraceHeight;
  FillBox(dc, 0, band, w, h, kTraceBand);
  std::wstring typedLine = L"typed: " + view.typed;
  if (view.selectedAll) typedLine += L"  [all selected]";
  if (view.editable) typedLine += L"  [editable]";
  DrawLine(dc, kMargin, band + 3, typedLine, RGB(0, 0, 0));
  std::wstring inputLine = L"mouse " + HexWord(view.mouseMessage) + L" (" + std::to_wstring(view.mouseX) + L", " +
                           std::to_wstring(view.mouseY) + L") " + HexWord(view.mouseFlags) + L"  key " + view.lastKey;
  if (!view.lastMenu.empty()) inputLine += L"  menu " + view.lastMenu;
  if (!view.lastWheel.empty()) inputLine += L"  wheel " + view.lastWheel;
  DrawLine(dc, kMargin, band + 21, inputLine, RGB(0, 0, 0));

  if (view.mouseX >= 0 && view.mouseY >= 0) {
    FillBox(dc, view.mouseX - 3, view.mouseY - 3, view.mouseX + 3, view.mouseY + 3, kMouseMark);
  }
  if (view.focused) {
    FillBox(dc, 0, 0, w, 2, kFocusFrame);
    FillBox(dc, 0, h - 2, w, h, kFocusFrame);
    FillBox(dc, 0, 0, 2, h, kFocusFrame);
    FillBox(dc, w - 2, 0, w, h, kFocusFrame);
  }
  GdiFlush();

  // GDI leaves alpha at 0. Opaque views are opaque everywhere; a transparent view
  // shows through where its background is (premultiplied: colour 0 there too).
  const uint32_t background = (GetRValue(kBackground) << 16) | (GetGValue(kBackground) << 8) | GetBValue(kBackground);
  uint32_t* pixel = view.pixels;
  for (int i = 0; i < w * h; ++i, ++pixel) {
    const uint32_t colour = *pixel & 0x00FFFFFFu;
    *pixel = view.transparent && colour == background ? 0u : (colour | 0xFF000000u);
  }
  return true;
}

void MarkDirty(View& view) {
  view.dirty = true;
  const Callback& paint = view.callbacks[kPaintSlot];
  if (view.transparent && paint.function && DrawPicture(view)) {
    Log(L"> paintUpdated(" + V(reinterpret_cast<WkeView>(&view)) + L", " + P(paint.param) + L", 0, 0, " +
        I(view.width) + L", " + I(view.height) + L")");
    reinterpret_cast<WkePaintUpdatedCallback>(paint.function)(reinterpret_cast<WkeView>(&view), paint.param, view.dc.Get(),
                                                              0, 0, view.width, view.height);
  }
}

// --- loading ----------------------------------------------------------------------

WkeView Handle(View& view) { return reinterpret_cast<WkeView>(&view); }

template <typename Function>
Function CallbackOf(const View& view, int slot) {
  return reinterpret_cast<Function>(view.callbacks[slot].function);
}

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

WkeScriptValue RunScript(View& view, const std::wstring& script);

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

// Asks the host, then shows the entry; false when the host cancelled.
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

// A page asks for a new window: the host says which view (if any) loads it.
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

// --- scripts ----------------------------------------------------------------------

WkeScriptValue Value(int kind, uint32_t payload) {
  return static_cast<WkeScriptValue>((static_cast<uint64_t>(kind) << 32) | payload);
}
WkeScriptValue BoolValue(bool value) { return Value(1, value ? 1 : 0); }
WkeScriptValue StringValue(const std::wstring& value) { return Value(3, static_cast<uint32_t>(value.size())); }

WkeScriptValue RunStatement(View& view, const Statement& statement, unsigned line) {
  const auto argument = [&](size_t i) { return i < statement.arguments.size() ? statement.arguments[i] : L""; };
  if (statement.kind == Statement::kCall) {
    const std::wstring& name = statement.name;
    if (name == L"alert" || name == L"window.alert") {
      if (auto alert = CallbackOf<WkeAlertBoxCallback>(view, kAlertSlot)) {
        WkeStringObject message{argument(0)};
        alert(Handle(view), view.callbacks[kAlertSlot].param, Str(message));
      }
      Log(L"> alert(" + S(argument(0)) + L")");
      return Value(0, 0);
    }
    if (name == L"confirm" || name == L"window.confirm") {
      bool answer = false;
      if (auto confirm = CallbackOf<WkeConfirmBoxCallback>(view, kConfirmSlot)) {
        WkeStringObject message{argument(0)};
        answer = confirm(Handle(view), view.callbacks[kConfirmSlot].param, Str(message));
      }
      Log(L"> confirm(" + S(argument(0)) + L") -> " + B(answer));
      return BoolValue(answer);
    }
    if (name == L"prompt" || name == L"window.prompt") {
      if (auto prompt = CallbackOf<WkePromptBoxCallback>(view, kPromptSlot)) {
        WkeStringObject message{argument(0)};
        WkeStringObject defaultValue{argument(1)};
        WkeStringObject result{L"(untouched)"};
        const bool answered =
            prompt(Handle(view), view.callbacks[kPromptSlot].param, Str(message), Str(defaultValue), Str(result));
        Log(L"> prompt(" + S(argument(0)) + L", " + S(argument(1)) + L") -> " + B(answered) + L" " + S(result.text));
        return answered ? StringValue(result.text) : Value(0, 0);
      }
      Log(L"> prompt(" + S(argument(0)) + L", " + S(argument(1)) + L") -> no handler");
      return Value(0, 0);
    }
    if (name == L"console.log" || name == L"console.warn" || name == L"console.error") {
      const int level = name == L"console.log" ? 1 : name == L"console.warn" ? 2 : 3;
      if (auto console = CallbackOf<WkeConsoleMessageCallback>(view, kConsoleSlot)) {
        WkeStringObject message{argument(0)};
        WkeStringObject url{view.url};
        const WkeConsoleRecord record{1, 0, level, Str(message), Str(url), line};
        console(Handle(view), view.callbacks[kConsoleSlot].param, &record);
      }
      Log(L"> console(" + I(level) + L", " + S(argument(0)) + L", " + I(line) + L")");
      return Value(0, 0);
    }
    if (name == L"window.open") {
      return BoolValue(OpenNewWindow(view, argument(0), argument(1), argument(2)));
    }
  } else if (statement.kind == Statement::kAssign) {
    const std::wstring& value = statement.value;
    if (statement.name == L"standin.stayDirty") {
      view.stayDirty = value == L"true" || value == L"1";
      if (view.stayDirty) MarkDirty(view);
      return BoolValue(view.stayDirty);
    }
    if (statement.name == L"document.body.style.overflow") {
      view.page.overflow = value;
      MarkDirty(view);
      return StringValue(value);
    }
    if (statement.name == L"document.title") {
      view.title = value;
      if (auto changed = CallbackOf<WkeTitleChangedCallback>(view, kTitleSlot)) {
        WkeStringObject title{value};
        changed(Handle(view), view.callbacks[kTitleSlot].param, Str(title));
      }
      MarkDirty(view);
      return StringValue(value);
    }
    if (statement.name == L"document.cookie") {
      if (view.cookieEnabled) view.cookie += (view.cookie.empty() ? L"" : L"; ") + value;
      return StringValue(value);
    }
    if (statement.name == L"location.href" || statement.name == L"window.location") {
      Navigate(view, UrlEntry(value), kNavLink, true);
      return StringValue(value);
    }
  } else {
    if (statement.name == L"document.body.style.overflow") return StringValue(view.page.overflow);
    if (statement.name == L"document.title") return StringValue(view.title);
  }
  Log(L"> script not understood: " + statement.name);
  return Value(0, 0);
}

WkeScriptValue RunScript(View& view, const std::wstring& script) {
  WkeScriptValue last = Value(0, 0);
  unsigned line = 1;
  for (const Statement& statement : ParseScript(script)) last = RunStatement(view, statement, line++);
  return last;
}

std::wstring FromUtf8(const char* text) {
  if (!text) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units) - 1);
  return wide;
}

// --- input ------------------------------------------------------------------------

bool IsEditingKey(unsigned key) {
  return key == VK_BACK || key == VK_TAB || key == VK_DELETE || key == VK_HOME || key == VK_END ||
         (key >= VK_LEFT && key <= VK_DOWN);
}

// The link line under a point of the view, or null.
const PageLine* LinkAt(View& view, int x, int y) {
  if (y < kHeaderHeight || y >= view.height - kTraceHeight || x < 0 || x >= view.width) return nullptr;
  const int lineHeight = LineHeight(view);
  const int index = (y - kContentTop + view.scrollY) / lineHeight;
  if (y - kContentTop + view.scrollY < 0 || index >= static_cast<int>(view.page.lines.size())) return nullptr;
  const PageLine& line = view.page.lines[static_cast<size_t>(index)];
  return line.href.empty() ? nullptr : &line;
}

void FollowLink(View& view, const PageLine& link) {
  const std::wstring target = link.target;
  if (!target.empty() && target != L"_self" && target != L"_top" && target != L"_parent") {
    OpenNewWindow(view, link.href, target, L"");
  } else {
    Navigate(view, UrlEntry(link.href), kNavLink, true);
  }
}

}  // namespace

// --- the entry points -------------------------------------------------------------

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

STANDIN_EXPORT void WKE_CALL wkeResize(WkeView handle, int width, int height) {
  LogCall(L"wkeResize", {V(handle), I(width), I(height)});
  View* view = Find(handle);
  if (!view || (view->width == width && view->height == height)) return;
  view->width = std::max(0, width);
  view->height = std::max(0, height);
  MarkDirty(*view);
}

STANDIN_EXPORT void WKE_CALL wkeSetDirty(WkeView handle, bool dirty) {
  LogCall(L"wkeSetDirty", {V(handle), B(dirty)});
  if (View* view = Find(handle)) {
    if (dirty) {
      MarkDirty(*view);
    } else {
      view->dirty = false;
    }
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

STANDIN_EXPORT void WKE_CALL wkePaint2(WkeView handle, void* bits, int pitch) {
  LogCall(L"wkePaint2", {V(handle), P(bits), I(pitch)});
  View* view = Find(handle);
  if (!view || !bits) return;
  if (DrawPicture(*view)) {
    const int rowBytes = view->width * 4;
    const int step = pitch == 0 ? rowBytes : pitch;
    auto* out = static_cast<unsigned char*>(bits);
    for (int row = 0; row < view->height; ++row) {
      memcpy(out + static_cast<ptrdiff_t>(row) * step, view->pixels + static_cast<ptrdiff_t>(row) * view->width,
             static_cast<size_t>(rowBytes));
    }
  }
  view->dirty = view->stayDirty;
}

STANDIN_EXPORT void WKE_CALL wkeOnPaintUpdated(WkeView handle, WkePaintUpdatedCallback callback, void* param) {
  LogCall(L"wkeOnPaintUpdated", {V(handle), P(callback), P(param)});
  if (View* view = Find(handle)) view->callbacks[kPaintSlot] = {reinterpret_cast<void*>(callback), param};
}

STANDIN_EXPORT bool WKE_CALL wkeFireKeyDownEvent(WkeView handle, unsigned key, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view) {
    view->lastKey = L"down " + HexWord(key) + L" " + HexWord(flags);
    if (key == VK_BACK && !view->typed.empty()) view->typed.pop_back();
    consumed = IsEditingKey(key);
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyDownEvent(" + V(handle) + L", " + I(key) + L", " + HexWord(flags) + L", " + B(systemKey) + L") -> " +
      B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireKeyUpEvent(WkeView handle, unsigned key, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view) {
    view->lastKey = L"up " + HexWord(key) + L" " + HexWord(flags);
    consumed = IsEditingKey(key);
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyUpEvent(" + V(handle) + L", " + I(key) + L", " + HexWord(flags) + L", " + B(systemKey) + L") -> " +
      B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireKeyPressEvent(WkeView handle, unsigned character, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view && character >= 0x20) {
    view->typed += static_cast<wchar_t>(character);
    view->selectedAll = false;
    consumed = true;
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyPressEvent(" + V(handle) + L", " + I(character) + L", " + HexWord(flags) + L", " + B(systemKey) +
      L") -> " + B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireMouseEvent(WkeView handle, unsigned message, int x, int y, unsigned flags) {
  LogCall(L"wkeFireMouseEvent", {V(handle), HexWord(message), I(x), I(y), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->mouseMessage = message;
  view->mouseX = x;
  view->mouseY = y;
  view->mouseFlags = flags;
  MarkDirty(*view);
  if (message == WM_LBUTTONUP) {
    if (const PageLine* link = LinkAt(*view, x, y)) {
      const PageLine copy = *link;
      FollowLink(*view, copy);
    }
  }
  return true;
}

STANDIN_EXPORT bool WKE_CALL wkeFireContextMenuEvent(WkeView handle, int x, int y, unsigned flags) {
  LogCall(L"wkeFireContextMenuEvent", {V(handle), I(x), I(y), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->lastMenu = L"(" + std::to_wstring(x) + L", " + std::to_wstring(y) + L") " + HexWord(flags);
  MarkDirty(*view);
  return true;
}

STANDIN_EXPORT bool WKE_CALL wkeFireMouseWheelEvent(WkeView handle, int x, int y, int delta, unsigned flags) {
  LogCall(L"wkeFireMouseWheelEvent", {V(handle), I(x), I(y), I(delta), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->lastWheel = std::to_wstring(delta) + L" at (" + std::to_wstring(x) + L", " + std::to_wstring(y) + L")";
  const int limit = std::max(0, ContentHeight(*view) - view->height);
  view->scrollY = std::clamp(view->scrollY - delta * 48 / 120, 0, limit);
  MarkDirty(*view);
  return true;
}

STANDIN_EXPORT void WKE_CALL wkeSetFocus(WkeView handle) {
  LogCall(L"wkeSetFocus", {V(handle)});
  if (View* view = Find(handle)) {
    view->focused = true;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeKillFocus(WkeView handle) {
  LogCall(L"wkeKillFocus", {V(handle)});
  if (View* view = Find(handle)) {
    view->focused = false;
    MarkDirty(*view);
  }
}

// The caret sits after the typed text in the trace band.
STANDIN_EXPORT WkeRect WKE_CALL wkeGetCaretRect(WkeView handle) {
  LogCall(L"wkeGetCaretRect", {V(handle)});
  WkeRect caret{0, 0, 0, 0};
  View* view = Find(handle);
  if (!view) return caret;
  caret.x = kMargin + TextMeasure(*view).Width(L"typed: " + view->typed);
  caret.y = view->height - kTraceHeight + 3;
  caret.width = 1;
  caret.height = LineHeight(*view);
  return caret;
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

STANDIN_EXPORT void WKE_CALL wkeSetUserAgentW(WkeView handle, const wchar_t* agent) {
  LogCall(L"wkeSetUserAgentW", {V(handle), S(agent)});
  if (View* view = Find(handle)) view->userAgent = agent ? agent : L"";
}

STANDIN_EXPORT void WKE_CALL wkePostURLW(WkeView handle, const wchar_t* url, const char* body, int bodyLength) {
  LogCall(L"wkePostURLW", {V(handle), S(url), P(body), I(bodyLength)});
  if (View* view = Find(handle)) Navigate(*view, UrlEntry(url ? url : L""), kNavPost, true);
}

#define STANDIN_WIDEN(text) L##text
#define STANDIN_NAME(name) STANDIN_WIDEN(#name)

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

STANDIN_EXPORT void WKE_CALL wkeStopLoading(WkeView handle) { LogCall(L"wkeStopLoading", {V(handle)}); }

STANDIN_EXPORT void WKE_CALL wkeReload(WkeView handle) {
  LogCall(L"wkeReload", {V(handle)});
  View* view = Find(handle);
  if (view && view->historyIndex >= 0) {
    Navigate(*view, view->history[static_cast<size_t>(view->historyIndex)], kNavReload, false);
  }
}

namespace {
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

// Editing works on the typed text.
STANDIN_EXPORT void WKE_CALL wkeEditorSelectAll(WkeView handle) {
  LogCall(L"wkeEditorSelectAll", {V(handle)});
  if (View* view = Find(handle)) {
    view->selectedAll = true;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorCopy(WkeView handle) {
  LogCall(L"wkeEditorCopy", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) view->clipboard = view->typed;
}

STANDIN_EXPORT void WKE_CALL wkeEditorDelete(WkeView handle) {
  LogCall(L"wkeEditorDelete", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) {
    view->typed.clear();
    view->selectedAll = false;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorCut(WkeView handle) {
  LogCall(L"wkeEditorCut", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) {
    view->clipboard = view->typed;
    view->typed.clear();
    view->selectedAll = false;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorPaste(WkeView handle) {
  LogCall(L"wkeEditorPaste", {V(handle)});
  if (View* view = Find(handle)) {
    if (view->selectedAll) view->typed.clear();
    view->typed += view->clipboard;
    view->selectedAll = false;
    MarkDirty(*view);
  }
}

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

STANDIN_EXPORT WkeScriptValue WKE_CALL wkeRunJS(WkeView handle, const char* script) {
  const std::wstring text = FromUtf8(script);
  LogCall(L"wkeRunJS", {V(handle), S(text)});
  View* view = Find(handle);
  return view ? RunScript(*view, text) : 0;
}

STANDIN_EXPORT WkeScriptValue WKE_CALL wkeRunJSW(WkeView handle, const wchar_t* script) {
  LogCall(L"wkeRunJSW", {V(handle), S(script)});
  View* view = Find(handle);
  return view && script ? RunScript(*view, script) : 0;
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

// The stand-in's own export, never called by the host: every call received since
// the last clearing, one a line. The text stays valid until the next call.
STANDIN_EXPORT const wchar_t* WKE_CALL standinCallLog(int clear) {
  std::lock_guard<std::mutex> lock(logMutex);
  logSnapshot = callLog;
  if (clear) callLog.clear();
  return logSnapshot.c_str();
}

// Every export has exactly the shape the host calls it with.
#define STANDIN_CHECK_SHAPE(result, name, parameters, arguments) \
  static_assert(std::is_same_v<decltype(&name), result(WKE_CALL*) parameters>, #name);
WKE_ENTRY_POINTS(STANDIN_CHECK_SHAPE)
#undef STANDIN_CHECK_SHAPE
