// Reading a dropped file without Word, natively: a 1 MB text file's encoding
// detection, check and conversion, and a .docx holding 1 MB of text: its ZIP
// directory and inflating, and the text extraction from pre-tokenised XML
// events (the XML parser is the system's, timed under Wine).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "answerbank/formats/DocxText.h"
#include "answerbank/formats/TextEncoding.h"
#include "answerbank/formats/ZipArchive.h"
#include "document_samples.h"
#include "zip_builder.h"

namespace {

size_t checksum = 0;  // keeps the work from being optimised away

template <typename Work>
void Report(const char* label, Work work) {
  std::vector<double> ms;
  for (int run = 0; run < 15; ++run) {
    const auto start = std::chrono::steady_clock::now();
    checksum += work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("  %-62s min %7.2f ms   median %7.2f ms\n", label, ms.front(), ms[ms.size() / 2]);
}

// GBK bytes of the same shape as the text: ASCII as it is, every other
// character a double-byte character from the GB2312 area.
std::string GbkLike(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else {
      bytes += static_cast<char>(0xB0 + unit % 0x48);
      bytes += static_cast<char>(0xA1 + unit / 0x48 % 0x5E);
    }
  }
  return bytes;
}

size_t TextFromEvents(const std::vector<benchdoc::Event>& events) {
  static const std::u16string word = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main";
  DocxText text(size_t{8} << 20);
  for (const benchdoc::Event& event : events) {
    if (event.kind == benchdoc::Event::kStart) text.StartElement(word, event.value);
    if (event.kind == benchdoc::Event::kEnd) text.EndElement();
    if (event.kind == benchdoc::Event::kText) text.Characters(event.value);
  }
  return text.Text().size();
}

size_t Inflate(const std::string& archiveBytes) {
  const ZipArchive archive(archiveBytes);
  std::string xml;
  const ZipEntry* entry = archive.Find("word/document.xml");
  if (!entry || archive.Extract(*entry, xml) != ZipError::kNone) std::printf("  THE ARCHIVE DID NOT READ\n");
  return xml.size();
}

}  // namespace

int main() {
  const std::vector<std::u16string> lines = benchdoc::Lines(1 << 20);
  const std::u16string text = benchdoc::Text(lines);
  const std::string utf8 = *Utf16ToUtf8(text);
  const std::string gbk = GbkLike(text);
  const std::vector<benchdoc::Event> events = benchdoc::DocumentEvents(lines);
  const std::string xml = benchdoc::DocumentXml(events);
  const std::string docx = ziptest::Docx(xml);
  std::printf("text: %zu characters, %zu bytes in UTF-8, %zu in GBK; .docx: %zu bytes, document.xml %zu bytes\n",
              text.size(), utf8.size(), gbk.size(), docx.size(), xml.size());

  Report("UTF-8 .txt: detect, check, convert to UTF-16, CR LF line ends", [&] {
    const DetectedEncoding detected = DetectEncoding(utf8);
    const auto units = DecodeUnicodeText(std::string_view(utf8).substr(detected.bomBytes), detected.encoding);
    return units ? WithCrLfLineEnds(*units).size() : 0;
  });
  Report("GBK .txt: detect and check (converting is the system's)", [&] {
    const DetectedEncoding detected = DetectEncoding(gbk);
    return static_cast<size_t>(detected.encoding == TextEncoding::kGbk && IsTextIn(gbk, TextEncoding::kGbk));
  });
  Report(".docx: ZIP directory and inflating word/document.xml", [&] { return Inflate(docx); });
  Report(".docx: text from the pre-tokenised XML events", [&] { return TextFromEvents(events); });
  Report(".docx: both", [&] { return Inflate(docx) + TextFromEvents(events); });
  return checksum == 0;
}
