#include <gtest/gtest.h>

#include "answerbank/import/DroppedPaths.h"

namespace {

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

TEST(JoinedDocumentLength, TheLengthOfTheJoinedText) {
  // The first text has nothing before it: one file may fill the whole limit.
  const std::wstring limit(1000000, L'答');
  EXPECT_EQ(JoinedDocumentLength(L"", limit), limit.size());
  const std::pair<std::wstring, std::wstring> joins[] = {
      {L"", L""}, {L"", L"甲"}, {L"甲", L"乙\r\n"}, {L"甲\r\n\r\n乙\r\n", L"丙"}, {L"丁\r\n\r\n", L"戊"}, {L"\r\n", L""},
  };
  for (const auto& [before, next] : joins) {
    std::wstring joined = before;
    AppendDocumentText(joined, next);
    EXPECT_EQ(JoinedDocumentLength(before, next), joined.size()) << joined.size();
  }
}

}  // namespace
