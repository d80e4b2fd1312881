#include <gtest/gtest.h>

#include <random>

#include "answerbank/RichCharCount.h"

namespace {

// The count exactly as the rich edit box's positions are defined, recounted
// from the first byte for every prefix: the reference the walker must match.
long long ReferenceCount(const std::string& text) {
  const size_t n = text.size();
  long long count = static_cast<long long>(n);
  size_t b = 1;
  while (b < n) {
    const unsigned char byte = static_cast<unsigned char>(text[b - 1]);
    if (byte >= 0x81 || byte == '\r') {
      --count;
      b += 2;
    } else {
      b += 1;
    }
  }
  return count;
}

TEST(RichCharCount, DoubleByteCharactersAndLineBreaksCountOne) {
  EXPECT_EQ(RichCharCount(""), 0);
  EXPECT_EQ(RichCharCount("abc"), 3);
  EXPECT_EQ(RichCharCount("甲乙答案丙答案"), 7);
  EXPECT_EQ(RichCharCount("a\r\nb"), 3);
  EXPECT_EQ(RichCharCount("答\r\n案\r\n"), 4);
  // Text the box holds outside GBK arrives as one '?' per UTF-16 unit.
  EXPECT_EQ(RichCharCount("a??b"), 4);
  EXPECT_EQ(RichCharCount("\x80" "a"), 2);  // € then a
}

TEST(RichCharCount, ALeadByteAtTheEndIsNotExamined) {
  EXPECT_EQ(RichCharCount("a\xB4"), 2);
  EXPECT_EQ(RichCharCount("\xB4"), 1);
}

TEST(RichCharWalker, EveryPrefixMatchesARecountFromTheStart) {
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\xB4', '\xF0', '\x40', '\x80', '?'};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
    RichCharWalker walker(text);
    for (size_t m = 0; m <= text.size(); m += 1 + random() % 3) {
      ASSERT_EQ(walker.CountPrefix(m), ReferenceCount(text.substr(0, m))) << "text of " << text.size()
                                                                          << " bytes, prefix " << m;
    }
  }
}

TEST(RichCharWalker, SamePrefixTwiceGivesTheSameCount) {
  RichCharWalker walker("答案答案");
  EXPECT_EQ(walker.CountPrefix(3), 2);  // the walk has already passed byte 4
  EXPECT_EQ(walker.CountPrefix(3), 2);
  EXPECT_EQ(walker.CountPrefix(4), 2);
  EXPECT_EQ(walker.CountPrefix(8), 4);
}

}  // namespace
