#include <gtest/gtest.h>

#include <random>

#include "answerbank/DroppedPaths.h"

namespace {

TEST(JoinDroppedPaths, OnePathAlone) {
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::string>{"C:\\答案\\题库.doc"}), "C:\\答案\\题库.doc");
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::wstring>{L"C:\\答案\\题库.doc"}), L"C:\\答案\\题库.doc");
}

TEST(JoinDroppedPaths, SeveralPathsEachFollowedByALineBreak) {
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::string>{"C:\\a.doc", "C:\\b.txt"}), "C:\\a.doc\r\nC:\\b.txt\r\n");
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::wstring>{L"C:\\a.doc", L"C:\\乙.txt", L"D:\\c"}),
            L"C:\\a.doc\r\nC:\\乙.txt\r\nD:\\c\r\n");
}

TEST(JoinDroppedPaths, NoPathsGiveTheEmptyText) {
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::string>{}), "");
  EXPECT_EQ(JoinDroppedPaths(std::vector<std::wstring>{}), L"");
}

TEST(SplitDroppedPaths, GivesBackWhatJoinJoined) {
  // Names of one to three parts drawn from pieces with Chinese, spaces and dots.
  const std::vector<std::wstring> pieces = {L"C:\\", L"答案", L" ", L"题库.doc", L"a", L"\\", L"D:\\x y\\", L"乙.txt"};
  std::mt19937 random(15);
  for (int round = 0; round < 500; ++round) {
    std::vector<std::wstring> paths(random() % 5);
    for (std::wstring& path : paths) {
      for (int n = 1 + random() % 3; n > 0; --n) path += pieces[random() % pieces.size()];
    }
    EXPECT_EQ(SplitDroppedPaths(JoinDroppedPaths(paths)), paths) << "round " << round;
  }
}

TEST(FileNameOf, TheLastPartOfThePath) {
  EXPECT_EQ(FileNameOf(L"C:\\答案\\题库.doc"), L"题库.doc");
  EXPECT_EQ(FileNameOf(L"Z:/tmp/a b/乙.txt"), L"乙.txt");
  EXPECT_EQ(FileNameOf(L"题库.doc"), L"题库.doc");
  EXPECT_EQ(FileNameOf(L"C:\\folder\\"), L"");
}

TEST(AppendDocumentText, OneEmptyLineBetweenTexts) {
  std::wstring joined;
  AppendDocumentText(joined, L"甲");
  EXPECT_EQ(joined, L"甲");
  AppendDocumentText(joined, L"乙\r\n");
  EXPECT_EQ(joined, L"甲\r\n\r\n乙\r\n");
  AppendDocumentText(joined, L"丙");
  EXPECT_EQ(joined, L"甲\r\n\r\n乙\r\n\r\n丙");
  // A text that ends in an empty line keeps it; one more follows.
  std::wstring blank = L"丁\r\n\r\n";
  AppendDocumentText(blank, L"戊");
  EXPECT_EQ(blank, L"丁\r\n\r\n\r\n戊");
}

}  // namespace
