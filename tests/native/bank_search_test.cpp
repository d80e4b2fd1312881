#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "answerbank/search/BankSearch.h"
#include "answerbank/search/SearchReport.h"
#include "char_range_print.h"

namespace {

using Ranges = std::vector<CharRange>;

// The GBK literals and the UTF-16 literals of each case hold the same text.
TEST(SearchBank, ExactOccurrencesComeFirstAndFollowTheSearchText) {
  int calls = 0;
  const auto count = [&calls] { return ++calls, true; };
  // Folded, the question also occurs across the line break.
  const BankSearchResult found = SearchBank("答案甲答\r\n案乙答案", u"答案甲答\r\n案乙答案", "答案", u"答案", count);
  EXPECT_EQ(found.outcome, BankSearchOutcome::Exact);
  EXPECT_EQ(found.hits, (Ranges{{0, 2}, {7, 2}}));
  EXPECT_EQ(found.pieces, (std::vector<std::string>{"", "甲答\r\n案乙", ""}));
  EXPECT_EQ(calls, 0);  // the tolerant search never ran
  EXPECT_EQ(BankSearchReport(found), SearchReport(2));
  EXPECT_EQ(HitSelection(found, 2, "答案"), (CharRange{7, 2}));
  // A search text edited after the search moves the selection with it.
  EXPECT_EQ(HitSelection(found, 2, "答案甲"), (CharRange{8, 3}));
}

TEST(SearchBank, FallsBackToTheFoldedQuestionThenToTheClosestPassages) {
  // Positions: 第 0 … ： 3, 下 4, 列 5, CR LF 6, 选 7 … ， 10 … （ 15, Ａ 16, ） 17.
  const std::string bank = "第一题：下列\r\n选项中，正确的是（Ａ）甲乙丙丁戊己庚辛壬癸子丑";
  const std::u16string units = u"第一题：下列\r\n选项中，正确的是（Ａ）甲乙丙丁戊己庚辛壬癸子丑";
  const BankSearchResult folded = SearchBank(bank, units, "下列 选项中,正确的是(a)", u"下列 选项中,正确的是(a)");
  EXPECT_EQ(folded.outcome, BankSearchOutcome::Folded);
  EXPECT_EQ(folded.hits, (Ranges{{4, 14}}));
  EXPECT_TRUE(folded.pieces.empty());
  EXPECT_EQ(BankSearchReport(folded), FoldedSearchReport(1));
  // Its hits are selected as found, whatever the search box holds now.
  EXPECT_EQ(HitSelection(folded, 1, "x"), (CharRange{4, 14}));

  // 己 changed to 巳 and 壬 left out: 2 edits in 11 characters, 81 %.
  const BankSearchResult closest = SearchBank(bank, units, "甲乙丙丁戊巳庚辛癸子丑", u"甲乙丙丁戊巳庚辛癸子丑");
  EXPECT_EQ(closest.outcome, BankSearchOutcome::Closest);
  EXPECT_EQ(closest.hits, (Ranges{{18, 12}}));
  EXPECT_EQ(closest.similarity, 81);
  EXPECT_EQ(BankSearchReport(closest), ClosestSearchReport(81, 1));

  const BankSearchResult none = SearchBank(bank, units, "完全无关的一句话", u"完全无关的一句话");
  EXPECT_EQ(none.outcome, BankSearchOutcome::NotFound);
  EXPECT_TRUE(none.hits.empty());
  EXPECT_EQ(BankSearchReport(none), SearchReport(0));
  EXPECT_EQ(SearchBank(bank, units, "", u"").outcome, BankSearchOutcome::NotFound);
}

TEST(SearchBank, StopsWhenAsked) {
  const std::string bank(40000, 'x');
  const std::u16string units(40000, u'x');
  const BankSearchResult found = SearchBank(bank, units, "xyxyxyxy", u"xyxyxyxy", [] { return false; });
  EXPECT_EQ(found.outcome, BankSearchOutcome::Stopped);
  EXPECT_TRUE(found.hits.empty());
}

}  // namespace
