// What the local search keeps from one call to the next. The program holds one
// and hands it over with SetSearchState; tests hand over their own.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "answerbank/search/BankSearch.h"
#include "platform/NewestRequest.h"

// The answer bank as the last complete search left it: its text, with the
// ranges that search coloured and everything else in the standard format.
// Only while nothing else has touched the box since may the next search change
// just what differs instead of resetting the whole text.
struct HighlightedBank {
  bool valid = false;
  std::u16string text;
  std::vector<CharRange> highlights;
  unsigned long changeCount = 0;  // the box's outside changes counted then (answerbank/search/BankWatch.h)
};

struct SearchState {
  // What the last search found, for "下一条" and "上一条". Shared so that a
  // navigation still running keeps what it started with when a new search
  // replaces it.
  std::shared_ptr<const BankSearchResult> found = std::make_shared<BankSearchResult>();
  int currentOccurrence = 0;
  // A search stops once a newer one has begun in its middle, or once the bank
  // it colours is replaced.
  NewestRequest searches;
  HighlightedBank lastBank;
};

// The state the search and the stepping through its occurrences work on;
// without one (before the first call, or after a null) they do nothing.
void SetSearchState(SearchState* state);
SearchState* CurrentSearchState();
