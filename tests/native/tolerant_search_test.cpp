#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "answerbank/search/TextFolding.h"
#include "answerbank/search/TolerantSearch.h"
#include "char_range_print.h"

namespace {

using Ranges = std::vector<CharRange>;

TEST(TolerantSearch, HitsMapBackToBoxPositionsAroundLineBreaksWideAndPairedCharacters) {
  // Positions: \U0001F600 0-1, € 2, CR LF 3, Ａ 4, Ｂ 5, U+3000 6, c 7, ， 8, d 9, CR LF 10, € 11, \U0001F600 12-13.
  const std::u16string bank = u"\U0001F600€\r\nＡＢ\u3000c，d\r\n€\U0001F600";
  const TolerantResult spaced = TolerantSearch(bank, u"ab c,D");
  EXPECT_EQ(spaced.outcome, TolerantOutcome::Folded);
  EXPECT_EQ(spaced.hits, (Ranges{{4, 6}}));  // the skipped U+3000 inside, not the line breaks around
  EXPECT_EQ(TolerantSearch(bank, u"d\r\n€").hits, (Ranges{{9, 3}}));
  EXPECT_EQ(TolerantSearch(bank, u"€\U0001F600").hits, (Ranges{{11, 3}}));
  EXPECT_EQ(TolerantSearch(bank, u"\U0001F600 €").hits, (Ranges{{0, 3}}));
  // Half of a pair is a character of its own that the whole pair never equals.
  EXPECT_EQ(TolerantSearch(bank, u"\xD83D").outcome, TolerantOutcome::NotFound);
  EXPECT_EQ(TolerantSearch(u"a\xD83D" u"b", u"\xD83D").hits, (Ranges{{1, 1}}));
}

// Every character of `text` folded, with its box positions.
std::vector<BoxCharacter> FoldedCharacters(std::u16string_view text) {
  std::vector<BoxCharacter> folded;
  BoxCharacterReader reader(text);
  BoxCharacter character;
  while (reader.Next(character)) {
    character.codePoint = FoldCharacter(character.codePoint);
    if (character.codePoint != kSkippedCharacter) folded.push_back(character);
  }
  return folded;
}

// Tries every start from left to right, jumping past each occurrence.
Ranges ReferenceHits(std::u16string_view bank, std::u16string_view question) {
  const std::vector<BoxCharacter> text = FoldedCharacters(bank);
  const std::u32string pattern = FoldText(question);
  Ranges hits;
  if (pattern.empty()) return hits;
  for (size_t i = 0; i + pattern.size() <= text.size();) {
    size_t k = 0;
    while (k < pattern.size() && text[i + k].codePoint == pattern[k]) ++k;
    if (k < pattern.size()) {
      ++i;
      continue;
    }
    hits.push_back({text[i].start, text[i + k - 1].end - text[i].start});
    i += k;
  }
  return hits;
}

TEST(TolerantSearch, FoldedHitsAgreeWithTryingEveryStart) {
  std::mt19937 random(23);
  const char16_t* atoms[] = {u"a", u"A", u"Ａ", u"b", u" ", u"\r\n", u"\u3000", u"，", u",",
                             u"答", u"\U0001F600", u"€", u"\xD83D"};
  auto randomText = [&](size_t atomCount) {
    std::u16string text;
    for (size_t i = 0; i < atomCount; ++i) text += atoms[random() % std::size(atoms)];
    return text;
  };
  for (int round = 0; round < 500; ++round) {
    const std::u16string bank = randomText(random() % 60);
    const std::u16string question = randomText(1 + random() % 5);
    const Ranges expected = ReferenceHits(bank, question);
    const TolerantResult found = TolerantSearch(bank, question);
    if (expected.empty()) {
      ASSERT_NE(found.outcome, TolerantOutcome::Folded) << "round " << round;
    } else {
      ASSERT_EQ(found.outcome, TolerantOutcome::Folded) << "round " << round;
      ASSERT_EQ(found.hits, expected) << "round " << round;
    }
  }
}

TEST(TolerantSearch, ClosestPassagesWhenNothingMatchesAfterFolding) {
  const std::u16string bank = u"1. 下列哪项是中华的首都？\r\n答案：北京\r\n2. 下列哪项是中华的首都？\r\n答案：北京";
  // One character changed (国/华) and one missing (一): distance 2 of 11 characters.
  const TolerantResult near = TolerantSearch(bank, u"下列哪一项是中国的首都");
  EXPECT_EQ(near.outcome, TolerantOutcome::Closest);
  EXPECT_EQ(near.distance, 2);
  EXPECT_EQ(near.similarity, 81);
  EXPECT_EQ(near.hits, (Ranges{{3, 10}, {24, 10}}));
  // Three differences are more than a quarter of 11.
  EXPECT_EQ(TolerantSearch(bank, u"下列哪一项是中国的首府").outcome, TolerantOutcome::NotFound);
  // Five characters are too few to look for a near passage.
  EXPECT_EQ(TolerantSearch(bank, u"答案:北平").outcome, TolerantOutcome::NotFound);
  EXPECT_EQ(TolerantSearch(bank, u" \r\n\u3000").outcome, TolerantOutcome::NotFound);
  EXPECT_EQ(TolerantSearch(u"", u"下列哪一项是中国的首都").outcome, TolerantOutcome::NotFound);
}

TEST(TolerantSearch, StopsWhenTheCallerSaysSo) {
  const std::u16string bank(100000, u'x');
  int calls = 0;
  const TolerantResult stopped = TolerantSearch(bank, u"xxxxxxy", [&] { return ++calls < 3; });
  EXPECT_EQ(stopped.outcome, TolerantOutcome::Stopped);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(TolerantSearch(bank, u"xxxxxxy", [] { return true; }).outcome, TolerantOutcome::Closest);
}

}  // namespace
