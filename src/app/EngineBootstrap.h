// Starting and stopping the engine with the main window: the library, the GUI
// thread's message hook, the one processor, and the program's view in the
// WebKit page's shape box.
#pragma once
#include <windows.h>

#include "enginehost/WkeTypes.h"

// The engine steps of the main window's creation: initialise the engine, hook
// the GUI thread's messages, pin the process to the first processor, create the
// view in 外形框1 and keep new-window requests in it.
void StartEngine();

// Hooks the calling thread's message retrieval, unless a hook is installed
// already; true when one is installed afterwards.
bool InstallMessageHook();

// Dispatches a Tab key-down for the view's host window as it is removed from
// the queue, and leaves the thread's own loop a message that does nothing in
// its place; everything else passes untouched.
LRESULT CALLBACK MessageHookProc(int code, WPARAM wParam, LPARAM lParam);

// The main window is about to be destroyed: the view goes, the hook goes, and
// the engine is finalised.
void StopEngine();

// The engine asks where a page that wants a new window should open: in the
// program's own view, replacing its page.
WkeView __stdcall NewWindowHandler(int navigationType, const char* url, const char* target, int x, int y,
                                   int width, int height, int features);
