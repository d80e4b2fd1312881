#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "answerbank/formats/TextEncoding.h"

namespace {

// Plain encoders of one code point, as the standards write them out.
std::string RefUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  } else if (c < 0x10000) {
    out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
  } else {
    out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
            static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}

std::u16string RefUtf16(char32_t c) {
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

// Valid UTF-8 decoded the long way round: a sequence is taken by its lead
// byte's bit pattern and counts only if encoding its code point again gives
// the same bytes (which shuts out overlong forms) and the code point is a
// scalar value.
std::optional<std::u16string> RefDecodeUtf8(const std::string& bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF || RefUtf8(c) != bytes.substr(i, length)) return std::nullopt;
    out += RefUtf16(c);
    i += length;
  }
  return out;
}

char32_t RandomScalar(std::mt19937& random) {
  switch (random() % 4) {
    case 0:
      return random() % 0x80;
    case 1:
      return 0x80 + random() % (0x800 - 0x80);
    case 2: {
      const char32_t c = 0x800 + random() % (0x10000 - 0x800);
      return c >= 0xD800 && c <= 0xDFFF ? c - 0x800 : c;
    }
    default:
      return 0x10000 + random() % (0x110000 - 0x10000);
  }
}

// Up to `most` - 1 pieces: bytes from `pool` and, one time in three, a whole
// UTF-8 sequence.
std::string RandomBytes(std::mt19937& random, const std::vector<unsigned char>& pool, int most) {
  std::string bytes;
  for (int n = random() % most; n > 0; --n) {
    if (random() % 3 == 0) {
      bytes += RefUtf8(RandomScalar(random));
    } else {
      bytes += static_cast<char>(pool[random() % pool.size()]);
    }
  }
  return bytes;
}

TEST(TextEncoding, RandomTextsConvertLikeThePlainEncoders) {
  std::mt19937 random(15);
  for (int round = 0; round < 3000; ++round) {
    std::string utf8;
    std::u16string utf16;
    for (int n = random() % 20; n > 0; --n) {
      const char32_t c = RandomScalar(random);
      utf8 += RefUtf8(c);
      utf16 += RefUtf16(c);
    }
    ASSERT_EQ(Utf8ToUtf16(utf8), utf16) << "round " << round;
    ASSERT_EQ(Utf16ToUtf8(utf16), utf8) << "round " << round;
    for (TextEncoding order : {TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
      const std::string bytes = Utf16UnitsToBytes(utf16, order);
      ASSERT_EQ(bytes.size(), 2 * utf16.size());
      if (!utf16.empty()) {
        const unsigned char first = static_cast<unsigned char>(bytes[0]);
        ASSERT_EQ(first, order == TextEncoding::kUtf16Le ? (utf16[0] & 0xFF) : (utf16[0] >> 8));
      }
      ASSERT_EQ(Utf16BytesToUnits(bytes, order), utf16);
    }
  }
}

TEST(TextEncoding, RandomBytesAreUtf8ExactlyWhenThePlainDecoderSaysSo) {
  std::mt19937 random(16);
  // Bytes around every boundary of the well-formed ranges, and pieces of real sequences.
  const std::vector<unsigned char> pool = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1,
                                           0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3,
                                           0xF4, 0xF5, 0xFF};
  int valid = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string bytes = RandomBytes(random, pool, 8);
    const std::optional<std::u16string> expected = RefDecodeUtf8(bytes);
    ASSERT_EQ(Utf8ToUtf16(bytes), expected) << "round " << round;
    valid += expected.has_value();
  }
  EXPECT_GT(valid, 2000);  // both outcomes well represented
  EXPECT_LT(valid, 18000);
}

TEST(TextEncoding, UnpairedSurrogatesAndOddByteCountsAreRefused) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800"), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00z"), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16BytesToUnits("a\0b", TextEncoding::kUtf16Le), std::nullopt);
  EXPECT_EQ(Utf16BytesToUnits(std::string("\x3D\xD8", 2), TextEncoding::kUtf16Le), std::nullopt);
  EXPECT_EQ(Utf16BytesToUnits(std::string("\xDC\x00\x00\x41", 4), TextEncoding::kUtf16Be), std::nullopt);
}

