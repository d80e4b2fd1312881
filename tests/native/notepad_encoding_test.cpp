#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "answerbank/notepad/NotepadEncoding.h"

namespace {

// A small GBK of a dozen characters, from the compiler's own GBK literals;
// bytes it does not know decode to U+FFFD, and what it cannot hold encodes to
// '?', one for a whole surrogate pair.
const std::vector<std::pair<char16_t, std::string>>& Table() {
  static const std::vector<std::pair<char16_t, std::string>> table = {
      {u'甲', "甲"}, {u'乙', "乙"}, {u'丙', "丙"}, {u'丁', "丁"}, {u'答', "答"}, {u'案', "案"},
      {u'第', "第"}, {u'题', "题"}, {u'：', "："}, {u'。', "。"}, {u'（', "（"}, {u'€', "\x80"},
  };
  return table;
}

GbkCodec SmallGbk() {
  GbkCodec codec;
  codec.decode = [](std::string_view bytes) {
    std::u16string out;
    for (size_t i = 0; i < bytes.size();) {
      const unsigned char byte = static_cast<unsigned char>(bytes[i]);
      const size_t length = byte < 0x81 || i + 1 == bytes.size() ? 1 : 2;
      const std::string_view piece = bytes.substr(i, length);
      char16_t c = byte < 0x80 ? byte : u'\xFFFD';
      for (const auto& [unit, gbk] : Table()) {
        if (gbk == piece) c = unit;
      }
      out += c;
      i += length;
    }
    return out;
  };
  codec.encode = [](std::u16string_view text, size_t& missing) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] < 0x80) {
        out += static_cast<char>(text[i]);
        continue;
      }
      std::string found;
      for (const auto& [unit, gbk] : Table()) {
        if (unit == text[i]) found = gbk;
      }
      if (found.empty()) {
        found = "?";
        ++missing;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
          ++i;
        }
      }
      out += found;
    }
    return out;
  };
  return codec;
}

NoteFileFormat Format(TextEncoding encoding, bool bom, LineEnd end = LineEnd::kCrLf) { return {encoding, bom, end}; }

const NoteFileFormat kAllFormats[] = {
    Format(TextEncoding::kGbk, false),     Format(TextEncoding::kUtf8, false),    Format(TextEncoding::kUtf8, true),
    Format(TextEncoding::kUtf16Le, true),  Format(TextEncoding::kUtf16Be, true),
};

// Random box texts: lines of ASCII, the small GBK's characters and, unless
// `gbkOnly`, characters beyond it (one outside the BMP), joined by CR LF.
std::u16string RandomBoxText(std::mt19937& random, bool gbkOnly) {
  const std::u16string ascii = u"aZ09 ,.?\t";
  const std::u16string beyond = u"éж\xD83D\xDE00";  // é, ж, and an emoji as one pair
  std::u16string text;
  for (int n = random() % 30; n > 0; --n) {
    switch (random() % (gbkOnly ? 3 : 4)) {
      case 0:
        text += ascii[random() % ascii.size()];
        break;
      case 1:
        text += Table()[random() % Table().size()].first;
        break;
      case 2:
        text += u"\r\n";
        break;
      default: {
        const size_t at = random() % 3;
        text += at == 2 ? beyond.substr(2, 2) : beyond.substr(at, 1);
      }
    }
  }
  return text;
}

// The property the notepad keeps: a file "保存" wrote reads back as the same
// text, says "读取成功", and saves unchanged to the very same bytes, in every
// encoding and with every kind of line end.
TEST(NotepadEncoding, ReadingThenSavingUnchangedGivesTheSameBytes) {
  std::mt19937 random(21);
  const GbkCodec gbk = SmallGbk();
  for (int round = 0; round < 3000; ++round) {
    NoteFileFormat format = kAllFormats[random() % 5];
    format.lineEnd = static_cast<LineEnd>(random() % 3);
    const std::u16string text = RandomBoxText(random, format.encoding == TextEncoding::kGbk);
    const NoteSaving written = SaveNoteBytes(text, format, gbk);
    ASSERT_EQ(written.format, format) << "round " << round;
    ASSERT_EQ(written.lost + written.movedToUtf8, 0u);

    const NoteReading reading = ReadNoteBytes(written.bytes, gbk);
    ASSERT_EQ(reading.bytesUsed, written.bytes.size()) << "round " << round;
    ASSERT_EQ(SaveNoteBytes(reading.text, reading.format, gbk).bytes, written.bytes) << "round " << round;
    ASSERT_EQ(ReadNoteStatus(written.bytes, reading, reading.text, gbk).substr(0, 8), "读取成功") << "round " << round;
    // GBK bytes may happen to be UTF-8 as well (and then read as such, still
    // saving back to the same bytes); every other file reads as it was written.
    const bool lineEndsShow = text.find(u'\n') != std::u16string::npos;
    const bool multiByte = std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x80; });
    if (format.encoding != TextEncoding::kGbk && (format.byteOrderMark || multiByte)) {
      ASSERT_EQ(reading.text, text) << "round " << round;
      ASSERT_EQ(reading.format.encoding, format.encoding) << "round " << round;
      if (lineEndsShow) {
        ASSERT_EQ(reading.format.lineEnd, format.lineEnd) << "round " << round;
      }
    }
  }
}

