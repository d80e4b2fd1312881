#include "answerbank/search/ExactMatcher.h"

#include <utility>

ExactMatcher::ExactMatcher(std::u32string pattern)
    : pattern_(std::move(pattern)), fallback_(pattern_.size(), 0), starts_(pattern_.size(), 0) {
  for (size_t i = 1, border = 0; i < pattern_.size(); ++i) {
    while (border > 0 && pattern_[i] != pattern_[border]) border = fallback_[border - 1];
    if (pattern_[i] == pattern_[border]) ++border;
    fallback_[i] = border;
  }
}

void ExactMatcher::Push(char32_t c, long long boxStart, long long boxEnd) {
  const size_t m = pattern_.size();
  if (m == 0) return;
  starts_[pushed_ % m] = boxStart;
  ++pushed_;
  while (matched_ > 0 && pattern_[matched_] != c) matched_ = fallback_[matched_ - 1];
  if (pattern_[matched_] == c) ++matched_;
  if (matched_ == m) {
    // The occurrence began m characters back, which the ring still holds.
    const long long start = starts_[pushed_ % m];
    hits_.push_back({start, boxEnd - start});
    matched_ = 0;  // occurrences never overlap
  }
}