// Each rule once, with the boundaries between them.
TEST(TextEncoding, DetectionRules) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    size_t bom;
  };
  const Case cases[] = {
      {"", TextEncoding::kGbk, 0},
      {"plain ASCII\r\n", TextEncoding::kGbk, 0},                       // reads the same either way
      {std::string(u8"中文"), TextEncoding::kUtf8, 0},                    // also well-formed GBK: UTF-8 wins
      {"中文", TextEncoding::kGbk, 0},                                     // the GBK bytes, no valid UTF-8
      {std::string(u8"中") + "\xFF", TextEncoding::kGbk, 0},             // multi-byte, then invalid
      {"\xEF\xBB\xBF" "abc", TextEncoding::kUtf8, 3},
      {"\xEF\xBB\xBF", TextEncoding::kUtf8, 3},
      {"\xEF\xBB", TextEncoding::kGbk, 0},                               // a BOM cut short
      {std::string("\xFF\xFE" "a\0", 4), TextEncoding::kUtf16Le, 2},
      {std::string("\xFE\xFF\0a", 4), TextEncoding::kUtf16Be, 2},
  };
  for (const Case& c : cases) {
    const DetectedEncoding detected = DetectEncoding(c.bytes);
    EXPECT_EQ(detected.encoding, c.encoding) << testing::PrintToString(c.bytes);
    EXPECT_EQ(detected.bomBytes, c.bom) << testing::PrintToString(c.bytes);
  }
  EXPECT_EQ(ByteOrderMark(TextEncoding::kUtf16Be), "\xFE\xFF");
  EXPECT_EQ(ByteOrderMark(TextEncoding::kGbk), "");
}

TEST(TextEncoding, TextHasNoNulAndIsWellFormedInItsEncoding) {
  const std::pair<std::string, bool> gbk[] = {
      {"\x81\x40\xFE\xFE\x81\x7E\x81\x80", true},  // lowest and highest lead and trail bytes
      {"\x80", true},                               // the euro sign of code page 936
      {"a\x81\x3F", false}, {"\x81\x7F", false}, {"\x81\xFF", false}, {"\xFF", false},
      {"ab\x81", false},                            // cut after a lead byte
      {std::string("a\0b", 3), false},
  };
  for (const auto& [bytes, text] : gbk) {
    EXPECT_EQ(IsTextIn(bytes, TextEncoding::kGbk), text) << testing::PrintToString(bytes);
  }
  EXPECT_TRUE(IsTextIn("\xF0\x9F\x98\x80", TextEncoding::kUtf8));
  EXPECT_FALSE(IsTextIn(std::string(u8"中") + std::string(1, '\0'), TextEncoding::kUtf8));
  EXPECT_TRUE(IsTextIn(std::string("a\0b\0", 4), TextEncoding::kUtf16Le));
  EXPECT_FALSE(IsTextIn(std::string("a\0\0\0", 4), TextEncoding::kUtf16Le));
  // UTF-32's BOM starts like UTF-16 LE's, then a NUL character follows.
  const std::string utf32 = std::string("\xFF\xFE\0\0a\0\0\0", 8);
  const DetectedEncoding detected = DetectEncoding(utf32);
  EXPECT_FALSE(IsTextIn(std::string_view(utf32).substr(detected.bomBytes), detected.encoding));
  EXPECT_EQ(DecodeUnicodeText(std::string("\0a\0b", 4), TextEncoding::kUtf16Be), u"ab");
  EXPECT_EQ(DecodeUnicodeText("ab", TextEncoding::kGbk), std::nullopt);
}

// The text at the start of random bytes: checked against IsTextIn, which
// must hold for the prefix and fail for every longer start up to one more
// character (four bytes), so nothing that could have been text is left out.
TEST(TextEncoding, TheTextPrefixIsTheLongestStartThatIsText) {
  std::mt19937 random(17);
  const std::vector<unsigned char> pool = {0x00, 0x0A, 0x41, 0x7F, 0x80, 0x81, 0x9F, 0xA0, 0xBF, 0xC2,
                                           0xD8, 0xDC, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xFE, 0xFF};
  int whole = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string bytes = RandomBytes(random, pool, 12);
    for (TextEncoding encoding :
         {TextEncoding::kGbk, TextEncoding::kUtf8, TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
      const size_t prefix = TextPrefixLength(bytes, encoding);
      const std::string_view view(bytes);
      ASSERT_LE(prefix, bytes.size());
      ASSERT_TRUE(IsTextIn(view.substr(0, prefix), encoding)) << "round " << round;
      for (size_t longer = prefix + 1; longer <= std::min(bytes.size(), prefix + 4); ++longer) {
        ASSERT_FALSE(IsTextIn(view.substr(0, longer), encoding)) << "round " << round << ", " << longer << " bytes";
      }
      whole += prefix == bytes.size();
    }
  }
  EXPECT_GT(whole, 8000);  // whole texts and cut ones both well represented
  EXPECT_LT(whole, 72000);
}

TEST(TextEncoding, EveryLineEndBecomesCrLf) {
  EXPECT_EQ(WithCrLfLineEnds(u"a\r\nb\nc\rd\r\r\n\n\re"), u"a\r\nb\r\nc\r\nd\r\n\r\n\r\n\r\ne");
  EXPECT_EQ(WithCrLfLineEnds(u"\r"), u"\r\n");
  EXPECT_EQ(WithCrLfLineEnds(u""), u"");
}

}  // namespace
