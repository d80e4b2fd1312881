// What the status line of the local search page says after a dropped file
// could not be loaded: one Chinese text per reason, naming the file. No
// Windows header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "answerbank/import/DocumentReader.h"

// Why one dropped file gave no text.
enum class ImportFailure {
  kMissing,          // no such file
  kUnreadable,       // could not be opened or read; the system's error says why
  kEmpty,            // no text in it
  kTooLarge,         // its text is beyond what the answer bank takes
  kZipBomb,          // a .docx that would inflate beyond the limits
  kBrokenArchive,    // a .docx whose ZIP structure is damaged
  kBrokenDocument,   // a .docx whose document XML is damaged
  kNoWord,           // a type only Word reads, and Word could not be started
  kWordCannotOpen,   // Word could not open it, and neither can the program itself
  kClipboardBusy,    // a type only Word reads, and the clipboard Word copies to was held by another program
  kClipboardInUse,   // the same, the clipboard lent to another part of this program (a screen capture)
  kClipboardTooLarge,  // the same, the user's clipboard too large to keep while Word copies over it
  kWordCopiedNothing,  // Word opened it, but its copy changed nothing on the clipboard
  kWordCopiedNoText,   // Word copied it, but as something that holds no text
  kDropTooLarge,     // its text would take the files of one drop beyond what the bank takes
};

struct FileFailure {
  std::string fileName;  // GBK, the name alone without its folder
  ImportFailure failure;
  uint32_t systemError = 0;  // for kUnreadable
};

// The failure for what the built-in reader made of a file. `wordStarted`
// tells a type only Word reads apart: Word missing, or Word refusing it.
// Undefined for kLoaded.
ImportFailure FailureOfReading(const DocumentReadResult& result, bool wordStarted);

// One failure in words, naming the file, e.g. "没有找到 Word，无法读取 题库.doc".
// `maxUnits` is the bank's limit in UTF-16 units, given in the size texts.
std::string FailureClause(const FileFailure& failure, size_t maxUnits);

// The status line after a drop: "载入失败：" and every failure's clause, in
// the order of the files, joined by "；". Empty when nothing failed.
std::string ImportFailureReport(const std::vector<FileFailure>& failures, size_t maxUnits);
