#include <gtest/gtest.h>

#include <set>

#include "answerbank/import/ImportReport.h"

namespace {

const ImportFailure kEveryFailure[] = {
    ImportFailure::kMissing,        ImportFailure::kUnreadable,        ImportFailure::kEmpty,
    ImportFailure::kTooLarge,       ImportFailure::kZipBomb,           ImportFailure::kBrokenArchive,
    ImportFailure::kBrokenDocument, ImportFailure::kNoWord,            ImportFailure::kWordCannotOpen,
    ImportFailure::kClipboardBusy,  ImportFailure::kWordCopiedNothing, ImportFailure::kWordCopiedNoText,
    ImportFailure::kDropTooLarge,   ImportFailure::kClipboardInUse,    ImportFailure::kClipboardTooLarge,
};

DocumentReadResult Read(DocumentReadOutcome outcome, ZipError archiveError = ZipError::kNone) {
  DocumentReadResult result;
  result.outcome = outcome;
  result.archiveError = archiveError;
  return result;
}

TEST(ImportReport, EveryReasonHasItsOwnTextNamingTheFile) {
  std::set<std::string> clauses;
  for (const ImportFailure failure : kEveryFailure) {
    const std::string clause = FailureClause({"第三章 练习.docx", failure}, 2000000);
    EXPECT_NE(clause.find("第三章 练习.docx"), std::string::npos) << clause;
    EXPECT_TRUE(clauses.insert(clause).second) << "said twice: " << clause;
  }
}

TEST(ImportReport, TheTextsOfTheCommonCases) {
  EXPECT_EQ(ImportFailureReport({{"题库.doc", ImportFailure::kNoWord}}, 2000000), "载入失败：没有找到 Word，无法读取 题库.doc");
  EXPECT_EQ(ImportFailureReport({{"题库.doc", ImportFailure::kUnreadable}}, 2000000), "载入失败：无法打开 题库.doc");
  EXPECT_EQ(ImportFailureReport({{"a.txt", ImportFailure::kUnreadable, 32}}, 2000000),
            "载入失败：无法打开 a.txt（文件被其他程序占用）");
  EXPECT_EQ(ImportFailureReport({{"大.txt", ImportFailure::kTooLarge}}, 2000000),
            "载入失败：大.txt 太大，答案库最多载入 200 万字");
}

TEST(ImportReport, SeveralFailuresInTheirOrderAndNoneGivesNothing) {
  EXPECT_EQ(ImportFailureReport({}, 100), "");
  EXPECT_EQ(ImportFailureReport({{"a.doc", ImportFailure::kMissing}, {"b.docx", ImportFailure::kBrokenArchive}}, 100),
            "载入失败：找不到文件 a.doc；b.docx 已损坏，无法解压");
}

TEST(ImportReport, WhatTheReaderSaidBecomesTheReason) {
  using O = DocumentReadOutcome;
  EXPECT_EQ(FailureOfReading(Read(O::kMissing), true), ImportFailure::kMissing);
  EXPECT_EQ(FailureOfReading(Read(O::kUnreadable), false), ImportFailure::kUnreadable);
  EXPECT_EQ(FailureOfReading(Read(O::kEmpty), false), ImportFailure::kEmpty);
  EXPECT_EQ(FailureOfReading(Read(O::kTooLarge), false), ImportFailure::kTooLarge);
  EXPECT_EQ(FailureOfReading(Read(O::kTooLarge, ZipError::kTooLarge), false), ImportFailure::kZipBomb);
  EXPECT_EQ(FailureOfReading(Read(O::kBrokenArchive, ZipError::kOverlapping), false), ImportFailure::kBrokenArchive);
  EXPECT_EQ(FailureOfReading(Read(O::kBrokenDocument), true), ImportFailure::kBrokenDocument);
  // A type only Word reads: Word missing, or Word there but refusing the file.
  EXPECT_EQ(FailureOfReading(Read(O::kNeedsWord), false), ImportFailure::kNoWord);
  EXPECT_EQ(FailureOfReading(Read(O::kNeedsWord), true), ImportFailure::kWordCannotOpen);
}

}  // namespace
