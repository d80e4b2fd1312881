#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "answerbank/search/ApproximateMatcher.h"
#include "char_range_print.h"

namespace {

struct Closest {
  int distance = -1;
  std::vector<CharRange> passages;  // text indices
};

// Edit distance of `pattern` against `text`'s passage ending at `end` and
// `length` long, for every length up to `longest`: the plain table, column by
// column from the end backwards, with the end anchored.
std::vector<int> DistancesEndingAt(const std::u32string& text, const std::u32string& pattern, size_t end,
                                   size_t longest) {
  const size_t m = pattern.size();
  std::vector<int> column(m + 1);
  for (size_t i = 0; i <= m; ++i) column[i] = static_cast<int>(i);  // length 0
  std::vector<int> byLength{column[m]};
  for (size_t length = 1; length <= longest; ++length) {
    const char32_t c = text[end + 1 - length];
    int diagonal = column[0];
    column[0] = static_cast<int>(length);
    for (size_t i = 1; i <= m; ++i) {
      const int above = column[i];
      column[i] = std::min({diagonal + (pattern[m - i] != c), above + 1, column[i - 1] + 1});
      diagonal = above;
    }
    byLength.push_back(column[m]);
  }
  return byLength;
}

// The same rules as the matcher, from the textbook table: the best distance of
// a passage ending at each character; then ends with that distance greedily
// left to right, each with its shortest passage that starts after the previous
// passage's end.
Closest Reference(const std::u32string& text, const std::u32string& pattern, int maxDistance) {
  const size_t m = pattern.size();
  std::vector<int> column(m + 1), bestEnding(text.size());
  for (size_t i = 0; i <= m; ++i) column[i] = static_cast<int>(i);
  for (size_t j = 0; j < text.size(); ++j) {
    int diagonal = column[0];
    column[0] = 0;
    for (size_t i = 1; i <= m; ++i) {
      const int above = column[i];
      column[i] = std::min({diagonal + (pattern[i - 1] != text[j]), above + 1, column[i - 1] + 1});
      diagonal = above;
    }
    bestEnding[j] = column[m];
  }
  Closest result;
  if (text.empty()) return result;
  const int best = *std::min_element(bestEnding.begin(), bestEnding.end());
  if (best > maxDistance) return result;
  result.distance = best;
  long long previousEnd = -1;
  for (size_t j = 0; j < text.size(); ++j) {
    if (bestEnding[j] != best) continue;
    const std::vector<int> d = DistancesEndingAt(text, pattern, j, static_cast<size_t>(static_cast<long long>(j) - previousEnd));
    for (size_t length = 1; length < d.size(); ++length) {
      if (d[length] == best) {
        result.passages.push_back({static_cast<long long>(j + 1 - length), static_cast<long long>(length)});
        previousEnd = static_cast<long long>(j);
        break;
      }
    }
  }
  return result;
}

Closest Matched(const std::u32string& text, const std::u32string& pattern, int maxDistance) {
  ApproximateMatcher matcher(pattern, maxDistance);
  for (size_t j = 0; j < text.size(); ++j) matcher.Push(text[j], static_cast<long long>(j), static_cast<long long>(j) + 1);
  return {matcher.BestDistance(), matcher.Passages()};
}

TEST(ApproximateMatcher, AgreesWithTheDynamicProgrammingTableAtEveryPatternLength) {
  std::mt19937 random(17);
  // A small alphabet so that near passages abound; 'z' is never in a pattern and
  // the emoji lies outside the 16-bit range.
  const char32_t letters[] = {U'a', U'b', U'c', U'\U0001F600', U'z'};
  auto letter = [&](size_t among) { return letters[random() % among]; };
  for (size_t round = 0; round < 600; ++round) {
    const size_t m = 1 + round / 2;
    std::u32string pattern;
    for (size_t i = 0; i < m; ++i) pattern += letter(4);
    // A copy of the pattern with a few edits, planted now and then, so that
    // small distances occur and several passages tie.
    std::u32string copy = pattern;
    for (size_t edits = random() % (m / 8 + 2); edits > 0 && !copy.empty(); --edits) {
      const size_t at = random() % copy.size();
      switch (random() % 3) {
        case 0: copy[at] = letter(5); break;
        case 1: copy.erase(at, 1); break;
        default: copy.insert(copy.begin() + static_cast<long>(at), letter(5));
      }
    }
    std::u32string text;
    const size_t n = m / 2 + random() % (2 * m + 20);
    while (text.size() < n) text += random() % 4 == 0 ? copy : std::u32string(1, letter(5));
    const int maxDistance = static_cast<int>(random() % (m + 1));
    const Closest expected = Reference(text, pattern, maxDistance);
    const Closest found = Matched(text, pattern, maxDistance);
    ASSERT_EQ(found.distance, expected.distance) << "pattern of " << m << ", text of " << text.size();
    ASSERT_EQ(found.passages, expected.passages) << "pattern of " << m << ", text of " << text.size();
  }
}

TEST(ApproximateMatcher, ShortestPassageAtTheFirstEndReachingTheBestDistance) {
  // One substitution (座/个) and one deletion (请问): the question's extra words
  // and the neighbouring line stay outside the passage.
  const std::u32string text = U"答案A中国的首都是哪座城市答案B";
  const Closest found = Matched(text, U"请问中国的首都是哪个城市", 3);
  EXPECT_EQ(found.distance, 3);
  EXPECT_EQ(found.passages, (std::vector<CharRange>{{3, 10}}));
  EXPECT_EQ(Matched(text, U"请问中国的首都是哪个城市", 2).distance, -1);
}

}  // namespace
