// The objects that live from GlobalInit to ExitCleanup, and the plain global values.
#pragma once
#include <windows.h>

#include <memory>

#include "answerbank/TextFormat.h"
#include "answerbank/search/SearchState.h"
#include "app/WindowGeometry.h"
#include "enginehost/EngineView.h"
#include "platform/Handles.h"
#include "websearch/ScreenCapture.h"

// The answer bank's two formats and the local search's state are among the
// program's objects: GlobalInit hands them to the answer bank, ExitCleanup takes
// them back.
struct GlobalObjects : TextFormats, SearchState {
  // The one WebKit view; no engine call until the main window creates it.
  EngineView engineView;
  WindowsHook messageHook;
  // From the main window's creation on.
  std::unique_ptr<ScreenCapture> capture;
  int captureArmed = 0;
  WindowRectangle windowRect;
};

void GlobalInit();
void ExitCleanup();

// The global objects; valid between GlobalInit and ExitCleanup.
GlobalObjects& Globals();
