// The search for a question's stem (answerbank/search/QuestionStem.h) in the
// answer bank: first every occurrence with white space, width, case,
// punctuation and the blanks' brackets and underscores ignored, then the
// closest passages within a quarter of the stem's length. When the question
// carried options, the passages followed in the bank by those options come
// first; and when every passage is followed by other options, the stem found
// other questions that begin alike, and nothing is reported.
#pragma once
#include <functional>
#include <string_view>
#include <vector>

#include "answerbank/search/Occurrences.h"
#include "answerbank/search/QuestionStem.h"

enum class StemOutcome { NotFound, Folded, Closest, Stopped };

struct StemResult {
  StemOutcome outcome = StemOutcome::NotFound;
  // Box ranges, never overlapping, best first: those followed by more of the
  // question's options first, in text order among equals.
  std::vector<CharRange> hits;
  int similarity = 0;  // Closest: percent of the folded stem, rounded down
};

// `boxText`: the answer bank as read with CR LF line ends. `keepGoing` as for
// TolerantSearch (answerbank/search/TolerantSearch.h).
StemResult SearchStem(std::u16string_view boxText, const QuestionStem& stem,
                      const std::function<bool()>& keepGoing = {});
