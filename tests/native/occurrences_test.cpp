#include <gtest/gtest.h>

#include <random>

#include "answerbank/RichCharCount.h"
#include "answerbank/search/Occurrences.h"
#include "answerbank/search/SearchReport.h"

namespace {

std::vector<CharRange> RangesOf(const std::string& text, const std::string& pattern) {
  return OccurrenceRanges(text, pattern, FindOccurrences(text, pattern));
}

TEST(OccurrenceRanges, SelectTheOccurrenceCharacters) {
  EXPECT_EQ(RangesOf("甲乙答案丙答案", "答案"), (std::vector<CharRange>{{2, 2}, {5, 2}}));
  EXPECT_EQ(RangesOf("aaaa", "aa"), (std::vector<CharRange>{{0, 2}, {2, 2}}));
  EXPECT_TRUE(RangesOf("abc", "ABC").empty());
}

TEST(OccurrenceRanges, LineBreaksAndForeignCharactersDoNotShiftLaterOccurrences) {
  // CR LF is one position in the box; an emoji is two UTF-16 units, read as "??".
  EXPECT_EQ(RangesOf("一\r\n答案", "答案"), (std::vector<CharRange>{{2, 2}}));
  EXPECT_EQ(RangesOf("??\r\n答案x答案", "答案"), (std::vector<CharRange>{{3, 2}, {6, 2}}));
}

TEST(OccurrenceSelection, StepsThroughTheSameRangesAsTheSearch) {
  std::mt19937 random(11);
  const char* atoms[] = {"答案", "答", "案", "a", "\r\n", "??", "x", "丂@"};
  for (int round = 0; round < 100; ++round) {
    std::string text;
    for (int i = 0, n = static_cast<int>(random() % 30); i < n; ++i) text += atoms[random() % 8];
    const std::string pattern = atoms[random() % 4];
    const auto ranges = RangesOf(text, pattern);
    const auto pieces = CutAtOccurrences(text, pattern);
    ASSERT_EQ(pieces.size(), ranges.size() + 1);
    for (size_t k = 1; k <= ranges.size(); ++k) {
      ASSERT_EQ(OccurrenceSelection(pieces, pattern, static_cast<int>(k)), ranges[k - 1])
          << "occurrence " << k << " of " << ranges.size() << " in a text of " << text.size() << " bytes";
    }
  }
}

TEST(OccurrenceSelection, FollowsAnEditedSearchText) {
  // The pieces stay from the search, the search box is read anew.
  const auto pieces = CutAtOccurrences("甲乙答案丙答案", "答案");
  EXPECT_EQ(OccurrenceSelection(pieces, "答案", 2), (CharRange{5, 2}));
  EXPECT_EQ(OccurrenceSelection(pieces, "答", 2), (CharRange{4, 1}));  // 甲乙答丙答: the shift is expected
}

TEST(OccurrenceNumbers, NextStopsAtTheLastAndPreviousAtTheFirst) {
  int current = 0;
  current = NextOccurrenceNumber(current, 2);
  EXPECT_EQ(current, 1);
  current = NextOccurrenceNumber(current, 2);
  EXPECT_EQ(current, 2);
  current = NextOccurrenceNumber(current, 2);
  EXPECT_EQ(current, 2);
  current = PreviousOccurrenceNumber(current, 2);
  EXPECT_EQ(current, 1);
  current = PreviousOccurrenceNumber(current, 2);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(PreviousOccurrenceNumber(0, 3), 1);
}

TEST(OccurrenceNumbers, NothingToSelectWithoutOccurrences) {
  EXPECT_EQ(NextOccurrenceNumber(0, 0), 0);
  EXPECT_EQ(PreviousOccurrenceNumber(0, 0), 0);
}

TEST(SearchReport, StatesTheCount) {
  EXPECT_EQ(SearchReport(2), "搜索完毕，一共出现 2次内容，请点击上、下一条按钮精确定位！");
  EXPECT_EQ(SearchReport(2000), "搜索完毕，一共出现 2000次内容，请点击上、下一条按钮精确定位！");
  EXPECT_EQ(SearchReport(0), "搜索完毕，没有发现所搜索的内容，请点击上方浏览器模式进行互联网搜索！");
  EXPECT_EQ(FoldedSearchReport(3),
            "搜索完毕，忽略空格、换行、全半角和标点的差异后，一共出现 3次内容，请点击上、下一条按钮精确定位！");
  EXPECT_EQ(ClosestSearchReport(81, 12),
            "搜索完毕，没有完全相同的内容；最接近的内容（相似度 81%）一共出现 12处，已标红，请核对！");
}

}  // namespace
