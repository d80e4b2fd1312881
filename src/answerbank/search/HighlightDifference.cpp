#include "answerbank/search/HighlightDifference.h"

#include <algorithm>

namespace {

// Sorted, merged, empty ranges dropped.
std::vector<CharRange> Normalised(std::vector<CharRange> ranges) {
  ranges.erase(std::remove_if(ranges.begin(), ranges.end(), [](const CharRange& r) { return r.length <= 0; }),
               ranges.end());
  std::sort(ranges.begin(), ranges.end(), [](const CharRange& a, const CharRange& b) { return a.start < b.start; });
  std::vector<CharRange> merged;
  for (const CharRange& r : ranges) {
    if (!merged.empty() && r.start <= merged.back().start + merged.back().length) {
      CharRange& last = merged.back();
      last.length = std::max(last.start + last.length, r.start + r.length) - last.start;
    } else {
      merged.push_back(r);
    }
  }
  return merged;
}

// The positions of `from` that are in no range of `minus`; both normalised.
std::vector<CharRange> Without(const std::vector<CharRange>& from, const std::vector<CharRange>& minus) {
  std::vector<CharRange> left;
  size_t k = 0;
  for (const CharRange& r : from) {
    long long at = r.start;
    const long long end = r.start + r.length;
    while (k < minus.size() && minus[k].start + minus[k].length <= at) ++k;
    for (size_t j = k; j < minus.size() && minus[j].start < end; ++j) {
      if (minus[j].start > at) left.push_back({at, minus[j].start - at});
      at = std::max(at, minus[j].start + minus[j].length);
    }
    if (at < end) left.push_back({at, end - at});
  }
  return left;
}

}  // namespace

HighlightChanges HighlightDifference(const std::vector<CharRange>& previous, const std::vector<CharRange>& next) {
  const std::vector<CharRange> before = Normalised(previous);
  const std::vector<CharRange> after = Normalised(next);
  return {Without(before, after), Without(after, before)};
}
