#include "answerbank/search/TolerantSearch.h"

#include "answerbank/search/ApproximateMatcher.h"
#include "answerbank/search/ExactMatcher.h"
#include "answerbank/search/TextFolding.h"

namespace {

constexpr long long kCharactersBetweenCalls = 16384;

// Feeds every folded character of `boxText` to `matcher`; false when stopped.
template <typename Matcher>
bool FeedFolded(std::u16string_view boxText, Folding fold, Matcher& matcher, const std::function<bool()>& keepGoing) {
  BoxCharacterReader reader(boxText);
  BoxCharacter character;
  long long untilCall = kCharactersBetweenCalls;
  while (reader.Next(character)) {
    const char32_t c = fold(character.codePoint);
    if (c != kSkippedCharacter) matcher.Push(c, character.start, character.end);
    if (--untilCall == 0) {
      if (keepGoing && !keepGoing()) return false;
      untilCall = kCharactersBetweenCalls;
    }
  }
  return true;
}

}  // namespace

TolerantResult FoldedOccurrences(std::u16string_view boxText, const std::u32string& pattern, Folding fold,
                                 const std::function<bool()>& keepGoing) {
  TolerantResult result;
  if (pattern.empty()) return result;
  ExactMatcher exact(pattern);
  if (!FeedFolded(boxText, fold, exact, keepGoing)) {
    result.outcome = TolerantOutcome::Stopped;
  } else if (!exact.Hits().empty()) {
    result.outcome = TolerantOutcome::Folded;
    result.hits = exact.Hits();
  }
  return result;
}

TolerantResult ClosestPassages(std::u16string_view boxText, const std::u32string& pattern, Folding fold,
                               const std::function<bool()>& keepGoing) {
  TolerantResult result;
  if (pattern.size() < kShortestClosestQuestion || pattern.size() > ApproximateMatcher::kLongestPattern) return result;
  const int m = static_cast<int>(pattern.size());
  ApproximateMatcher closest(pattern, m / 4);
  if (!FeedFolded(boxText, fold, closest, keepGoing)) {
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

TolerantResult TolerantSearch(std::u16string_view boxText, std::u16string_view question,
                              const std::function<bool()>& keepGoing) {
  const std::u32string folded = FoldText(question);
  TolerantResult result = FoldedOccurrences(boxText, folded, FoldCharacter, keepGoing);
  if (result.outcome != TolerantOutcome::NotFound) return result;
  return ClosestPassages(boxText, folded, FoldCharacter, keepGoing);
}
