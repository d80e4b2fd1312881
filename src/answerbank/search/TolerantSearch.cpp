#include "answerbank/search/TolerantSearch.h"

#include "answerbank/search/ApproximateMatcher.h"
#include "answerbank/search/ExactMatcher.h"
#include "answerbank/search/TextFolding.h"

namespace {

constexpr long long kCharactersBetweenCalls = 16384;

// Feeds every folded character of `boxText` to `matcher`; false when stopped.
template <typename Matcher>
bool FeedFolded(std::u16string_view boxText, Matcher& matcher, const std::function<bool()>& keepGoing) {
  BoxCharacterReader reader(boxText);
  BoxCharacter character;
  long long untilCall = kCharactersBetweenCalls;
  while (reader.Next(character)) {
    const char32_t c = FoldCharacter(character.codePoint);
    if (c != kSkippedCharacter) matcher.Push(c, character.start, character.end);
    if (--untilCall == 0) {
      if (keepGoing && !keepGoing()) return false;
      untilCall = kCharactersBetweenCalls;
    }
  }
  return true;
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
