// What the local search keeps from one call to the next, and the standard
// format that it and the formatting of whole boxes apply. The program holds one
// and hands it over with SetSearchState; tests hand over their own.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "answerbank/BankSearch.h"
#include "answerbank/TextFormat.h"

// The answer bank as the last complete search left it: its text, with the
// ranges that search coloured and everything else in the standard format.
// Only while nothing else has touched the box since may the next search change
// just what differs instead of resetting the whole text.
struct BankRecord {
  bool valid = false;
  std::u16string text;
  std::vector<CharRange> highlights;
  unsigned long changeCount = 0;  // the box's outside changes counted then (answerbank/BankWatch.h)
};

struct SearchState {
  TextFormat standardFormat = DefaultTextFormat();
  TextFormat highlightFormat = DefaultTextFormat();
  // What the last search found, for "下一条" and "上一条". Shared so that a
  // navigation still running keeps what it started with when a new search
  // replaces it.
  std::shared_ptr<const BankSearchResult> found = std::make_shared<BankSearchResult>();
  int currentOccurrence = 0;
  // Counts searches, so a search that finds a newer one started in its middle stops.
  unsigned searchGeneration = 0;
  BankRecord lastBank;
};

// The state the search, the stepping through its occurrences and FormatWholeBox
// work on; without one (before the first call, or after a null) they do nothing.
void SetSearchState(SearchState* state);
SearchState* CurrentSearchState();
