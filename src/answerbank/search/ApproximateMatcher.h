// The passages of a stream of folded characters that are closest to a pattern
// by edit distance (single-character insertions, deletions and substitutions).
//
// The distance of the best passage ending at each character comes from Myers'
// bit-vector algorithm (1999), in Hyyrö's block form for patterns longer than
// one 64-bit word: O(n * ceil(m / 64)) for n text characters. Only the last
// m + maxDistance characters are kept, so the memory does not grow with the text.
//
// Which passages are reported, with d the smallest distance of any passage
// (reported only when d <= maxDistance):
// - Ends are taken greedily left to right: a character ends a passage when a
//   passage of distance d ends there and starts after the end of the previous
//   reported passage. Passages therefore never overlap, and of several ends in
//   a row the first is taken.
// - Of the starts reaching d for an end, the last one (the shortest passage):
//   the text around a passage is usually the neighbouring answer, and a
//   question's extra words at its edges should not pull that text into the
//   highlight. Together with the first end, this makes every passage of two or more
//   characters begin and end on a character equal to the question's there; a
//   changed character at either edge stays outside.
// The start is found by running the same bit-vector computation backwards from
// the end, with the pattern reversed and the passage's end anchored.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "answerbank/search/Occurrences.h"

class ApproximateMatcher {
 public:
  // Longest pattern accepted: its tables grow with the square of its length.
  static constexpr size_t kLongestPattern = 2048;

  // `pattern`: 1 to kLongestPattern characters.
  ApproximateMatcher(const std::u32string& pattern, int maxDistance);

  // The next text character and the box positions it occupies.
  void Push(char32_t c, long long boxStart, long long boxEnd);

  // The smallest distance found so far, or -1 while none is within maxDistance.
  int BestDistance() const { return best_ <= maxDistance_ ? best_ : -1; }
  // The box ranges of the passages reaching it, left to right.
  const std::vector<CharRange>& Passages() const { return passages_; }

 private:
  uint16_t SymbolOf(char32_t c) const;
  void Fill(std::vector<uint64_t>& table, const std::u32string& pattern, bool reversed);
  // Characters in the shortest passage ending at text character `end` with
  // distance best_ and at most `window` long, or 0 when there is none.
  long long ShortestPassage(long long end, long long window);

  int m_;
  int maxDistance_;
  size_t blocks_;
  uint64_t lastRowBit_;
  // Dense numbers 1..k for the pattern's distinct characters; 0 matches nothing.
  std::vector<uint16_t> bmpSymbols_;
  std::vector<std::pair<char32_t, uint16_t>> otherSymbols_;  // sorted
  std::vector<uint64_t> forwardMatches_;   // [symbol * blocks + block]: pattern rows equal to it
  std::vector<uint64_t> backwardMatches_;  // the same for the reversed pattern
  std::vector<uint64_t> plus_, minus_;     // vertical differences of the forward column
  std::vector<uint64_t> backPlus_, backMinus_;
  int score_;  // distance of the best passage ending at the last character
  // The last m + maxDistance characters: their symbols and box starts.
  std::vector<uint16_t> recentSymbols_;
  std::vector<long long> recentStarts_;
  long long pushed_ = 0;
  int best_;
  long long lastEnd_ = -1;  // text index where the last reported passage ends
  std::vector<CharRange> passages_;
};
