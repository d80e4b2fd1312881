// What the local search keeps from one call to the next, and the standard
// format that it and the formatting of whole boxes apply. The program holds one
// and hands it over with SetSearchState; tests hand over their own.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "answerbank/TextFormat.h"

// The answer bank cut at every occurrence of the last search's text.
using OccurrencePieceList = std::vector<std::string>;

struct SearchState {
  TextFormat standardFormat = DefaultTextFormat();
  TextFormat highlightFormat = DefaultTextFormat();
  // Shared so that a navigation still running keeps the pieces it started with
  // when a new search replaces them.
  std::shared_ptr<const OccurrencePieceList> occurrencePieces = std::make_shared<OccurrencePieceList>();
  int currentOccurrence = 0;
  // Counts searches, so a search that finds a newer one started in its middle stops.
  unsigned searchGeneration = 0;
};

// The state the search, the stepping through its occurrences and FormatWholeBox
// work on; without one (before the first call, or after a null) they do nothing.
void SetSearchState(SearchState* state);
SearchState* CurrentSearchState();
