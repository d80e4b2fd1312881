#include "answerbank/search/TolerantSearch.h"

#include "answerbank/search/ApproximateMatcher.h"
#include "answerbank/search/ExactMatcher.h"
#include "answerbank/search/TextFolding.h"

namespace {

// Feeds every folded character of `boxText` to `matcher`; false when stopped.
template <typename Matcher>
bool FeedFolded(std::u16string_view boxText, Matcher& matcher, const std::function<bool()>& keepGoing) {
  return ForEachFolded(
      boxText, [&matcher](char32_t c, const BoxCharacter& at) { matcher.Push(c, at.start, at.end); }, keepGoing);
}

}  // namespace

TolerantResult TolerantSearch(std::u16string_view boxText, std::u16string_view question,
                              const std::function<bool()>& keepGoing) {
  TolerantResult result;
  const std::u32string folded = FoldText(question);
  if (folded.empty()) return result;

  ExactMatcher exact(folded);
  if (!FeedFolded(boxText, exact, keepGoing)) {
    result.outcome = TolerantOutcome::Stopped;
    return result;
  }
  if (!exact.Hits().empty()) {
    result.outcome = TolerantOutcome::Folded;
    result.hits = exact.Hits();
    return result;
  }

  if (folded.size() < kShortestClosestQuestion || folded.size() > ApproximateMatcher::kLongestPattern) return result;
  const int m = static_cast<int>(folded.size());
  ApproximateMatcher closest(folded, m / 4);
  if (!FeedFolded(boxText, closest, keepGoing)) {
    result.outcome = TolerantOutcome::Stopped;
    return result;
  }
  if (closest.BestDistance() < 0) return result;
  result.outcome = TolerantOutcome::Closest;
  result.hits = closest.Passages();
  result.distance = closest.BestDistance();
  result.similarity = 100 * (m - result.distance) / m;
  return result;
}
