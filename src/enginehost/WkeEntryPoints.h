// Every entry point of the engine library that the program calls, as one list:
// X(result, name, (parameters), (arguments)). The program's callers and the
// library's exports are both checked against it.
#pragma once
#include "enginehost/WkeTypes.h"

#define WKE_ENTRY_POINTS(X)                                                                                   \
  X(void, wkeInitialize, (), ())                                                                              \
  X(void, wkeFinalize, (), ())                                                                                \
  X(WkeView, wkeCreateWebView, (), ())                                                                        \
  X(void, wkeDestroyWebView, (WkeView view), (view))                                                          \
  X(void, wkeSetHostWindow, (WkeView view, HWND window), (view, window))                                      \
  X(void, wkeSetTransparent, (WkeView view, bool transparent), (view, transparent))                           \
  X(void, wkeSetCookieEnabled, (WkeView view, bool enable), (view, enable))                                   \
  X(void, wkeSetEditable, (WkeView view, bool editable), (view, editable))                                    \
  X(void, wkeResize, (WkeView view, int width, int height), (view, width, height))                            \
  X(void, wkeSetDirty, (WkeView view, bool dirty), (view, dirty))                                             \
  X(bool, wkeIsDirty, (WkeView view), (view))                                                                 \
  X(void, wkePaint2, (WkeView view, void* bits, int pitch), (view, bits, pitch))                              \
  X(void, wkeOnPaintUpdated, (WkeView view, WkePaintUpdatedCallback callback, void* param),                   \
    (view, callback, param))                                                                                  \
  X(bool, wkeFireKeyDownEvent, (WkeView view, unsigned key, unsigned flags, bool systemKey),                  \
    (view, key, flags, systemKey))                                                                            \
  X(bool, wkeFireKeyUpEvent, (WkeView view, unsigned key, unsigned flags, bool systemKey),                    \
    (view, key, flags, systemKey))                                                                            \
  X(bool, wkeFireKeyPressEvent, (WkeView view, unsigned character, unsigned flags, bool systemKey),           \
    (view, character, flags, systemKey))                                                                      \
  X(bool, wkeFireMouseEvent, (WkeView view, unsigned message, int x, int y, unsigned flags),                  \
    (view, message, x, y, flags))                                                                             \
  X(bool, wkeFireContextMenuEvent, (WkeView view, int x, int y, unsigned flags), (view, x, y, flags))         \
  X(bool, wkeFireMouseWheelEvent, (WkeView view, int x, int y, int delta, unsigned flags),                    \
    (view, x, y, delta, flags))                                                                               \
  X(void, wkeSetFocus, (WkeView view), (view))                                                                \
  X(void, wkeKillFocus, (WkeView view), (view))                                                               \
  X(WkeRect, wkeGetCaretRect, (WkeView view), (view))                                                         \
  X(void, wkeLoadURLW, (WkeView view, const wchar_t* url), (view, url))                                       \
  X(void, wkeLoadHTMLW, (WkeView view, const wchar_t* html), (view, html))                                    \
  X(void, wkeLoadFileW, (WkeView view, const wchar_t* path), (view, path))                                    \
  X(void, wkeLoadW, (WkeView view, const wchar_t* what), (view, what))                                        \
  X(void, wkeSetUserAgentW, (WkeView view, const wchar_t* agent), (view, agent))                              \
  X(void, wkePostURLW, (WkeView view, const wchar_t* url, const char* body, int bodyLength),                  \
    (view, url, body, bodyLength))                                                                            \
  X(bool, wkeIsLoading, (WkeView view), (view))                                                               \
  X(bool, wkeIsLoadingSucceeded, (WkeView view), (view))                                                      \
  X(bool, wkeIsLoadingFailed, (WkeView view), (view))                                                         \
  X(bool, wkeIsLoadingCompleted, (WkeView view), (view))                                                      \
  X(bool, wkeIsDocumentReady, (WkeView view), (view))                                                         \
  X(bool, wkeCanGoBack, (WkeView view), (view))                                                               \
  X(bool, wkeCanGoForward, (WkeView view), (view))                                                            \
  X(bool, wkeIsCookieEnabled, (WkeView view), (view))                                                         \
  X(int, wkeGetWidth, (WkeView view), (view))                                                                 \
  X(int, wkeGetHeight, (WkeView view), (view))                                                                \
  X(int, wkeGetContentWidth, (WkeView view), (view))                                                          \
  X(int, wkeGetContentHeight, (WkeView view), (view))                                                         \
  X(void, wkeStopLoading, (WkeView view), (view))                                                             \
  X(void, wkeReload, (WkeView view), (view))                                                                  \
  X(bool, wkeGoBack, (WkeView view), (view))                                                                  \
  X(bool, wkeGoForward, (WkeView view), (view))                                                               \
  X(void, wkeEditorSelectAll, (WkeView view), (view))                                                         \
  X(void, wkeEditorCopy, (WkeView view), (view))                                                              \
  X(void, wkeEditorCut, (WkeView view), (view))                                                               \
  X(void, wkeEditorPaste, (WkeView view), (view))                                                             \
  X(void, wkeEditorDelete, (WkeView view), (view))                                                            \
  X(const wchar_t*, wkeGetTitleW, (WkeView view), (view))                                                     \
  X(const wchar_t*, wkeGetCookieW, (WkeView view), (view))                                                    \
  X(const wchar_t*, wkeGetStringW, (WkeString string), (string))                                              \
  X(void, wkeSetStringW, (WkeString string, const wchar_t* text, size_t units), (string, text, units))        \
  X(void, wkeSetMediaVolume, (WkeView view, float volume), (view, volume))                                    \
  X(float, wkeMediaVolume, (WkeView view), (view))                                                            \
  X(void, wkeSetZoomFactor, (WkeView view, float factor), (view, factor))                                     \
  X(float, wkeGetZoomFactor, (WkeView view), (view))                                                          \
  X(WkeScriptValue, wkeRunJS, (WkeView view, const char* script), (view, script))                             \
  X(WkeScriptValue, wkeRunJSW, (WkeView view, const wchar_t* script), (view, script))                         \
  X(WkeExecState, wkeGlobalExec, (WkeView view), (view))                                                      \
  X(void, wkeOnTitleChanged, (WkeView view, WkeTitleChangedCallback callback, void* param),                   \
    (view, callback, param))                                                                                  \
  X(void, wkeOnURLChanged, (WkeView view, WkeURLChangedCallback callback, void* param), (view, callback, param)) \
  X(void, wkeOnAlertBox, (WkeView view, WkeAlertBoxCallback callback, void* param), (view, callback, param))  \
  X(void, wkeOnConfirmBox, (WkeView view, WkeConfirmBoxCallback callback, void* param),                       \
    (view, callback, param))                                                                                  \
  X(void, wkeOnPromptBox, (WkeView view, WkePromptBoxCallback callback, void* param), (view, callback, param)) \
  X(void, wkeOnConsoleMessage, (WkeView view, WkeConsoleMessageCallback callback, void* param),               \
    (view, callback, param))                                                                                  \
  X(void, wkeOnNavigation, (WkeView view, WkeNavigationCallback callback, void* param),                       \
    (view, callback, param))                                                                                  \
  X(void, wkeOnCreateView, (WkeView view, WkeCreateViewCallback callback, void* param),                       \
    (view, callback, param))                                                                                  \
  X(void, wkeOnDocumentReady, (WkeView view, WkeDocumentReadyCallback callback, void* param),                 \
    (view, callback, param))                                                                                  \
  X(void, wkeOnLoadingFinish, (WkeView view, WkeLoadingFinishCallback callback, void* param),                 \
    (view, callback, param))
