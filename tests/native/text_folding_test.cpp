#include <gtest/gtest.h>

#include <random>
#include <string>

#include "answerbank/RichCharCount.h"
#include "answerbank/search/TextFolding.h"

namespace {

TEST(FoldCharacter, EveryRowOfTheTable) {
  const struct {
    char32_t from;
    char32_t to;
  } rows[] = {
      // Chinese punctuation and its ASCII twin
      {U'，', ','}, {U'。', '.'}, {U'：', ':'}, {U'；', ';'}, {U'？', '?'}, {U'！', '!'}, {U'（', '('},
      {U'）', ')'}, {U'【', '['}, {U'】', ']'}, {U'“', '"'}, {U'”', '"'}, {U'‘', '\''}, {U'’', '\''},
      {U'、', ','},
      // full-width forms of ASCII, both ends of the range, and letter case
      {U'！', '!'}, {U'～', '~'}, {U'Ａ', 'a'}, {U'ｚ', 'z'}, {U'１', '1'}, {U'＠', '@'}, {U'Z', 'z'},
      {U'A', 'a'},
      // left alone
      {U'a', 'a'}, {U',', ','}, {U'@', '@'}, {U'[', '['}, {U'答', U'答'}, {U'€', U'€'}, {U'\uFF5F', U'\uFF5F'},
      {U'\uFF00', U'\uFF00'}, {U'\U0001F600', U'\U0001F600'}, {0xD800, 0xD800}, {0xDFFF, 0xDFFF},
      {U'\u00B7', U'\u00B7'}, {0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<unsigned>(FoldCharacter(row.from)), static_cast<unsigned>(row.to))
        << "U+" << std::hex << static_cast<unsigned>(row.from);
  }
  const char32_t spaces[] = {' ',    '\t',   '\r',   '\n',   0x000B, 0x000C, 0x0085, 0x00A0, 0x1680, 0x2000,
                             0x2005, 0x200A, 0x200B, 0x2028, 0x2029, 0x202F, 0x205F, 0x2060, 0x3000, 0xFEFF};
  for (char32_t c : spaces) {
    EXPECT_EQ(FoldCharacter(c), kSkippedCharacter) << "U+" << std::hex << static_cast<unsigned>(c);
  }
}

// One character, in UTF-16 as the box holds it and in GBK as the exact search
// reads it (characters outside GBK arrive as one '?' per UTF-16 unit).
struct Atom {
  const char16_t* wide;
  const char* gbk;
};
const Atom kAtoms[] = {{u"a", "a"},           {u"答", "答"},  {u"\r\n", "\r\n"}, {u"\u3000", "　"},
                       {u"\U0001F600", "??"},         {u"€", "\x80"}, {u"Ａ", "Ａ"},     {u" ", " "},
                       {u"\xD83D", "?"},      {u"\n", "\n"},  {u"，", "，"},     {u"\xDE00", "?"}};

long long ReaderEnd(std::u16string_view text) {
  BoxCharacterReader reader(text);
  BoxCharacter character;
  long long end = 0;
  while (reader.Next(character)) {
    EXPECT_EQ(character.start, end) << "characters follow one another";
    end = character.end;
  }
  return end;
}

TEST(BoxCharacterReader, PositionsAgreeWithTheCountTheExactSearchSelectsWith) {
  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    std::u16string wide;
    std::string gbk;
    for (int i = 0, length = static_cast<int>(random() % 25); i < length; ++i) {
      const Atom& atom = kAtoms[random() % std::size(kAtoms)];
      wide += atom.wide;
      gbk += atom.gbk;
      ASSERT_EQ(ReaderEnd(wide), RichCharCount(gbk)) << "text of " << wide.size() << " units";
    }
  }
}

TEST(FoldText, SkipsWhiteSpaceAndKeepsSurrogatePairsWhole) {
  EXPECT_EQ(FoldText(u" Ａb\r\n\u3000c，\U0001F600\xD83D"), (std::u32string{U'a', U'b', U'c', U',', U'\U0001F600', 0xD83D}));
  EXPECT_TRUE(FoldText(u" \t\u00A0\r\n").empty());
}

}  // namespace
