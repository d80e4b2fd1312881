// How the tolerant search sees a text: character by character as the rich edit
// box counts its positions, each character folded so that the differences a
// typed or captured question carries (white space, full-width forms, letter
// case, Chinese or English punctuation) disappear.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/Utf16.h"

// What FoldCharacter gives for a character the comparison skips (white space).
constexpr char32_t kSkippedCharacter = 0xFFFFFFFF;

// The character `c` compares as, or kSkippedCharacter; FoldCharacter's table,
// for what is not a Chinese character.
char32_t FoldTableCharacter(char32_t c);

// The character `c` compares as, or kSkippedCharacter. Inline, as every
// character of a bank passes here: Chinese characters, the bulk of a bank, lie
// between the table's rows and stay as they are.
inline char32_t FoldCharacter(char32_t c) { return c > 0x3011 && c < 0xFEFF ? c : FoldTableCharacter(c); }

// One character of a box's UTF-16 text and the box positions it occupies.
struct BoxCharacter {
  char32_t codePoint = 0;  // a lone surrogate stands for itself
  long long start = 0;     // 0-based box position
  long long end = 0;       // one past its last position
};

// Walks a box's text (as read with CR LF line ends) character by character. A
// surrogate pair is one character of two positions, as the box counts UTF-16
// units; a CR LF line break is one character of one position, because the box
// keeps a single CR for it. A lone CR or LF is one position too.
class BoxCharacterReader {
 public:
  explicit BoxCharacterReader(std::u16string_view text) : text_(text) {}
  bool Next(BoxCharacter& character);
  // The UTF-16 unit where the next character starts.
  size_t Unit() const { return unit_; }

 private:
  std::u16string_view text_;
  size_t unit_ = 0;
  long long position_ = 0;
};

// Inline, as every character of a bank passes here.
inline bool BoxCharacterReader::Next(BoxCharacter& character) {
  if (unit_ >= text_.size()) return false;
  const char16_t unit = text_[unit_];
  const bool pairFollows = unit_ + 1 < text_.size();
  character.start = position_;
  if (IsHighSurrogate(unit) && pairFollows && IsLowSurrogate(text_[unit_ + 1])) {
    character.codePoint = CombineSurrogates(unit, text_[unit_ + 1]);
    unit_ += 2;
    position_ += 2;
  } else {
    character.codePoint = unit;
    unit_ += unit == u'\r' && pairFollows && text_[unit_ + 1] == u'\n' ? 2 : 1;
    position_ += 1;
  }
  character.end = position_;
  return true;
}

// The characters of `text` folded by `fold` (FoldCharacter unless another
// folding is given), skipped ones left out.
std::u32string FoldText(std::u16string_view text, char32_t (*fold)(char32_t) = FoldCharacter);

// Hands `each(folded, character)` every character of `boxText` that folding
// keeps, and calls `keepGoing` (when there is one) every few thousand
// characters, e.g. to process window messages. False when it asked to stop.
template <typename Each>
bool ForEachFolded(std::u16string_view boxText, Each&& each, const std::function<bool()>& keepGoing) {
  constexpr long long kCharactersBetweenCalls = 16384;
  BoxCharacterReader reader(boxText);
  BoxCharacter character;
  long long untilCall = kCharactersBetweenCalls;
  while (reader.Next(character)) {
    const char32_t c = FoldCharacter(character.codePoint);
    if (c != kSkippedCharacter) each(c, character);
    if (--untilCall == 0) {
      if (keepGoing && !keepGoing()) return false;
      untilCall = kCharactersBetweenCalls;
    }
  }
  return true;
}
