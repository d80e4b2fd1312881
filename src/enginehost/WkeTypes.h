// The types of the WebKit engine library's interface (wke.dll): handles, the
// records its callbacks pass, and the callback shapes. Every call and callback is
// cdecl; booleans travel in the low byte.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#define WKE_CALL __cdecl

struct WkeViewObject;
struct WkeStringObject;
struct WkeExecStateObject;
using WkeView = WkeViewObject*;               // a web view, 0 when there is none
using WkeString = WkeStringObject*;           // valid only inside the callback that passes it
using WkeExecState = WkeExecStateObject*;     // a script execution state, passed through unread
using WkeScriptValue = int64_t;               // a script value, meaningful to the engine only

struct WkeRect {
  int x;
  int y;
  int width;
  int height;
};

struct WkeConsoleRecord {
  int source;
  int type;
  int level;
  WkeString message;
  WkeString url;
  unsigned lineNumber;
};

struct WkeNewViewRecord {
  int navigationType;
  WkeString url;
  WkeString target;
  int x;
  int y;
  int width;
  int height;
  // One byte each; any non-zero value means on.
  uint8_t menuBarVisible;
  uint8_t statusBarVisible;
  uint8_t toolBarVisible;
  uint8_t locationBarVisible;
  uint8_t scrollBarsVisible;
  uint8_t resizable;
  uint8_t fullScreen;
};

struct WkeDocumentReadyRecord {
  WkeString url;
  WkeExecState frameState;
  WkeExecState mainFrameState;
};

#if !defined(_WIN64)
// The 32-bit engine lays its records out like this.
static_assert(sizeof(WkeConsoleRecord) == 24, "console record");
static_assert(offsetof(WkeNewViewRecord, fullScreen) == 34, "new-view record: 35 bytes read");
static_assert(sizeof(WkeDocumentReadyRecord) == 12, "document-ready record");
static_assert(sizeof(WkeRect) == 16, "rectangle");
#endif

using WkeTitleChangedCallback = void(WKE_CALL*)(WkeView view, void* param, WkeString title);
using WkeURLChangedCallback = void(WKE_CALL*)(WkeView view, void* param, WkeString url);
using WkePaintUpdatedCallback = void(WKE_CALL*)(WkeView view, void* param, HDC hdc, int x, int y, int cx, int cy);
using WkeAlertBoxCallback = void(WKE_CALL*)(WkeView view, void* param, WkeString message);
using WkeConfirmBoxCallback = bool(WKE_CALL*)(WkeView view, void* param, WkeString message);
using WkePromptBoxCallback = bool(WKE_CALL*)(WkeView view, void* param, WkeString message, WkeString defaultValue,
                                             WkeString result);
using WkeConsoleMessageCallback = void(WKE_CALL*)(WkeView view, void* param, const WkeConsoleRecord* record);
using WkeNavigationCallback = bool(WKE_CALL*)(WkeView view, void* param, int navigationType, WkeString url);
using WkeCreateViewCallback = WkeView(WKE_CALL*)(WkeView view, void* param, const WkeNewViewRecord* record);
using WkeDocumentReadyCallback = void(WKE_CALL*)(WkeView view, void* param, const WkeDocumentReadyRecord* record);
using WkeLoadingFinishCallback = void(WKE_CALL*)(WkeView view, void* param, WkeString url, int result,
                                                 WkeString failureReason);