TEST(NotepadEncoding, EachEncodingByItsBytes) {
  const GbkCodec gbk = SmallGbk();
  const std::u16string text = u"第1题：甲\r\n答案 €";
  const std::string utf8 = "\xE7\xAC\xAC" "1\xE9\xA2\x98\xEF\xBC\x9A\xE7\x94\xB2\r\n\xE7\xAD\x94\xE6\xA1\x88 \xE2\x82\xAC";
  const struct {
    std::string bytes;
    NoteFileFormat format;
    const char* status;
  } files[] = {
      {"第1题：甲\r\n答案 \x80", Format(TextEncoding::kGbk, false), "读取成功"},
      {utf8, Format(TextEncoding::kUtf8, false), "读取成功（UTF-8）"},
      {"\xEF\xBB\xBF" + utf8, Format(TextEncoding::kUtf8, true), "读取成功（UTF-8 BOM）"},
      {std::string("\xFF\xFE\x2C\x7B\x31\x00", 6) + Utf16UnitsToBytes(text.substr(2), TextEncoding::kUtf16Le),
       Format(TextEncoding::kUtf16Le, true), "读取成功（UTF-16 LE）"},
      {std::string("\xFE\xFF\x7B\x2C\x00\x31", 6) + Utf16UnitsToBytes(text.substr(2), TextEncoding::kUtf16Be),
       Format(TextEncoding::kUtf16Be, true), "读取成功（UTF-16 BE）"},
  };
  for (const auto& file : files) {
    const NoteReading reading = ReadNoteBytes(file.bytes, gbk);
    EXPECT_EQ(reading.format, file.format) << file.status;
    EXPECT_EQ(reading.text, text) << file.status;
    EXPECT_EQ(ReadNoteStatus(file.bytes, reading, reading.text, gbk), file.status);
    const NoteSaving saving = SaveNoteBytes(reading.text, reading.format, gbk);
    EXPECT_EQ(saving.bytes, file.bytes) << file.status;
    EXPECT_EQ(SaveNoteStatus(saving), std::string(file.status).replace(0, 8, "保存成功"));
  }
}

TEST(NotepadEncoding, LineEndsAreKeptWhenUsedThroughout) {
  const GbkCodec gbk = SmallGbk();
  for (const auto& [bytes, end] : std::vector<std::pair<std::string, LineEnd>>{
           {"a\nb\n", LineEnd::kLf}, {"a\rb", LineEnd::kCr}, {"a\r\nb", LineEnd::kCrLf}, {"ab", LineEnd::kCrLf}}) {
    const NoteReading reading = ReadNoteBytes(bytes, gbk);
    EXPECT_EQ(reading.format.lineEnd, end) << bytes;
    EXPECT_EQ(reading.text.find(u'\n') == std::u16string::npos, bytes.find_first_of("\r\n") == std::string::npos);
    EXPECT_EQ(SaveNoteBytes(reading.text, reading.format, gbk).bytes, bytes);
  }
  // Mixed: the box makes every one CR LF, so a save would change the file.
  const std::string mixed = "ab\r\ncd\nef";
  const NoteReading reading = ReadNoteBytes(mixed, gbk);
  EXPECT_EQ(reading.text, u"ab\r\ncd\r\nef");
  EXPECT_EQ(ReadNoteStatus(mixed, reading, reading.text, gbk), "读取有误：自第 7 字节起无法原样显示");
}

