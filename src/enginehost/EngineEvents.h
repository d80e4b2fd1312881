// The engine's events as the program sees them: each engine callback reaches a
// fixed adapter (through its trampoline), which turns engine strings into GBK
// text and records into plain values and calls the program's handler, whose
// address was the registration parameter.
#pragma once
#include <string>

#include "enginehost/WkeTypes.h"

class TrampolineTable;

// Handlers: program routines that remove their own arguments; texts are GBK and
// live until the handler returns.
using TextHandler = void(__stdcall*)(const char* text);
using TitleChangedHandler = TextHandler;
using URLChangedHandler = TextHandler;
using AlertBoxHandler = TextHandler;
using ConfirmBoxHandler = bool(__stdcall*)(const char* message);
// The answer stays the handler's; it is copied before the adapter returns. A null
// answer means the prompt was dismissed: the engine's result is left as it was.
using PromptBoxHandler = const char*(__stdcall*)(const char* message, const char* defaultValue);
using ConsoleMessageHandler = void(__stdcall*)(int source, int type, int level, const char* message,
                                               const char* url, unsigned lineNumber);
using NavigationHandler = bool(__stdcall*)(int navigationType, const char* url);
// `features`: menu bar 1, status bar 2, tool bar 4, location bar 8, scroll bars 16,
// resizable 32, full screen 64.
using CreateViewHandler = WkeView(__stdcall*)(int navigationType, const char* url, const char* target, int x, int y,
                                              int width, int height, int features);
using DocumentReadyHandler = void(__stdcall*)(const char* url, WkeExecState frameState,
                                              WkeExecState mainFrameState);
using LoadingFinishHandler = void(__stdcall*)(const char* url, int result, const char* failureReason);

// Adapters: `handler` is the registration parameter. Without a handler nothing is
// converted or called and the default answer goes back: a confirm false, a
// navigation true, a new view 0, a prompt false.
void __stdcall TextAdapter(WkeView view, void* handler, WkeString text);
bool __stdcall ConfirmBoxAdapter(WkeView view, void* handler, WkeString message);
// True when the handler gave an answer (and the result string now holds it).
bool __stdcall PromptBoxAdapter(WkeView view, void* handler, WkeString message, WkeString defaultValue,
                                WkeString result);
void __stdcall ConsoleMessageAdapter(WkeView view, void* handler, const WkeConsoleRecord* record);
bool __stdcall NavigationAdapter(WkeView view, void* handler, int navigationType, WkeString url);
WkeView __stdcall CreateViewAdapter(WkeView view, void* handler, const WkeNewViewRecord* record);
void __stdcall DocumentReadyAdapter(WkeView view, void* handler, const WkeDocumentReadyRecord* record);
void __stdcall LoadingFinishAdapter(WkeView view, void* handler, WkeString url, int result,
                                    WkeString failureReason);
// Layered mode: pushes the engine's whole picture (hdc) to the host window given
// as the parameter; the updated rectangle is not used. Does nothing without a window.
void __stdcall PaintUpdatedAdapter(WkeView view, void* hostWindow, HDC hdc, int x, int y, int cx, int cy);

// The adapter behind one entry of the trampoline table (CallbackIndex order).
const void* EventAdapter(int index);

// The engine's registration call for one callback, with its trampoline and `param`.
// False, and no call, when that trampoline does not exist.
bool RegisterEvent(WkeView view, const TrampolineTable& trampolines, int index, void* param);

// An engine string as GBK text; a string without text gives "".
std::string EngineStringToText(WkeString string);
