#include <gtest/gtest.h>

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

}  // namespace
