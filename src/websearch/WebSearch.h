// The web search: the engines' check boxes, kept to one choice, and the query
// URLs of the search box's text for the chosen engine. Which browser opens them
// is for the caller to decide.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "websearch/QueryUrl.h"

// The controls the web search works on: the search box and the engines' check
// boxes, in the engines' order. The main window registers its own.
struct WebSearchControls {
  HWND searchBox = nullptr;
  std::array<HWND, kEngineCount> engineBoxes{};
};

void SetWebSearchControls(const WebSearchControls& controls);

// Ticks the first engine's box when none is ticked.
void KeepAnEngineChosen();

// Calls `open` with the query URL of the search box's text for every ticked
// engine, in the engines' order.
void OpenChosenEngines(const std::function<void(const std::string& url)>& open);

// Click handler of the engine check box `box` (0, 1, 2 in the engines' order).
template <int box>
void OnEngineToggled();

extern template void OnEngineToggled<0>();
extern template void OnEngineToggled<1>();
extern template void OnEngineToggled<2>();
