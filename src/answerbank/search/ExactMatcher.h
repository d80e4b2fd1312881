// Every occurrence of a folded question in a stream of folded characters, left
// to right, each next one starting after the previous one ends (Knuth-Morris-
// Pratt: linear in the text, no buffer of it).
#pragma once
#include <string>
#include <vector>

#include "answerbank/search/Occurrences.h"

class ExactMatcher {
 public:
  explicit ExactMatcher(std::u32string pattern);  // an empty one finds nothing

  // The next text character and the box positions it occupies.
  void Push(char32_t c, long long boxStart, long long boxEnd);

  // The box ranges of the occurrences found so far: from the first matched
  // character's start to the last one's end.
  const std::vector<CharRange>& Hits() const { return hits_; }

 private:
  std::u32string pattern_;
  std::vector<size_t> fallback_;       // longest proper border of each pattern prefix
  std::vector<long long> starts_;      // box start of the last pattern-length characters
  size_t matched_ = 0;
  size_t pushed_ = 0;
  std::vector<CharRange> hits_;
};
