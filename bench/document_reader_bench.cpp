// The whole read of a dropped file without Word, as the import does it:
// ReadDocumentFile on a 1 MB text in each encoding and on a .docx holding
// 1 MB of text, XmlLite included. The files are the native benchmark's.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "answerbank/formats/TextEncoding.h"
#include "answerbank/import/DocumentReader.h"
#include "document_samples.h"
#include "platform/Text.h"
#include "zip_builder.h"

namespace {

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

void Report(const char* label, const std::wstring& path, const std::string& bytes, const std::wstring& expected) {
  if (!WriteFileBytes(path, bytes)) {
    std::printf("  %s: could not write the file\n", label);
    return;
  }
  std::vector<double> ms;
  bool right = true;
  for (int run = 0; run < 10; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const DocumentReadResult result = ReadDocumentFile(path);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    right = right && result.outcome == DocumentReadOutcome::kLoaded && result.text == expected;
  }
  DeleteFileW(path.c_str());
  std::sort(ms.begin(), ms.end());
  std::printf("  %-30s %8zu bytes   min %7.1f ms   median %7.1f ms%s\n", label, bytes.size(), ms.front(),
              ms[ms.size() / 2], right ? "" : "   WRONG RESULT");
  std::fflush(stdout);
}

}  // namespace

int main() {
  const std::vector<std::u16string> lines = benchdoc::Lines(1 << 20);
  const std::u16string text = benchdoc::Text(lines);
  const std::wstring wide(text.begin(), text.end());
  const std::string utf8 = *Utf16ToUtf8(text);
  // The document's text: every line a paragraph, the table rows' halves joined by a tab.
  std::wstring docxText;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring line(lines[i].begin(), lines[i].end());
    docxText += i % 50 != 49 ? line : line.substr(0, line.size() / 2) + L"\t" + line.substr(line.size() / 2);
    docxText += L"\r\n";
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder(temp);

  std::printf("ReadDocumentFile, %zu characters of text:\n", text.size());
  Report("UTF-8 .txt", folder + L"bench-utf8.txt", utf8, wide);
  Report("UTF-8 .txt with BOM", folder + L"bench-utf8bom.txt", "\xEF\xBB\xBF" + utf8, wide);
  Report("UTF-16 LE .txt", folder + L"bench-utf16.txt",
         "\xFF\xFE" + Utf16UnitsToBytes(text, TextEncoding::kUtf16Le), wide);
  Report("GBK .txt", folder + L"bench-gbk.txt", WideToGbk(wide), wide);
  Report(".docx", folder + L"bench.docx", ziptest::Docx(benchdoc::DocumentXml(benchdoc::DocumentEvents(lines))),
         docxText);
  return 0;
}
