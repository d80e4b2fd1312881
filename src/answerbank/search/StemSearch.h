// The answer bank search that runs when the exact search finds nothing, for a
// question that may carry an exam page's furniture (answerbank/search/
// QuestionStem.h). In this order, the first that finds something decides:
// 1. the question folded (as TolerantSearch, answerbank/search/TolerantSearch.h);
// 2. for a question with furniture, its stem folded, blank marks skipped too;
//    then the stem's closest passages within a quarter of its length. The
//    passages followed in the bank by more of the question's options come
//    first; when every passage is followed by other options, the stem found
//    other questions that begin alike, and the search goes on;
// 3. the passages closest to the question (as TolerantSearch);
// 4. for a question without furniture but with a blank, the question folded
//    with blank marks skipped, then its closest passages so.
// Each reading of the bank serves the question and its stem at once.
#pragma once
#include <functional>
#include <string_view>
#include <vector>

#include "answerbank/search/Occurrences.h"

enum class QuestionSearchOutcome {
  NotFound,
  Folded,   // the question occurs folded (1.), or with a blank drawn otherwise (4.)
  Stem,     // the stem occurs folded (2.)
  Closest,  // closest passages of the stem (2.), the question (3.) or it with blank marks skipped (4.)
  Stopped,  // the caller's `keepGoing` asked to stop
};

struct QuestionSearchResult {
  QuestionSearchOutcome outcome = QuestionSearchOutcome::NotFound;
  // Box ranges, never overlapping: left to right, but for the stem (2.) best
  // first: those followed by more of the question's options first, in text
  // order among equals.
  std::vector<CharRange> hits;
  int similarity = 0;  // Closest: percent of what was matched (the stem or the question), rounded down
};

// `boxText`: the answer bank as read with CR LF line ends. `keepGoing` as for
// TolerantSearch.
QuestionSearchResult SearchQuestionAndStem(std::u16string_view boxText, std::u16string_view question,
                                           const std::function<bool()>& keepGoing = {});