TEST(NotepadEncoding, AReadThatStopsEarlySaysHowFarItGot) {
  const GbkCodec gbk = SmallGbk();
  const struct {
    std::string bytes;
    std::u16string text;
    const char* status;
  } files[] = {
      // GBK ends at its first zero byte.
      {std::string("甲乙\0丙丁", 9), u"甲乙", "读取不完整：只显示了前 4 字节，文件共 9 字节"},
      {std::string("\0abc", 4), u"", "读取不完整：只显示了前 0 字节，文件共 4 字节"},
      // Unicode ends at a NUL character or a broken sequence.
      {std::string("\xFF\xFE" "a\0b\0\0\0c\0", 10), u"ab", "读取不完整：只显示了前 6 字节，文件共 10 字节"},
      {std::string("\xFE\xFF\0a\xDC\0\0b", 8), u"a", "读取不完整：只显示了前 4 字节，文件共 8 字节"},
      {std::string("\xFF\xFE" "a\0b", 5), u"a", "读取不完整：只显示了前 4 字节，文件共 5 字节"},
      {"\xEF\xBB\xBF" "ab\xC3(cd", u"ab", "读取不完整：只显示了前 5 字节，文件共 9 字节"},
      // UTF-32's byte order mark looks like UTF-16's followed by a NUL.
      {std::string("\xFF\xFE\0\0a\0\0\0", 8), u"", "读取不完整：只显示了前 2 字节，文件共 8 字节"},
  };
  for (const auto& file : files) {
    const NoteReading reading = ReadNoteBytes(file.bytes, gbk);
    EXPECT_EQ(reading.text, file.text) << file.status;
    EXPECT_LT(reading.bytesUsed, file.bytes.size()) << file.status;
    EXPECT_EQ(ReadNoteStatus(file.bytes, reading, reading.text, gbk), file.status);
  }
}

TEST(NotepadEncoding, BytesThatAreNoGbkCharacterAreNotASuccess) {
  const GbkCodec gbk = SmallGbk();
  // 0xFF starts nothing; 0xB0 0xA1 is a character the small GBK does not know.
  for (const std::string& bytes : {std::string("ab\xFF" "cd"), std::string("ab\xB0\xA1")}) {
    const NoteReading reading = ReadNoteBytes(bytes, gbk);
    EXPECT_EQ(reading.bytesUsed, bytes.size());
    EXPECT_EQ(ReadNoteStatus(bytes, reading, reading.text, gbk), "读取有误：自第 3 字节起无法原样显示");
  }
  // What the box made of the text counts, not only what the file said.
  const NoteReading reading = ReadNoteBytes("abc", gbk);
  EXPECT_EQ(ReadNoteStatus("abc", reading, u"abd", gbk), "读取有误：自第 3 字节起无法原样显示");
}

TEST(NotepadEncoding, CharactersGbkCannotHoldMakeTheFileUtf8AndSaySo) {
  const GbkCodec gbk = SmallGbk();
  const std::u16string text = u"答案\xD83D\xDE00 é\r\n";
  const NoteSaving saving = SaveNoteBytes(text, Format(TextEncoding::kGbk, false), gbk);
  EXPECT_EQ(saving.format, Format(TextEncoding::kUtf8, false));
  EXPECT_EQ(saving.movedToUtf8, 2u);
  EXPECT_EQ(saving.lost, 0u);
  EXPECT_EQ(SaveNoteStatus(saving), "已改存为 UTF-8：有 2 个字符 GBK 存不下");
  // Read back: the same characters, in UTF-8 from then on.
  const NoteReading reading = ReadNoteBytes(saving.bytes, gbk);
  EXPECT_EQ(reading.text, text);
  EXPECT_EQ(reading.format, saving.format);
  EXPECT_EQ(SaveNoteStatus(SaveNoteBytes(reading.text, reading.format, gbk)), "保存成功（UTF-8）");
}

