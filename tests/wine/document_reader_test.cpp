// The built-in reader of dropped files on real files: every text encoding,
// .docx files this test builds (read through the system's XmlLite), and the
// files it must refuse without reading or crashing.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "answerbank/import/DocumentReader.h"
#include "check.h"
#include "platform/Text.h"
#include "zip_builder.h"

std::ostream& operator<<(std::ostream& out, DocumentReadOutcome outcome) {
  return out << "outcome " << static_cast<int>(outcome);
}
std::ostream& operator<<(std::ostream& out, ZipError error) { return out << "zip error " << static_cast<int>(error); }

namespace {

using Outcome = DocumentReadOutcome;

const std::wstring& Folder() {
  static const std::wstring folder = [] {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"tavrel-reader-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }();
  return folder;
}

// Writes `bytes` as a file of the test folder and reads it back through the reader.
DocumentReadResult ReadAs(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = Folder() + L"\\" + name;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  CHECK(file != INVALID_HANDLE_VALUE);
  CHECK(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
  DocumentReadResult result = ReadDocumentFile(path);
  DeleteFileW(path.c_str());
  return result;
}

std::string Utf8(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  for (const wchar_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

void CheckLoaded(const DocumentReadResult& result, const std::wstring& expected, const char* what) {
  std::printf("  %s\n", what);
  CHECK_EQ(result.outcome, Outcome::kLoaded);
  CHECK_EQ(result.text, expected);
}

const std::wstring kQuestion = L"第一题：中国的首都是？\r\nA 北京\tB 上海\r\n答案：A";

TEST(EveryTextEncodingLoadsAsItself) {
  CheckLoaded(ReadAs(L"utf8.txt", Utf8(kQuestion)), kQuestion, "UTF-8");
  CheckLoaded(ReadAs(L"utf8bom.txt", "\xEF\xBB\xBF" + Utf8(kQuestion)), kQuestion, "UTF-8 with BOM");
  CheckLoaded(ReadAs(L"le.txt", "\xFF\xFE" + Utf16(kQuestion, false)), kQuestion, "UTF-16 LE");
  CheckLoaded(ReadAs(L"be.txt", "\xFE\xFF" + Utf16(kQuestion, true)), kQuestion, "UTF-16 BE");
  CheckLoaded(ReadAs(L"题库.txt", WideToGbk(kQuestion)), kQuestion, "GBK, Chinese file name");
  CheckLoaded(ReadAs(L"lf.csv", "a\nb\rc\r\n"), L"a\r\nb\r\nc\r\n", "ASCII with every line end, any type");
}

TEST(BytesThatAreNoTextNeedWord) {
  const std::string oldWord = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0');
  CHECK_EQ(ReadAs(L"old.doc", oldWord).outcome, Outcome::kNeedsWord);
  CHECK_EQ(ReadAs(L"bad.txt", WideToGbk(kQuestion) + "\xFF").outcome, Outcome::kNeedsWord);
  CHECK_EQ(ReadAs(L"zero.txt", std::string("abc\0def", 7)).outcome, Outcome::kNeedsWord);
  CHECK_EQ(ReadAs(L"odd.txt", "\xFF\xFE" "abc").outcome, Outcome::kNeedsWord);
  CHECK_EQ(ReadAs(L"rich.rtf", "{\\rtf1\\ansi {\\b bold}}").outcome, Outcome::kNeedsWord);
}

// Chinese text, a tab, a line break, a table, a deleted and an inserted
// revision, a page-number field and escaped characters.
const char kBody[] =
    u8"<w:p><w:r><w:t>第一题：</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>选择</w:t></w:r>"
    u8"<w:r><w:tab/><w:t>A</w:t><w:br/><w:t>第二行</w:t></w:r></w:p>"
    u8"<w:tbl><w:tr><w:tc><w:p><w:r><w:t>甲</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>乙</w:t></w:r></w:p></w:tc></w:tr>"
    u8"<w:tr><w:tc><w:p><w:r><w:t>丙</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>丁</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
    u8"<w:p><w:r><w:t>答案</w:t></w:r><w:del w:id=\"1\" w:author=\"x\"><w:r><w:delText>错误</w:delText></w:r></w:del>"
    u8"<w:ins w:id=\"2\" w:author=\"x\"><w:r><w:t>正确</w:t></w:r></w:ins></w:p>"
    u8"<w:p><w:r><w:t xml:space=\"preserve\">第 </w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
    u8"<w:r><w:instrText xml:space=\"preserve\"> PAGE </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
    u8"<w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
    u8"<w:r><w:t xml:space=\"preserve\"> 页 &amp; &lt;完&gt;</w:t></w:r></w:p>";
const std::wstring kBodyText = L"第一题：选择\tA\r\n第二行\r\n甲\t乙\r\n丙\t丁\r\n答案正确\r\n第 1 页 & <完>\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

TEST(AWordDocumentGivesItsText) {
  const std::string xml = ziptest::WordDocumentXml(kBody);
  CheckLoaded(ReadAs(L"试卷.docx", ziptest::Docx(xml)), kBodyText, "deflated");
  // Another prefix for the same namespace, and stored entries.
  const std::string otherPrefix = Replaced(Replaced(xml, "w:", "ns0:"), "xmlns:w=", "xmlns:ns0=");
  CheckLoaded(ReadAs(L"stored.docx", ziptest::Docx(otherPrefix, false)), kBodyText, "stored, other prefix");
  CheckLoaded(ReadAs(L"named.zip", ziptest::Docx(xml)), kBodyText, "known by its content, not its name");
}

// Far more than one read of the system's XML reader, Chinese throughout.
TEST(ALongDocumentComesBackWhole) {
  std::wstring expected;
  std::string body;
  for (int i = 0; i < 4000; ++i) {
    const std::wstring line = L"第" + std::to_wstring(i) + L"题：答案是甲乙丙丁中的一个";
    expected += line + L"\r\n";
    body += "<w:p><w:r><w:t>" + Utf8(line) + "</w:t></w:r></w:p>";
  }
  const DocumentReadResult result = ReadAs(L"long.docx", ziptest::Docx(ziptest::WordDocumentXml(body)));
  CHECK_EQ(result.outcome, Outcome::kLoaded);
  CHECK_EQ(result.text.size(), expected.size());
  CHECK(result.text == expected);
}

TEST(DamagedArchivesAndZipBombsAreRefused) {
  const std::string docx = ziptest::Docx(ziptest::WordDocumentXml(kBody));
  const DocumentReadResult cut = ReadAs(L"cut.docx", docx.substr(0, docx.size() * 2 / 3));
  CHECK_EQ(cut.outcome, Outcome::kBrokenArchive);
  CHECK_EQ(cut.archiveError, ZipError::kNotAnArchive);

  ziptest::Builder corrupt;
  corrupt.Add("word/document.xml", ziptest::WordDocumentXml(kBody), true).crc ^= 0x100;
  const DocumentReadResult crc = ReadAs(L"crc.docx", corrupt.Finish());
  CHECK_EQ(crc.outcome, Outcome::kBrokenArchive);
  CHECK_EQ(crc.archiveError, ZipError::kCrcMismatch);

  std::string paragraphs;
  for (int i = 0; i < 1 << 20; ++i) paragraphs += "<w:p/>";
  const DocumentReadResult bomb = ReadAs(L"bomb.docx", ziptest::Docx(ziptest::WordDocumentXml(paragraphs)));
  CHECK_EQ(bomb.outcome, Outcome::kTooLarge);
  CHECK_EQ(bomb.archiveError, ZipError::kTooLarge);
  CHECK_EQ(bomb.text, L"");
}

TEST(BrokenXmlAndDocumentTypesAreRefused) {
  CHECK_EQ(ReadAs(L"open.docx", ziptest::Docx(ziptest::WordDocumentXml("<w:p><w:r><w:t>unclosed</w:r></w:p>"))).outcome,
           Outcome::kBrokenDocument);
  // Entities from a document type would multiply: the reader refuses the DTD.
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"ha\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
      "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r>"
      "<w:t>&b;</w:t></w:r></w:p></w:body></w:document>";
  CHECK_EQ(ReadAs(L"dtd.docx", ziptest::Docx(laughs)).outcome, Outcome::kBrokenDocument);
  ziptest::Builder sheet;
  sheet.Add("xl/workbook.xml", "<workbook/>", true);
  CHECK_EQ(ReadAs(L"book.xlsx", sheet.Finish()).outcome, Outcome::kNeedsWord);
}

TEST(EmptyAndMissingFilesSaySo) {
  CHECK_EQ(ReadAs(L"empty.txt", "").outcome, Outcome::kEmpty);
  CHECK_EQ(ReadAs(L"blank.txt", "\xEF\xBB\xBF \r\n\t").outcome, Outcome::kEmpty);
  CHECK_EQ(ReadAs(L"blank.docx", ziptest::Docx(ziptest::WordDocumentXml("<w:p/><w:p><w:r><w:t> </w:t></w:r></w:p>")))
               .outcome,
           Outcome::kEmpty);
  const DocumentReadResult missing = ReadDocumentFile(Folder() + L"\\没有这个文件.txt");
  CHECK_EQ(missing.outcome, Outcome::kMissing);
  CHECK_EQ(missing.systemError, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  CHECK_EQ(ReadDocumentFile(Folder()).outcome, Outcome::kUnreadable);
}

}  // namespace

int main() {
  const int result = check::RunAll();
  RemoveDirectoryW(Folder().c_str());
  return result;
}
