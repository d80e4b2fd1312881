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
//
// Every entry point is declared here from the program's own list, so that a
// definition of another shape or calling convention does not compile; the
// definitions live beside the part of the engine they drive.
#pragma once
#include "enginehost/WkeEntryPoints.h"

#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#if defined(STANDIN_WITHOUT_FINALIZE)
// The build that lacks one entry point, for the host's missing-entry message.
#define STANDIN_EXPORT_FINALIZE extern "C"
#else
#define STANDIN_EXPORT_FINALIZE STANDIN_EXPORT
#endif

#define STANDIN_DECLARE(result, name, parameters, arguments) extern "C" result WKE_CALL name parameters;
WKE_ENTRY_POINTS(STANDIN_DECLARE)
#undef STANDIN_DECLARE
extern "C" const wchar_t* WKE_CALL standinCallLog(int clear);

#define STANDIN_WIDEN(text) L##text
#define STANDIN_NAME(name) STANDIN_WIDEN(#name)
