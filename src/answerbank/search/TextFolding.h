// How the tolerant search sees a text: character by character as the rich edit
// box counts its positions, each character folded so that the differences a
// typed or captured question carries (white space, full-width forms, letter
// case, Chinese or English punctuation) disappear.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// What FoldCharacter gives for a character the comparison skips (white space).
constexpr char32_t kSkippedCharacter = 0xFFFFFFFF;

// The character `c` compares as, or kSkippedCharacter.
char32_t FoldCharacter(char32_t c);

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

// The folded characters of `text`, skipped ones left out.
std::u32string FoldText(std::u16string_view text);

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
