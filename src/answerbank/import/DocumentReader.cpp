#include "answerbank/import/DocumentReader.h"

#include <windows.h>

#include <new>
#include <string_view>

#include "answerbank/formats/DocxText.h"
#include "answerbank/formats/TextEncoding.h"
#include "answerbank/formats/XmlLiteEvents.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace {

constexpr std::string_view kZipSignature = "PK\x03\x04";
constexpr std::string_view kRtfSignature = "{\\rtf";
constexpr std::string_view kDocumentPart = "word/document.xml";

DocumentReadResult Outcome(DocumentReadOutcome outcome) {
  DocumentReadResult result;
  result.outcome = outcome;
  return result;
}

DocumentReadResult SystemFailure(DWORD error) {
  DocumentReadResult result;
  const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  result.outcome = missing ? DocumentReadOutcome::kMissing : DocumentReadOutcome::kUnreadable;
  result.systemError = error;
  return result;
}

DocumentReadResult ArchiveFailure(ZipError error) {
  DocumentReadResult result;
  result.outcome = error == ZipError::kTooLarge ? DocumentReadOutcome::kTooLarge : DocumentReadOutcome::kBrokenArchive;
  result.archiveError = error;
  return result;
}

bool IsBlank(std::u16string_view text) {
  return text.find_first_not_of(u" \t\r\n\u3000") == std::u16string_view::npos;
}

DocumentReadResult Loaded(std::u16string_view text) {
  const std::u16string lines = WithCrLfLineEnds(text);
  if (lines.size() > kMaxDocumentTextUnits) return Outcome(DocumentReadOutcome::kTooLarge);
  if (IsBlank(lines)) return Outcome(DocumentReadOutcome::kEmpty);
  DocumentReadResult result;
  result.text = AsWide(lines);
  return result;
}

DocumentReadResult ReadWordDocument(std::string_view bytes) {
  const ZipArchive archive(bytes);
  if (archive.Error() != ZipError::kNone) return ArchiveFailure(archive.Error());
  // A spreadsheet, a presentation or any other ZIP is no Word document.
  const ZipEntry* entry = archive.Find(kDocumentPart);
  if (!entry) return Outcome(DocumentReadOutcome::kNeedsWord);
  std::string xml;
  if (const ZipError error = archive.Extract(*entry, xml); error != ZipError::kNone) return ArchiveFailure(error);
  DocxText text(kMaxDocumentTextUnits);
  switch (ReadXmlEvents(xml, text)) {
    case XmlReadResult::kDone:
    case XmlReadResult::kStopped:
      break;
    case XmlReadResult::kMalformed:
      return Outcome(DocumentReadOutcome::kBrokenDocument);
    case XmlReadResult::kUnavailable:
      return Outcome(DocumentReadOutcome::kNeedsWord);
  }
  if (text.TooLong()) return Outcome(DocumentReadOutcome::kTooLarge);
  return Loaded(text.Text());
}

DocumentReadResult ReadText(std::string_view bytes) {
  const DetectedEncoding detected = DetectEncoding(bytes);
  const std::string_view body = bytes.substr(detected.bomBytes);
  if (detected.encoding != TextEncoding::kGbk) {
    const std::optional<std::u16string> text = DecodeUnicodeText(body, detected.encoding);
    return text ? Loaded(*text) : Outcome(DocumentReadOutcome::kNeedsWord);
  }
  if (!IsTextIn(body, TextEncoding::kGbk)) return Outcome(DocumentReadOutcome::kNeedsWord);
  return Loaded(AsUtf16(GbkToWide(body)));
}

DocumentReadResult ReadBytes(const std::string& bytes) {
  if (bytes.empty()) return Outcome(DocumentReadOutcome::kEmpty);
  const bool zip = std::string_view(bytes).substr(0, kZipSignature.size()) == kZipSignature;
  if (zip) return ReadWordDocument(bytes);
  if (bytes.size() > kMaxTextFileBytes) return Outcome(DocumentReadOutcome::kTooLarge);
  // Rich text is text, but its markup would fill the bank: Word reads it.
  if (std::string_view(bytes).substr(0, kRtfSignature.size()) == kRtfSignature) {
    return Outcome(DocumentReadOutcome::kNeedsWord);
  }
  return ReadText(bytes);
}

}  // namespace

DocumentReadResult ReadDocumentFile(const std::wstring& path) {
  const FileBytes file = ReadWholeFile(path, FileSharing::kAll, kMaxDocumentFileBytes);
  if (file.error == ERROR_FILE_TOO_LARGE || file.error == ERROR_NOT_ENOUGH_MEMORY) {
    return Outcome(DocumentReadOutcome::kTooLarge);
  }
  if (file.error != 0) return SystemFailure(file.error);
  // Memory for the document's XML and its text comes to a few times the
  // limits: a 32-bit process may not have it.
  try {
    return ReadBytes(file.bytes);
  } catch (const std::bad_alloc&) {
    return Outcome(DocumentReadOutcome::kTooLarge);
  }
}
