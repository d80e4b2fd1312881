#include <gtest/gtest.h>

#include "answerbank/search/GbkFind.h"
#include "answerbank/search/Occurrences.h"

namespace {

TEST(GbkFind, FindsFromAOneBasedStart) {
  EXPECT_EQ(gbk::Find("abcabc", "abc", 0), 1);
  EXPECT_EQ(gbk::Find("abcabc", "abc", 1), 1);
  EXPECT_EQ(gbk::Find("abcabc", "abc", 2), 4);
  EXPECT_EQ(gbk::Find("abcabc", "abc", 5), -1);
  EXPECT_EQ(gbk::Find("abc", "abc", 99), -1);
}

TEST(GbkFind, CaseMattersAndEmptyTextsFindNothing) {
  EXPECT_EQ(gbk::Find("abc", "ABC", 0), -1);
  EXPECT_EQ(gbk::Find("", "a", 0), -1);
  EXPECT_EQ(gbk::Find("abc", "", 0), -1);
  EXPECT_EQ(gbk::Find("ab", "abc", 0), -1);
}

TEST(GbkFind, NeverMatchesOnTheSecondByteOfACharacter) {
  // 答 is B4 F0, 案 is B0 B8: the pair F0 B0 straddles two characters.
  const std::string text = "答案";
  EXPECT_EQ(gbk::Find(text, "\xF0\xB0", 0), -1);
  EXPECT_EQ(gbk::Find(text, "\xB0", 0), 3);  // the lead byte of 案 is a character start
  EXPECT_EQ(gbk::Find(text, "\xB8", 0), -1);
  // 丂 is 81 40: its trail byte is the ASCII '@' and must not be found.
  EXPECT_EQ(gbk::Find("丂", "@", 0), -1);
  EXPECT_EQ(gbk::Find("丂@", "@", 0), 3);
}

TEST(GbkFind, EuroSignIsASingleByte) {
  // Code page 936 writes € as the lone byte 80; the 'a' after it is a character of its own.
  EXPECT_EQ(gbk::Find("\x80" "a", "a", 0), 2);
  EXPECT_EQ(gbk::Find("\x80" "答", "答", 0), 2);
}

TEST(Occurrences, DoNotOverlap) {
  EXPECT_EQ(FindOccurrences("aaaa", "aa"), (std::vector<int>{1, 3}));
  EXPECT_EQ(FindOccurrences("aaa", "aa"), (std::vector<int>{1}));
}

TEST(Occurrences, CutGivesOneMorePieceThanOccurrences) {
  EXPECT_EQ(CutAtOccurrences("甲乙答案丙答案", "答案"), (std::vector<std::string>{"甲乙", "丙", ""}));
  EXPECT_EQ(CutAtOccurrences("答案", "答案"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(CutAtOccurrences("abc", "x"), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(CutAtOccurrences("abc", ""), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(CutAtOccurrences("", "abc"), (std::vector<std::string>{""}));
}

TEST(Occurrences, FoundAtTheVeryEnd) {
  EXPECT_EQ(FindOccurrences("xyz答案", "答案"), (std::vector<int>{4}));
}

}  // namespace
