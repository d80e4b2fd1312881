#include "enginehost/EngineEvents.h"

#include <type_traits>

#include "enginehost/CallbackTable.h"
#include "enginehost/Trampolines.h"
#include "enginehost/WideText.h"
#include "enginehost/WindowFeatures.h"
#include "enginehost/WkeApi.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#if defined(_WIN64)
// Here the trampoline jumps straight into the adapter, so each adapter must have
// exactly the shape of the engine callback it stands behind.
static_assert(std::is_same_v<decltype(&TextAdapter), WkeTitleChangedCallback>);
static_assert(std::is_same_v<decltype(&TextAdapter), WkeURLChangedCallback>);
static_assert(std::is_same_v<decltype(&TextAdapter), WkeAlertBoxCallback>);
static_assert(std::is_same_v<decltype(&PaintUpdatedAdapter), WkePaintUpdatedCallback>);
static_assert(std::is_same_v<decltype(&ConfirmBoxAdapter), WkeConfirmBoxCallback>);
static_assert(std::is_same_v<decltype(&PromptBoxAdapter), WkePromptBoxCallback>);
static_assert(std::is_same_v<decltype(&ConsoleMessageAdapter), WkeConsoleMessageCallback>);
static_assert(std::is_same_v<decltype(&NavigationAdapter), WkeNavigationCallback>);
static_assert(std::is_same_v<decltype(&CreateViewAdapter), WkeCreateViewCallback>);
static_assert(std::is_same_v<decltype(&DocumentReadyAdapter), WkeDocumentReadyCallback>);
static_assert(std::is_same_v<decltype(&LoadingFinishAdapter), WkeLoadingFinishCallback>);
#endif

namespace {

template <typename Handler>
Handler HandlerFrom(void* param) {
  return reinterpret_cast<Handler>(param);
}

template <typename Callback>
Callback CallbackFrom(void* trampoline) {
  return reinterpret_cast<Callback>(trampoline);
}

}  // namespace

std::string EngineStringToText(WkeString string) { return ToGbk(wkeGetStringW(string)); }

void __stdcall TextAdapter(WkeView, void* handler, WkeString text) {
  if (!handler) return;
  const std::string converted = EngineStringToText(text);
  HandlerFrom<TextHandler>(handler)(converted.c_str());
}

bool __stdcall ConfirmBoxAdapter(WkeView, void* handler, WkeString message) {
  if (!handler) return false;
  const std::string converted = EngineStringToText(message);
  return HandlerFrom<ConfirmBoxHandler>(handler)(converted.c_str());
}

bool __stdcall PromptBoxAdapter(WkeView, void* handler, WkeString message, WkeString defaultValue,
                                WkeString result) {
  if (!handler) return false;
  const std::string messageText = EngineStringToText(message);
  const std::string defaultText = EngineStringToText(defaultValue);
  const char* answer = HandlerFrom<PromptBoxHandler>(handler)(messageText.c_str(), defaultText.c_str());
  if (!answer) return false;
  const std::wstring wide = GbkToWide(answer);
  wkeSetStringW(result, wide.c_str(), wide.size());
  return true;
}

void __stdcall ConsoleMessageAdapter(WkeView, void* handler, const WkeConsoleRecord* record) {
  if (!handler || !record) return;
  const WkeConsoleRecord copy = *record;
  const std::string message = EngineStringToText(copy.message);
  const std::string url = EngineStringToText(copy.url);
  HandlerFrom<ConsoleMessageHandler>(handler)(copy.source, copy.type, copy.level, message.c_str(), url.c_str(),
                                              copy.lineNumber);
}

bool __stdcall NavigationAdapter(WkeView, void* handler, int navigationType, WkeString url) {
  if (!handler) return true;
  const std::string text = EngineStringToText(url);
  return HandlerFrom<NavigationHandler>(handler)(navigationType, text.c_str());
}

WkeView __stdcall CreateViewAdapter(WkeView, void* handler, const WkeNewViewRecord* record) {
  if (!handler || !record) return nullptr;
  const int navigationType = record->navigationType;
  const WkeString urlString = record->url;
  const WkeString targetString = record->target;
  const int x = record->x;
  const int y = record->y;
  const int width = record->width;
  const int height = record->height;
  const uint8_t switches[7] = {record->menuBarVisible,     record->statusBarVisible,  record->toolBarVisible,
                               record->locationBarVisible, record->scrollBarsVisible, record->resizable,
                               record->fullScreen};
  const int features = static_cast<int>(WindowFeatureBits(switches));
  const std::string url = EngineStringToText(urlString);
  const std::string target = EngineStringToText(targetString);
  return HandlerFrom<CreateViewHandler>(handler)(navigationType, url.c_str(), target.c_str(), x, y, width, height,
                                                 features);
}

