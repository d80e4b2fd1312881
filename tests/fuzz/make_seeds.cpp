// Writes the fuzzers' seed corpus into the folder given: well-formed inputs
// of each kind for the fuzzers to mutate, made here rather than kept as files.
//   make_seeds DIR  ->  DIR/zip, DIR/events, DIR/text
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "event_codec.h"
#include "zip_builder.h"

namespace {

bool Write(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool WriteAll(const std::string& folder, const std::vector<std::string>& seeds) {
  mkdir(folder.c_str(), 0755);
  for (size_t i = 0; i < seeds.size(); ++i) {
    if (!Write(folder + "/seed" + std::to_string(i), seeds[i])) return false;
  }
  return true;
}

const char kBody[] =
    u8"<w:p><w:r><w:t>第一题</w:t><w:tab/><w:t>A</w:t><w:br/></w:r></w:p>"
    u8"<w:tbl><w:tr><w:tc><w:p><w:r><w:t>甲</w:t></w:r></w:p></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl>"
    u8"<w:p><w:del><w:r><w:delText>x</w:delText></w:r></w:del><w:r><w:instrText>PAGE</w:instrText></w:r></w:p>";

std::vector<std::string> ZipSeeds() {
  const std::string xml = ziptest::WordDocumentXml(kBody);
  ziptest::Builder several;
  several.Add(u8"答案.txt", u8"第一题 A\r\n", false);
  several.Add("b", "", true);
  several.Add("c", std::string(300, 'c'), true);
  // Where the end record is looked for: behind the longest comment there can
  // be, and with a signature in the last bytes that has no room for a record.
  const std::string small = ziptest::Builder().Finish();
  auto withComment = [&small](const std::string& comment) {
    std::string bytes = small + comment;
    bytes[small.size() - 2] = static_cast<char>(comment.size() & 0xFF);
    bytes[small.size() - 1] = static_cast<char>(comment.size() >> 8);
    return bytes;
  };
  return {ziptest::Docx(xml, true),
          ziptest::Docx(xml, false),
          several.Finish(),
          small,
          withComment(std::string(0xFFFF, 'c')),
          withComment(std::string("PK\x05\x06", 4) + std::string(17, 'c'))};
}

std::vector<std::string> EventSeeds() {
  fuzzevents::Encoder paragraph;
  paragraph.Start(u"p").Start(u"r").Start(u"t").Text("first").End().Empty(u"tab").Empty(u"br").End().End();
  fuzzevents::Encoder table;
  table.Start(u"tbl").Start(u"tr");
  for (int cell = 0; cell < 2; ++cell) {
    table.Start(u"tc").Start(u"p").Start(u"r").Start(u"t").Text("cell").End().End().End().Empty(u"p").End();
  }
  table.End().End();
  fuzzevents::Encoder leftOut;
  leftOut.Start(u"p").Start(u"del").Start(u"r").Start(u"delText").Text("gone").End().End().End();
  leftOut.Start(u"r").Start(u"instrText").Text(" PAGE ").End().End();
  leftOut.Start(u"r").Start(u"Choice", 2).Start(u"t").Text("box").End().End().Start(u"Fallback", 2).End().End().End();
  return {paragraph.Bytes(), table.Bytes(), leftOut.Bytes()};
}

std::vector<std::string> TextSeeds() {
  const std::string utf8 = u8"第一题：中国的首都是？\r\nA 北京\tB 上海\n";
  const std::string utf16le("\xFF\xFE\x2C\x7B\x00\x4E\x98\x98\r\0\n\0", 12);
  const std::string utf16be("\xFE\xFF\x7B\x2C\x4E\x00\xD8\x3D\xDE\x00", 10);
  const std::string gbk = "\xB5\xDA\xD2\xBB\xCC\xE2 A\r\n\x80";
  return {utf8, "\xEF\xBB\xBF" + utf8, utf16le, utf16be, gbk, "plain\rascii\n"};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  const bool written = WriteAll(folder + "/zip", ZipSeeds()) && WriteAll(folder + "/events", EventSeeds()) &&
                       WriteAll(folder + "/text", TextSeeds());
  if (!written) std::fprintf(stderr, "make_seeds: could not write into %s\n", folder.c_str());
  return written ? 0 : 1;
}
