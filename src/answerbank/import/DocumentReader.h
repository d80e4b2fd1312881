// A dropped file read by the program itself, for when Word cannot read it: a
// Word document (.docx, known by its ZIP signature) by its body text, and any
// file whose bytes are text (UTF-8 with or without BOM, UTF-16 with BOM, or
// GBK) as that text. Anything else needs Word.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "answerbank/formats/ZipArchive.h"

enum class DocumentReadOutcome {
  kLoaded,
  kMissing,         // no such file or folder
  kUnreadable,      // could not be opened or read; systemError says why
  kEmpty,           // no bytes, or nothing but white space
  kTooLarge,        // the file or its text beyond the limits, or a zip bomb (archiveError kTooLarge)
  kNeedsWord,       // neither text nor a Word document this reader knows
  kBrokenArchive,   // a damaged or unreadable ZIP structure; archiveError says how
  kBrokenDocument,  // the document's XML is not well-formed, or declares a DTD
};

struct DocumentReadResult {
  DocumentReadOutcome outcome = DocumentReadOutcome::kLoaded;
  std::wstring text;  // only when loaded; line ends are always CR LF
  uint32_t systemError = 0;
  ZipError archiveError = ZipError::kNone;
};

// The longest text given to the answer bank, in UTF-16 units: as much as the
// box takes in reasonable time where it is slowest, Wine's rich edit. A 1 MB
// GBK answer bank (about 730,000 characters) must fit; a million characters
// go in with their standard format in 20 to 50 s there, responsive all along
// (README, "Notepad and dropped documents"); twice as many take minutes.
constexpr size_t kMaxDocumentTextUnits = 1000000;
// Files beyond this are not read at all: a .docx may be large with pictures
// and little text.
constexpr uint64_t kMaxDocumentFileBytes = 128u << 20;
// A text file holds at least one UTF-16 unit for every three bytes, so one
// beyond this is refused unread.
constexpr uint64_t kMaxTextFileBytes = 3 * uint64_t{kMaxDocumentTextUnits} + 3;

DocumentReadResult ReadDocumentFile(const std::wstring& path);