TEST(NotepadEncoding, ALoneSurrogateHalfIsLostOnlyWhereTheEncodingCannotHoldIt) {
  const GbkCodec gbk = SmallGbk();
  const std::u16string text = u"a\xD800" u"b\xDC00";
  // GBK and UTF-8 cannot hold them; a change of encoding would not help.
  for (const NoteFileFormat& format : {Format(TextEncoding::kGbk, false), Format(TextEncoding::kUtf8, true)}) {
    const NoteSaving saving = SaveNoteBytes(text, format, gbk);
    EXPECT_EQ(saving.format, format);
    EXPECT_EQ(saving.lost, 2u);
    EXPECT_EQ(SaveNoteStatus(saving), "已保存，但有 2 个字符无法保存");
  }
  EXPECT_EQ(SaveNoteBytes(text, Format(TextEncoding::kUtf8, false), gbk).bytes, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  // Both at once: the emoji moves the file to UTF-8, the half is still lost.
  const NoteSaving both = SaveNoteBytes(u"\xD83D\xDE00\xD800", Format(TextEncoding::kGbk, false), gbk);
  EXPECT_EQ(SaveNoteStatus(both), "已保存，但有 1 个字符无法保存（已改存为 UTF-8）");
  // UTF-16 holds any unit as it is.
  const NoteSaving utf16 = SaveNoteBytes(text, Format(TextEncoding::kUtf16Le, true), gbk);
  EXPECT_EQ(utf16.lost, 0u);
  EXPECT_EQ(utf16.bytes, std::string("\xFF\xFE" "a\0\0\xD8" "b\0\0\xDC", 10));
  EXPECT_EQ(SaveNoteStatus(utf16), "保存成功（UTF-16 LE）");
}

TEST(NotepadEncoding, SavingOverAFileThatDidNotComeThroughWholeSaysWhatIsLost) {
  const GbkCodec gbk = SmallGbk();
  // UTF-8 with a byte order mark and one stray byte after 20 bytes of text.
  const std::string utf8 = "\xEF\xBB\xBF" "ab" u8"第一题" "abcdef" "\xFF" + std::string(32, 'z');
  // UTF-16 without a byte order mark: taken for GBK, which ends at the first zero byte.
  const std::string utf16 = std::string("a\0b\0c\0", 6);
  const struct {
    std::string bytes;
    const char* question;
    const char* saved;
  } files[] = {
      {utf8,
       "读取时只显示了文件的前 20 字节，文件共 53 字节。\n保存会用框里的文字替换整个文件，后面的 33 字节将会丢失。"
       "\n\n仍要保存吗？",
       "已保存 20 字节（UTF-8 BOM），替换了原来的 53 字节"},
      {utf16,
       "读取时只显示了文件的前 1 字节，文件共 6 字节。\n保存会用框里的文字替换整个文件，后面的 5 字节将会丢失。"
       "\n\n仍要保存吗？",
       "已保存 1 字节（GBK），替换了原来的 6 字节"},
      {"ab\xFF" "cd",
       "文件自第 3 字节起无法原样显示（文件共 5 字节）。\n保存会用框里的文字替换整个文件，这些字节将被改写。"
       "\n\n仍要保存吗？",
       // The byte became a character GBK lacks, which moved the file to UTF-8.
       "已保存 6 字节（UTF-8），替换了原来的 5 字节；有 1 个字符 GBK 存不下"},
  };
  for (const auto& file : files) {
    const NoteReading reading = ReadNoteBytes(file.bytes, gbk);
    const NoteReadCheck check = CheckNoteRead(file.bytes, reading, reading.text, gbk);
    EXPECT_FALSE(check.exact) << file.saved;
    EXPECT_EQ(check.fileBytes, file.bytes.size());
    EXPECT_EQ(OverwriteQuestion(check), file.question);
    EXPECT_EQ(OverwriteStatus(check, SaveNoteBytes(reading.text, reading.format, gbk)), file.saved);
  }
  // A read that did not finish cannot say how much came through.
  NoteReadCheck unfinished;
  unfinished.fileBytes = 1200;
  unfinished.unfinished = true;
  EXPECT_EQ(OverwriteQuestion(unfinished),
            "上次读取没有完成，框里可能只有文件的一部分（文件共 1200 字节）。\n保存会用框里的文字替换整个文件，"
            "没有读入的内容将会丢失。\n\n仍要保存吗？");
  // Characters the file's encoding could not hold are named as well.
  const NoteSaving moved = SaveNoteBytes(u"甲\xD83D\xDE00\xD800", Format(TextEncoding::kGbk, false), gbk);
  EXPECT_EQ(OverwriteStatus(unfinished, moved),
            "已保存 10 字节（UTF-8），替换了原来的 1200 字节；有 1 个字符 GBK 存不下；有 1 个字符无法保存");
  // A read that showed the file as it is asks nothing.
  const std::string whole = u8"第一题 ab";
  const NoteReading reading = ReadNoteBytes(whole, gbk);
  EXPECT_TRUE(CheckNoteRead(whole, reading, reading.text, gbk).exact);
}

}  // namespace
