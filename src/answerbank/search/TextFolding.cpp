#include "answerbank/search/TextFolding.h"

#include <algorithm>
#include <iterator>


namespace {

// ---- The folding table: everything the tolerant search treats as equal. ----

// Skipped: Unicode's white space, plus the invisible zero-width space, word
// joiner and zero-width no-break space (BOM) that text copied from web pages
// carries. Sorted.
constexpr char32_t kWhiteSpace[] = {
    0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085, 0x00A0, 0x1680, 0x2000, 0x2001,
    0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x200B, 0x2028,
    0x2029, 0x202F, 0x205F, 0x2060, 0x3000, 0xFEFF,
};

// Full-width forms of ASCII (U+FF01..U+FF5E, among them ，：；？！（）) become
// ASCII by range; then ASCII letters become small letters.
constexpr char32_t kFullWidthFirst = 0xFF01;
constexpr char32_t kFullWidthLast = 0xFF5E;
constexpr char32_t kFullWidthOffset = 0xFF01 - 0x21;

// Chinese punctuation outside that range and the ASCII it stands for. Sorted.
struct FoldRow {
  char32_t from;
  char32_t to;
};
constexpr FoldRow kPunctuation[] = {
    {0x2018, '\''},  // ‘
    {0x2019, '\''},  // ’
    {0x201C, '"'},   // “
    {0x201D, '"'},   // ”
    {0x3001, ','},   // 、
    {0x3002, '.'},   // 。
    {0x3010, '['},   // 【
    {0x3011, ']'},   // 】
};

// ---- end of the table ----

}  // namespace

char32_t FoldTableCharacter(char32_t c) {
  if (std::binary_search(std::begin(kWhiteSpace), std::end(kWhiteSpace), c)) return kSkippedCharacter;
  if (c >= kFullWidthFirst && c <= kFullWidthLast) c -= kFullWidthOffset;
  if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
  if (c < 0x2018) return c;
  const auto row = std::lower_bound(std::begin(kPunctuation), std::end(kPunctuation), c,
                                    [](const FoldRow& r, char32_t value) { return r.from < value; });
  return row != std::end(kPunctuation) && row->from == c ? row->to : c;
}

std::u32string FoldText(std::u16string_view text, char32_t (*fold)(char32_t)) {
  std::u32string folded;
  BoxCharacterReader reader(text);
  BoxCharacter character;
  while (reader.Next(character)) {
    const char32_t c = fold(character.codePoint);
    if (c != kSkippedCharacter) folded += c;
  }
  return folded;
}
