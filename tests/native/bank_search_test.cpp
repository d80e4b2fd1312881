#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "answerbank/search/BankSearch.h"
#include "answerbank/search/Occurrences.h"
#include "answerbank/search/QuestionStem.h"
#include "answerbank/search/SearchReport.h"
#include "answerbank/search/TextFolding.h"
#include "answerbank/search/TolerantSearch.h"
#include "char_range_print.h"
#include "exam_bank.h"

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

// Searches as the box would, the GBK made by the stand-in.
BankSearchResult Search(const std::u16string& bank, const std::u16string& question) {
  exambank::GbkStandIn gbk;
  return SearchBank(gbk.Encode(bank), bank, gbk.Encode(question), question);
}

// Box positions: a CR LF is one.
long long At(const std::u16string& text, const std::u16string& part) {
  return exambank::BoxLength(text.substr(0, text.find(part)));
}

TEST(SearchBank, FindsTheStemAndPutsThePassageFollowedByTheSameOptionsFirst) {
  const std::u16string bank =
      u"1. 下列说法正确的是（ ）\r\nA. 甲方\r\nB. 乙方\r\nC. 丙方\r\nD. 丁方\r\n答案：A\r\n"
      u"2. 下列说法正确的是（ ）\r\nA. 子时\r\nB. 丑时\r\nC. 寅时\r\nD. 卯时\r\n答案：B\r\n";
  const long long first = At(bank, u"下列"), second = At(bank, u"2. ") + 3;
  const BankSearchResult found = Search(bank, u"5.【单选题】下列说法正确的是____（2分）\r\nA. 卯时\nB. 寅时 C. 丑时  D. 子时");
  EXPECT_EQ(found.outcome, BankSearchOutcome::Stem);
  EXPECT_EQ(found.hits, (Ranges{{second, 8}, {first, 8}}));
  EXPECT_EQ(BankSearchReport(found), StemSearchReport(2));
  EXPECT_EQ(HitSelection(found, 1, "x"), (CharRange{second, 8}));
  // Without options, or with only a true/false pair, text order stands.
  EXPECT_EQ(Search(bank, u"(3) 单选题：下列说法正确的是（ ）").hits, (Ranges{{first, 8}, {second, 8}}));
  // Options that follow neither passage: the stem found other questions.
  EXPECT_EQ(Search(bank, u"5.【单选题】下列说法正确的是（ ）\r\nA. 春天 B. 夏天 C. 秋天 D. 冬天").outcome,
            BankSearchOutcome::NotFound);
  // A bank that keeps the question without its options may still hold it.
  const std::u16string bare = u"1. 下列说法正确的是（ ）\r\n答案：冬天\r\n2. 以下哪项正确\r\nA. 春天\r\nB. 夏天\r\n";
  EXPECT_EQ(Search(bare, u"5.【单选题】下列说法正确的是（ ）\r\nA. 春天 B. 夏天 C. 秋天 D. 冬天").hits,
            (Ranges{{At(bare, u"下列"), 8}}));
}

TEST(SearchBank, AStemWithTyposIsMatchedWithinAQuarterOfItsOwnLength) {
  const std::u16string bank = u"7、中华人民共和国成立于一九四九年十月一日。\r\n答案：对\r\n";
  // 19 characters and one changed: the label in front does not count against it.
  const BankSearchResult found = Search(bank, u"一、判断题（共10题，20.0分）\r\n3. (判断题, 2.0 分) 中华人民共和国成立于一九四几年十月一日。\r\n对\r\n错");
  EXPECT_EQ(found.outcome, BankSearchOutcome::Closest);
  EXPECT_EQ(found.similarity, 100 * (20 - 1) / 20);
  EXPECT_EQ(found.hits, (Ranges{{At(bank, u"中华"), 20}}));
  EXPECT_EQ(Search(bank, u"3. (判断题, 2.0 分) 中华人民共和国成立于一八四几年十月二日。").outcome, BankSearchOutcome::Closest);
  EXPECT_EQ(Search(bank, u"3. (判断题, 2.0 分) 中华民国成立于一九一二年一月一日。").outcome, BankSearchOutcome::NotFound);
}

// A question without the page's furniture finds what the exact and the
// tolerant search found before; only a blank drawn another way may find more.
TEST(SearchBank, AQuestionWithoutFurnitureIsSearchedAsBefore) {
  exambank::Random random(8);
  const exambank::Capture bare[] = {exambank::Capture::Exactly, exambank::Capture::Typos,
                                    exambank::Capture::OtherBlank, exambank::Capture::FirstPart};
  for (int round = 0; round < 300; ++round) {
    const exambank::Bank bank = exambank::MakeBank(random, round % 8, 40);
    const int other = (round + 1 + static_cast<int>(exambank::Pick(random, 9))) % 10;
    exambank::Question q = exambank::Pick(random, 3) == 0
                               ? exambank::MakeQuestion(random, other, exambank::QuestionType::Single)
                               : exambank::OneOf(random, bank.entries).question;
    const exambank::Capture kind = bare[round % std::size(bare)];
    if (!exambank::Applies(kind, q)) continue;
    const std::u16string question = exambank::MakeCapture(random, kind, q);
    ASSERT_FALSE(FindStem(question).furniture);

    exambank::GbkStandIn gbk;
    const std::string bankGbk = gbk.Encode(bank.text), questionGbk = gbk.Encode(question);
    const BankSearchResult found = SearchBank(bankGbk, bank.text, questionGbk, question);
    const std::vector<int> exact = FindOccurrences(bankGbk, questionGbk);
    const TolerantResult before = TolerantSearch(bank.text, question);
    if (!exact.empty()) {
      ASSERT_EQ(found.outcome, BankSearchOutcome::Exact);
      ASSERT_EQ(found.hits, OccurrenceRanges(bankGbk, questionGbk, exact));
    } else if (before.outcome != TolerantOutcome::NotFound) {
      ASSERT_EQ(static_cast<int>(found.outcome), static_cast<int>(before.outcome == TolerantOutcome::Folded
                                                                      ? BankSearchOutcome::Folded
                                                                      : BankSearchOutcome::Closest));
      ASSERT_EQ(found.hits, before.hits);
      ASSERT_EQ(found.similarity, before.similarity);
    } else if (found.outcome != BankSearchOutcome::NotFound) {
      ASSERT_NE(FoldStem(question), FoldText(question)) << "round " << round;
    }
  }
}

}  // namespace
