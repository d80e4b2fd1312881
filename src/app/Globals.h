// The objects that live from GlobalInit to ExitCleanup, and the plain global values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "answerbank/TextFormat.h"
#include "app/WindowGeometry.h"
#include "enginehost/EngineView.h"
#include "platform/Handles.h"

struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
};


using OccurrencePieceList = std::vector<std::string>;

struct GlobalObjects {
  // The one WebKit view; no engine call until the main window creates it.
  EngineView engineView;
  ScreenPoint pressPoint;
  TextFormat standardFormat = DefaultTextFormat();
  // Shared so that a navigation still running keeps the pieces it started with
  // when a new search replaces them.
  std::shared_ptr<const OccurrencePieceList> occurrencePieces = std::make_shared<OccurrencePieceList>();
  TextFormat highlightFormat = DefaultTextFormat();

  WindowsHook captureHook;
  WindowsHook messageHook;
  int captureArmed = 0;
  WindowRectangle windowRect;
  int searchPosition = 0;
  int currentOccurrence = 0;
  // Counts searches, so a search that finds a newer one started in its middle stops.
  unsigned searchGeneration = 0;
};

void GlobalInit();
void ExitCleanup();

// The global objects; valid between GlobalInit and ExitCleanup.
GlobalObjects& Globals();
