#include "answerbank/DocumentReader.h"

#include <windows.h>

#include <new>
#include <string_view>

#include "answerbank/DocxText.h"
#include "answerbank/TextEncoding.h"
#include "answerbank/XmlLiteEvents.h"
#include "platform/Handles.h"
#include "platform/Text.h"

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

// Reads `count` bytes into `to`; 0 or the system's error. A file that has
// shrunk since its size was taken counts as unreadable.
DWORD ReadExactly(HANDLE file, char* to, size_t count) {
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(count < (1u << 24) ? count : (1u << 24));
    DWORD read = 0;
    if (!ReadFile(file, to, chunk, &read, nullptr)) return GetLastError();
    if (read == 0) return ERROR_HANDLE_EOF;
    to += read;
    count -= read;
  }
  return 0;
}

DocumentReadResult ReadOpenFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return SystemFailure(ERROR_INVALID_FUNCTION);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return SystemFailure(GetLastError());
  if (size.QuadPart == 0) return Outcome(DocumentReadOutcome::kEmpty);
  if (static_cast<uint64_t>(size.QuadPart) > kMaxDocumentFileBytes) return Outcome(DocumentReadOutcome::kTooLarge);

  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  // The first bytes choose the road, and with it the size limit.
  const size_t head = bytes.size() < kZipSignature.size() ? bytes.size() : kZipSignature.size();
  if (const DWORD error = ReadExactly(file, bytes.data(), head)) return SystemFailure(error);
  const bool zip = std::string_view(bytes).substr(0, head) == kZipSignature;
  if (!zip && bytes.size() > kMaxTextFileBytes) return Outcome(DocumentReadOutcome::kTooLarge);
  if (const DWORD error = ReadExactly(file, bytes.data() + head, bytes.size() - head)) return SystemFailure(error);

  if (zip) return ReadWordDocument(bytes);
  // Rich text is text, but its markup would fill the bank: Word reads it.
  if (std::string_view(bytes).substr(0, kRtfSignature.size()) == kRtfSignature) {
    return Outcome(DocumentReadOutcome::kNeedsWord);
  }
  return ReadText(bytes);
}

}  // namespace

DocumentReadResult ReadDocumentFile(const std::wstring& path) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return SystemFailure(GetLastError());
  // Memory for the file, the document's XML and its text comes to a few
  // times the limits: a 32-bit process may not have it.
  try {
    return ReadOpenFile(file.Get());
  } catch (const std::bad_alloc&) {
    return Outcome(DocumentReadOutcome::kTooLarge);
  }
}
