#include "answerbank/search/StemSearch.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>

#include "answerbank/search/ApproximateMatcher.h"
#include "answerbank/search/ExactMatcher.h"
#include "answerbank/search/QuestionStem.h"
#include "answerbank/search/TextFolding.h"
#include "answerbank/search/TolerantSearch.h"

namespace {

// The bank's text after a passage as far as its question goes: to the line
// that opens the next question, and no further than the options could reach.
std::u32string QuestionAfter(std::u16string_view text, size_t optionCharacters) {
  const size_t budget = std::min<size_t>(2 * optionCharacters + 80, 1024);
  std::u32string after;
  size_t lineStart = std::u32string::npos;  // the first line is the passage's own
  auto opensQuestion = [&] {
    return lineStart != std::u32string::npos && lineStart <= after.size() &&
           OpensQuestion(std::u32string_view(after).substr(lineStart));
  };
  BoxCharacterReader reader(text);
  BoxCharacter character;
  while (after.size() < budget && reader.Next(character)) {
    const char32_t c = PageCharacter(character.codePoint);
    if (c == '\n') {
      if (opensQuestion()) break;
      lineStart = after.size() + 1;
    }
    after += c;
  }
  if (opensQuestion()) after.resize(lineStart);
  return after;
}

// The UTF-16 unit after each hit's last character; `hits` left to right.
std::vector<size_t> UnitsAfter(std::u16string_view text, const std::vector<CharRange>& hits) {
  std::vector<size_t> units;
  BoxCharacterReader reader(text);
  BoxCharacter character;
  while (units.size() < hits.size() && reader.Next(character)) {
    while (units.size() < hits.size() && character.end == hits[units.size()].start + hits[units.size()].length) {
      units.push_back(reader.Unit());
    }
  }
  units.resize(hits.size(), text.size());
  return units;
}

// Puts the hits (left to right) followed by more of `options` first. False
// when every hit is followed by an option list that holds fewer than half of them.
bool RankByOptions(std::u16string_view text, const std::vector<std::u32string>& options,
                   std::vector<CharRange>& hits) {
  if (options.size() < 2) return true;
  const size_t optionCharacters = std::accumulate(options.begin(), options.end(), size_t{0},
                                                  [](size_t n, const std::u32string& o) { return n + o.size(); });
  const std::vector<size_t> units = UnitsAfter(text, hits);
  std::vector<size_t> held(hits.size());
  bool anyOurs = false;
  for (size_t i = 0; i < hits.size(); ++i) {
    const std::u32string after = QuestionAfter(text.substr(units[i]), optionCharacters);
    std::u32string folded;
    for (char32_t c : after) {
      const char32_t f = FoldStemCharacter(c);
      if (f != kSkippedCharacter) folded += f;
    }
    held[i] = static_cast<size_t>(std::count_if(options.begin(), options.end(), [&](const std::u32string& option) {
      return folded.find(option) != std::u32string::npos;
    }));
    // A passage with no options after it may still be the question: the bank
    // can keep a question without its options.
    if (2 * held[i] >= options.size() || !ListsOptions(after)) anyOurs = true;
  }
  if (!anyOurs) return false;
  std::vector<size_t> order(hits.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return held[a] > held[b]; });
  std::vector<CharRange> ranked;
  ranked.reserve(hits.size());
  for (size_t i : order) ranked.push_back(hits[i]);
  hits = std::move(ranked);
  return true;
}

// The closest-passage matcher for `pattern`, when it is long enough to have one.
std::optional<ApproximateMatcher> ClosestMatcher(const std::u32string& pattern) {
  if (pattern.size() < kShortestClosestQuestion || pattern.size() > ApproximateMatcher::kLongestPattern) return std::nullopt;
  return ApproximateMatcher(pattern, static_cast<int>(pattern.size()) / 4);
}

bool Found(const std::optional<ApproximateMatcher>& matcher) { return matcher && matcher->BestDistance() >= 0; }

int Similarity(const ApproximateMatcher& matcher, size_t length) {
  const int m = static_cast<int>(length);
  return 100 * (m - matcher.BestDistance()) / m;
}

QuestionSearchResult Result(QuestionSearchOutcome outcome, std::vector<CharRange> hits, int similarity = 0) {
  return QuestionSearchResult{outcome, std::move(hits), similarity};
}

}  // namespace

QuestionSearchResult SearchQuestionAndStem(std::u16string_view boxText, std::u16string_view question,
                                           const std::function<bool()>& keepGoing) {
  const std::u32string whole = FoldText(question);
  const QuestionStem stem = FindStem(question);
  const std::u32string stemPattern = FoldStem(stem.stem);
  // The stem is read for a question with furniture, and for one whose blank
  // may be drawn otherwise in the bank.
  const bool readStem = stem.furniture || stemPattern.size() != whole.size();
  const QuestionSearchResult stopped = Result(QuestionSearchOutcome::Stopped, {});

  ExactMatcher wholeExact(whole);
  ExactMatcher stemExact(readStem ? stemPattern : std::u32string());
  const bool read = ForEachFolded(
      boxText,
      [&](char32_t c, const BoxCharacter& at) {
        wholeExact.Push(c, at.start, at.end);
        if (!IsBlankMark(c)) stemExact.Push(c, at.start, at.end);
      },
      keepGoing);
  if (!read) return stopped;
  if (!wholeExact.Hits().empty()) return Result(QuestionSearchOutcome::Folded, wholeExact.Hits());
  std::vector<CharRange> stemHits = stemExact.Hits();
  if (stem.furniture && !stemHits.empty() && RankByOptions(boxText, stem.options, stemHits)) {
    return Result(QuestionSearchOutcome::Stem, std::move(stemHits));
  }

  // A stem that occurs has no closer passages than those: none to look for.
  std::optional<ApproximateMatcher> stemClosest =
      readStem && stemHits.empty() ? ClosestMatcher(stemPattern) : std::nullopt;
  std::optional<ApproximateMatcher> wholeClosest = ClosestMatcher(whole);
  if (stemClosest || wholeClosest) {
    const bool closestRead = ForEachFolded(
        boxText,
        [&](char32_t c, const BoxCharacter& at) {
          if (wholeClosest) wholeClosest->Push(c, at.start, at.end);
          if (stemClosest && !IsBlankMark(c)) stemClosest->Push(c, at.start, at.end);
        },
        keepGoing);
    if (!closestRead) return stopped;
  }
  if (stem.furniture && Found(stemClosest)) {
    std::vector<CharRange> passages = stemClosest->Passages();
    if (RankByOptions(boxText, stem.options, passages)) {
      return Result(QuestionSearchOutcome::Closest, std::move(passages), Similarity(*stemClosest, stemPattern.size()));
    }
  }
  if (Found(wholeClosest)) {
    return Result(QuestionSearchOutcome::Closest, wholeClosest->Passages(), Similarity(*wholeClosest, whole.size()));
  }
  if (!stem.furniture && !stemHits.empty()) return Result(QuestionSearchOutcome::Folded, std::move(stemHits));
  if (!stem.furniture && Found(stemClosest)) {
    return Result(QuestionSearchOutcome::Closest, stemClosest->Passages(), Similarity(*stemClosest, stemPattern.size()));
  }
  return Result(QuestionSearchOutcome::NotFound, {});
}
