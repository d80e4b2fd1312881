#include "answerbank/search/SearchState.h"

namespace {

SearchState* current = nullptr;

}  // namespace

void SetSearchState(SearchState* state) { current = state; }

SearchState* CurrentSearchState() { return current; }