void __stdcall DocumentReadyAdapter(WkeView, void* handler, const WkeDocumentReadyRecord* record) {
  if (!handler || !record) return;
  const WkeDocumentReadyRecord copy = *record;
  const std::string url = EngineStringToText(copy.url);
  HandlerFrom<DocumentReadyHandler>(handler)(url.c_str(), copy.frameState, copy.mainFrameState);
}

void __stdcall LoadingFinishAdapter(WkeView, void* handler, WkeString url, int result, WkeString failureReason) {
  if (!handler) return;
  const std::string urlText = EngineStringToText(url);
  const std::string reason = EngineStringToText(failureReason);
  HandlerFrom<LoadingFinishHandler>(handler)(urlText.c_str(), result, reason.c_str());
}

void __stdcall PaintUpdatedAdapter(WkeView, void* hostWindow, HDC hdc, int, int, int, int) {
  if (!hostWindow) return;
  const HWND host = static_cast<HWND>(hostWindow);
  RECT rect{};
  GetClientRect(host, &rect);
  const WindowDc windowDc(host);
  SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(host, windowDc.Get(), nullptr, &size, hdc, &source, 0, &blend, ULW_ALPHA);
}

const void* EventAdapter(int index) {
  switch (index) {
    case kTitleChanged:
    case kURLChanged:
    case kAlertBox:
      return reinterpret_cast<const void*>(&TextAdapter);
    case kPaintUpdated:
      return reinterpret_cast<const void*>(&PaintUpdatedAdapter);
    case kConfirmBox:
      return reinterpret_cast<const void*>(&ConfirmBoxAdapter);
    case kPromptBox:
      return reinterpret_cast<const void*>(&PromptBoxAdapter);
    case kConsoleMessage:
      return reinterpret_cast<const void*>(&ConsoleMessageAdapter);
    case kNavigation:
      return reinterpret_cast<const void*>(&NavigationAdapter);
    case kCreateView:
      return reinterpret_cast<const void*>(&CreateViewAdapter);
    case kDocumentReady:
      return reinterpret_cast<const void*>(&DocumentReadyAdapter);
    case kLoadingFinish:
      return reinterpret_cast<const void*>(&LoadingFinishAdapter);
    default:
      return nullptr;
  }
}

bool RegisterEvent(WkeView view, const TrampolineTable& trampolines, int index, void* param) {
  void* trampoline = trampolines.Address(index);
  if (!trampoline) return false;
  switch (index) {
    case kTitleChanged:
      wkeOnTitleChanged(view, CallbackFrom<WkeTitleChangedCallback>(trampoline), param);
      break;
    case kURLChanged:
      wkeOnURLChanged(view, CallbackFrom<WkeURLChangedCallback>(trampoline), param);
      break;
    case kPaintUpdated:
      wkeOnPaintUpdated(view, CallbackFrom<WkePaintUpdatedCallback>(trampoline), param);
      break;
    case kAlertBox:
      wkeOnAlertBox(view, CallbackFrom<WkeAlertBoxCallback>(trampoline), param);
      break;
    case kConfirmBox:
      wkeOnConfirmBox(view, CallbackFrom<WkeConfirmBoxCallback>(trampoline), param);
      break;
    case kPromptBox:
      wkeOnPromptBox(view, CallbackFrom<WkePromptBoxCallback>(trampoline), param);
      break;
    case kConsoleMessage:
      wkeOnConsoleMessage(view, CallbackFrom<WkeConsoleMessageCallback>(trampoline), param);
      break;
    case kNavigation:
      wkeOnNavigation(view, CallbackFrom<WkeNavigationCallback>(trampoline), param);
      break;
    case kCreateView:
      wkeOnCreateView(view, CallbackFrom<WkeCreateViewCallback>(trampoline), param);
      break;
    case kDocumentReady:
      wkeOnDocumentReady(view, CallbackFrom<WkeDocumentReadyCallback>(trampoline), param);
      break;
    case kLoadingFinish:
      wkeOnLoadingFinish(view, CallbackFrom<WkeLoadingFinishCallback>(trampoline), param);
      break;
    default:
      return false;
  }
  return true;
}
