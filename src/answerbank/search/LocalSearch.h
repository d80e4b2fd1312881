// The local search of the answer bank and the stepping through its occurrences,
// on the state handed over with SetSearchState (answerbank/search/SearchState.h).
#pragma once
#include <windows.h>

// The controls the search works on: the search box, the answer bank and the
// status line. The main window registers its own; tests register theirs.
struct LocalSearchControls {
  HWND searchBox = nullptr;
  HWND answerBank = nullptr;
  HWND statusLabel = nullptr;
};

void SetLocalSearchControls(const LocalSearchControls& controls);

void LocalSearch();
// Something other than a search replaced the answer bank's text (a dropped
// document): a search still running stops rather than colour the new text,
// and "下一条" / "上一条" have nothing to step to until the next search.
void AnswerBankReplaced();
void NextOccurrence();
void PreviousOccurrence();
void SelectOccurrence(int k);
