// The answer bank search that runs when the exact search finds nothing: first
// every occurrence of the question with both texts folded (white space, full-
// width forms, letter case and Chinese or English punctuation ignored), then,
// failing that, the passages closest to it.
#pragma once
#include <functional>
#include <string_view>
#include <vector>

#include "answerbank/search/Occurrences.h"

enum class TolerantOutcome {
  NotFound,
  Folded,   // the folded question occurs: `hits` holds every occurrence
  Closest,  // `hits` holds the closest passages, all at `distance`
  Stopped,  // the caller's `keepGoing` asked to stop
};

struct TolerantResult {
  TolerantOutcome outcome = TolerantOutcome::NotFound;
  // Box ranges (0-based positions as the rich edit box counts them, CR LF one),
  // left to right and never overlapping. Each runs from its first to its last
  // matched character, so it spans the white space skipped inside it.
  std::vector<CharRange> hits;
  int distance = 0;    // Closest: edit distance of each passage
  int similarity = 0;  // Closest: 100 * (1 - distance / folded question length), rounded down
};

// Folded questions shorter than this get no closest passage: too few
// characters to tell a near miss from chance.
constexpr size_t kShortestClosestQuestion = 6;

// `boxText`: the answer bank's UTF-16 text as read with CR LF line ends.
// `keepGoing` (optional) is called every few thousand characters, e.g. to
// process window messages; when it returns false the search stops.
TolerantResult TolerantSearch(std::u16string_view boxText, std::u16string_view question,
                              const std::function<bool()>& keepGoing = {});
