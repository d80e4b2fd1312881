#include "answerbank/search/StemSearch.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "answerbank/search/TextFolding.h"
#include "answerbank/search/TolerantSearch.h"

namespace {

// The bank's text after a passage as far as its question goes: to the line
// that opens the next question, and no further than the options could reach.
std::u32string QuestionAfter(std::u16string_view text, size_t optionCharacters) {
  const size_t budget = std::min<size_t>(2 * optionCharacters + 80, 1024);
  std::u32string after;
  size_t lineStart = std::u32string::npos;  // the first line is the passage's own
  BoxCharacterReader reader(text);
  BoxCharacter character;
  while (after.size() < budget && reader.Next(character)) {
    const char32_t c = PageCharacter(character.codePoint);
    if (c == '\n') {
      if (lineStart != std::u32string::npos && OpensQuestion(std::u32string_view(after).substr(lineStart))) {
        after.resize(lineStart);
        return after;
      }
      lineStart = after.size() + 1;
    }
    after += c;
  }
  if (lineStart != std::u32string::npos && lineStart <= after.size() &&
      OpensQuestion(std::u32string_view(after).substr(lineStart))) {
    after.resize(lineStart);
  }
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

// Puts the hits followed by more of `options` first. False when every hit is
// followed by an option list that holds fewer than half of them.
bool RankByOptions(std::u16string_view text, const std::vector<std::u32string>& options,
                   std::vector<CharRange>& hits) {
  if (options.size() < 2) return true;
  const size_t optionCharacters =
      std::accumulate(options.begin(), options.end(), size_t{0}, [](size_t n, const std::u32string& o) { return n + o.size(); });
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

}  // namespace

StemResult SearchStem(std::u16string_view boxText, const QuestionStem& stem, const std::function<bool()>& keepGoing) {
  StemResult result;
  const std::u32string pattern = FoldStem(stem.stem);
  TolerantResult found = FoldedOccurrences(boxText, pattern, FoldStemCharacter, keepGoing);
  if (found.outcome == TolerantOutcome::NotFound) found = ClosestPassages(boxText, pattern, FoldStemCharacter, keepGoing);
  switch (found.outcome) {
    case TolerantOutcome::Stopped:
      result.outcome = StemOutcome::Stopped;
      return result;
    case TolerantOutcome::NotFound:
      return result;
    default:
      break;
  }
  if (!RankByOptions(boxText, stem.options, found.hits)) return result;
  result.outcome = found.outcome == TolerantOutcome::Folded ? StemOutcome::Folded : StemOutcome::Closest;
  result.hits = std::move(found.hits);
  result.similarity = found.similarity;
  return result;
}
